// What the server's tests start: a PostgreSQL of their own in a temporary folder, and the server
// program on loopback whose lines (listening, each job, each verdict) they wait for.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace servertest {

// Bounds the wait for one line of the server's; only a hung server ever reaches it.
constexpr int kLineWaitMs = 120000;
inline const char kInitdb[] = "/usr/lib/postgresql/15/bin/initdb";
inline const char kPgCtl[] = "/usr/lib/postgresql/15/bin/pg_ctl";

// A PostgreSQL cluster in a temporary folder, listening only on a Unix socket there, run as the
// `postgres` user when the tests run as root (it refuses root). One for the whole test program,
// started on first use and stopped when the program ends, whatever the tests' outcome.
class TempPostgres {
  public:
    static bool Available() { return access(kInitdb, X_OK) == 0 && access(kPgCtl, X_OK) == 0; }

    // The cluster, started; nullptr (with the reason in `why`) when it cannot start.
    static TempPostgres* Get(std::string& why) {
        static TempPostgres pg;
        why = pg.why_;
        return pg.started_ ? &pg : nullptr;
    }

    // A URL of a new, empty database.
    std::string NewDatabase() {
        const std::string name = "t" + std::to_string(++databases_);
        PGconn* pg = PQconnectdb(Url("postgres").c_str());
        PGresult* r = PQexec(pg, ("CREATE DATABASE " + name).c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(pg);
        PQclear(r);
        PQfinish(pg);
        return Url(name);
    }
    std::string Url(const std::string& db) const {
        return "postgresql:///" + db + "?host=" + dir_ + "&user=postgres";
    }

    ~TempPostgres() {
        if (started_)
            Run(std::string(kPgCtl) + " -D " + dir_ + "/data -m immediate -w stop > /dev/null");
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }

  private:
    TempPostgres() {
        if (!Available()) {
            why_ = std::string(kInitdb) + " is not installed (Debian's postgresql)";
            return;
        }
        std::string pattern = std::filesystem::temp_directory_path().string() + "/r2pg-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            why_ = "no temporary folder";
            return;
        }
        dir_ = pattern;
        if (getuid() == 0) {
            const passwd* pw = getpwnam("postgres");
            if (pw == nullptr || chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
                why_ = "no postgres user to run PostgreSQL as";
                return;
            }
            asUser_ = "runuser -u postgres -- ";
        }
        // fsync off: the tests kill the server, never the database.
        if (Run(std::string(kInitdb) + " -D " + dir_ + "/data -A trust -U postgres -E UTF8" +
                " --no-sync > " + dir_ + "/initdb.log 2>&1") != 0) {
            why_ = "initdb failed: see " + dir_ + "/initdb.log";
            return;
        }
        if (Run(std::string(kPgCtl) + " -D " + dir_ + "/data -l " + dir_ +
                "/server.log -w -o \"-k " + dir_ +
                " -c listen_addresses='' -c fsync=off -c max_connections=200\" start" +
                " > /dev/null") != 0) {
            why_ = "PostgreSQL did not start: see " + dir_ + "/server.log";
            return;
        }
        started_ = true;
    }

    int Run(const std::string& command) const {
        const std::string line = asUser_ + command;
        return std::system(line.c_str());
    }

    std::string dir_;
    std::string asUser_;
    std::string why_;
    bool started_ = false;
    int databases_ = 0;
};

class ServerProcess {
  public:
    // The server with `args` beside the res folder and a free loopback port.
    explicit ServerProcess(const std::vector<std::string>& args, bool http = true) {
        int out[2];
        if (pipe(out) != 0) return;
        std::vector<std::string> all = {RHOMBULUS_SERVER_BIN, "--res", RHOMBULUS_RES_DIR};
        if (http)
            all.insert(all.end(), {"--http", "127.0.0.1:0"});
        else
            all.push_back("--verifier");
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execv(RHOMBULUS_SERVER_BIN, argv.data());
            _exit(127);
        }
        writeFd_ = out[1];  // kept, to stall the server (see Stall)
        fd_ = out[0];
        const std::string first = NextLine();
        std::smatch m;
        if (std::regex_match(first, m, std::regex("listening on 127\\.0\\.0\\.1:(\\d+)")))
            port_ = std::stoi(m[1]);
        else if (first.rfind("verifying", 0) == 0)
            port_ = -1;
    }
    ~ServerProcess() { Kill(SIGTERM); }
    void Kill(int sig) {
        if (pid_ > 0) {
            kill(pid_, sig);
            // A server that does not stop on SIGTERM fails the test and is killed, so the test
            // ends either way.
            bool gone = false;
            for (int i = 0; i < 300 && !gone; ++i) {
                gone = waitpid(pid_, nullptr, WNOHANG) == pid_;
                if (!gone) usleep(100000);
            }
            EXPECT_TRUE(gone) << "the server did not stop on signal " << sig;
            if (!gone) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
            pid_ = -1;
        }
        if (fd_ >= 0) close(fd_);
        if (writeFd_ >= 0) close(writeFd_);
        fd_ = writeFd_ = -1;
    }
    // Fills the pipe of the server's output: its next line blocks it where it prints it.
    void Stall() {
        fcntl(writeFd_, F_SETFL, O_NONBLOCK);
        const std::string filler(4096, '.');
        while (write(writeFd_, filler.data(), filler.size()) > 0) {
        }
    }
    // The HTTP port; -1 for a verifier without HTTP, 0 when it did not start.
    int Port() const { return port_; }
    // The next line the server prints; "" when it ends or says nothing for too long.
    std::string NextLine() {
        for (;;) {
            const std::size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            pollfd p{fd_, POLLIN, 0};
            char chunk[512];
            if (fd_ < 0 || poll(&p, 1, kLineWaitMs) != 1) return "";
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) return "";
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // Waits for the line that starts with `prefix`, and gives the rest of it.
    std::string LineAfter(const std::string& prefix) {
        for (std::string line = NextLine(); !line.empty(); line = NextLine()) {
            if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
        }
        return "";
    }
    // Waits for the verdict line of submission `id`.
    std::string Verdict(long long id) {
        return LineAfter("submission " + std::to_string(id) + " ");
    }
    // Every line printed up to now, without waiting for more.
    std::vector<std::string> LinesSoFar() {
        std::vector<std::string> lines;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (fd_ < 0 || poll(&p, 1, 0) != 1) break;
            char chunk[512];
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) break;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
        for (std::size_t nl; (nl = buffer_.find('\n')) != std::string::npos;) {
            lines.push_back(buffer_.substr(0, nl));
            buffer_.erase(0, nl + 1);
        }
        return lines;
    }

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
    int writeFd_ = -1;
    int port_ = 0;
    std::string buffer_;
};

}  // namespace servertest
