// rhombulus2-server-load: C clients on loopback, each with a key and name of its own, send R rounds
// of requests (a board read, a signed ticket request, a submission of a game for the ticket) to
// a server, and the tool prints requests a second and the p50/p99 latency of each kind.
//   --port N                       a server already running on 127.0.0.1 (start it with an
//                                  --address-rate high enough for C clients of one address)
//   --server BIN --data DIR | --db URL
//                                  starts BIN itself on that database (no verifiers, so only the
//                                  HTTP side is measured), and after the run prints its memory
//                                  and the database's size per 10,000 submissions
//   --play REPLAY --mode M [--res DIR] [--times N]
//                                  no HTTP: the server's own play of a replay file, N times,
//                                  in games and ticks a second on one core
//   --make-puzzle REPLAY [--minutes M] [--seed N] [--res DIR]
//                                  writes a Puzzle game from an online game's fresh start as
//                                  the Puzzle bot plays it, level after level, for about M
//                                  minutes of game time (10), then lets its time run out to
//                                  its game over: a long game for --play
#include <httplib.h>
#include <libpq-fe.h>
#include <poll.h>
#include <signal.h>
#include <sodium.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/game.h"
#include "menus/record_file.h"
#include "online/fresh_game.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "runner/runner.h"
#include "server/auth.h"
#include "server/online_play.h"
#include "server/storage.h"
#include "shell/frame_loop.h"
#include "shell/level_bot.h"
#include "shell/recorder.h"

namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;

const char kUsage[] =
    "usage: rhombulus2-server-load (--port N | --server BIN (--data DIR | --db URL))\n"
    "                              [--clients C] [--requests R] [--replay FILE]\n"
    "       rhombulus2-server-load --play REPLAY --mode endless|puzzle|pipe [--res DIR]\n"
    "                              [--times N]\n"
    "       rhombulus2-server-load --make-puzzle REPLAY [--minutes M] [--seed N] [--res DIR]\n";

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

httplib::Headers Signed(const KeyPair& keys, const std::string& path, const std::string& body) {
    unsigned char nonce[kNonceBytes];
    randombytes_buf(nonce, sizeof nonce);
    const SignedRequest r =
        SignRequest(keys, "POST", path, body, static_cast<long long>(std::time(nullptr)),
                    ToHex(nonce, sizeof nonce));
    return {{kKeyHeader, r.key},
            {kNonceHeader, r.nonce},
            {kTimeHeader, r.time},
            {kSignatureHeader, r.signature}};
}

bool Number(const char* s, int low, int high, int& out) {
    const char* end = s + std::char_traits<char>::length(s);
    const auto [at, error] = std::from_chars(s, end, out);
    return error == std::errc() && at == end && out >= low && out <= high;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The server program started on a free loopback port, its first line read.
struct StartedServer {
    pid_t pid = -1;
    int port = 0;

    StartedServer(const std::string& bin, const std::vector<std::string>& store,
                  const std::string& httpThreads) {
        int out[2];
        if (pipe(out) != 0) return;
        std::vector<std::string> args = {bin, "--http",         "127.0.0.1:0", "--workers",
                                         "0", "--address-rate", "1000000"};
        // A thread for each client's kept-alive connection.
        args.insert(args.end(), {"--http-threads", httpThreads});
        args.insert(args.end(), store.begin(), store.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execv(bin.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        std::string line;
        char ch = 0;
        pollfd p{out[0], POLLIN, 0};
        while (poll(&p, 1, 30000) == 1 && read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
        close(out[0]);
        std::smatch m;
        if (std::regex_search(line, m, std::regex(":(\\d+)$"))) port = std::stoi(m[1]);
    }
    // VmRSS and VmHWM of the server, in MiB.
    std::pair<double, double> Memory() const {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        double rss = 0, peak = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) rss = std::stod(line.substr(6)) / 1024;
            if (line.rfind("VmHWM:", 0) == 0) peak = std::stod(line.substr(6)) / 1024;
        }
        return {rss, peak};
    }
    ~StartedServer() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// The database's size in bytes and its number of submissions.
std::pair<double, long long> DatabaseSize(const std::string& dataDir, const std::string& db) {
    if (!db.empty()) {
        PGconn* pg = PQconnectdb(db.c_str());
        PGresult* r = PQexec(pg,
                             "SELECT pg_database_size(current_database()), (SELECT COUNT(*) FROM"
                             " submissions)");
        std::pair<double, long long> size{0, 0};
        if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1)
            size = {std::atof(PQgetvalue(r, 0, 0)), std::atoll(PQgetvalue(r, 0, 1))};
        PQclear(r);
        PQfinish(pg);
        return size;
    }
    double bytes = 0;
    for (const char* file : {"/rhombulus2.sqlite", "/rhombulus2.sqlite-wal"}) {
        std::error_code e;
        const auto n = std::filesystem::file_size(dataDir + file, e);
        if (!e) bytes += static_cast<double>(n);
    }
    std::string why;
    auto storage = OpenSqliteStorage(dataDir, why);
    long long count = 0;
    while (storage && storage->Submission(count + 1)) ++count;
    return {bytes, count};
}

// The bot plays a fresh online Puzzle game until about `minutes` of game time have passed, then
// stops shooting; keys go past the notices to the game over. The replay as the runner keeps it.
int MakePuzzle(const std::string& file, int minutes, std::uint64_t seed,
               const std::string& resDir) {
    HeadlessPlatform platform;
    ScratchFolder saves;
    auto game = std::make_unique<Game>();
    Game& g = *game;
    InitGame(g, platform, resDir, seed);
    g.savesDir = saves.Path();
    if (saves.Path().empty() || !StartFreshGame(g, kModePuzzle)) return 2;
    InputRecorder recorder;
    GameReplays replays{recorder, ThisGamesReplayHeader(resDir, seed, g.shell.Language), ""};
    g.recorder = &recorder;
    g.session.GameStarted = true;
    g.session.GameOverScore = -1;
    replays.AfterTick(g);
    const long long until = g.shell.FrameCounter + static_cast<long long>(minutes) * 60000 / 15;
    levels::BotPlay bot;
    bot.tick = SimulateTick;
    int levelsCleared = 0;
    while (g.shell.FrameCounter < until && g.shell.ScreenId == kScreenGame &&
           g.session.GameOverScore < 0) {
        levels::LevelRun run;
        levels::PlayUntilOver(g, bot, run);
        if (!run.cleared) break;
        ++levelsCleared;
        // The level-end sequence, then the next level.
        const int level = g.play.LevelNumber;
        for (int t = 0; t < 400 && g.play.LevelNumber == level && g.play.LevelCleared; ++t)
            levels::BotStep(g, SimulateTick);
    }
    // No more shots: the time runs out; a key now and then goes past the notices.
    bool focused = true;
    for (long long t = 0; t < 40000 && g.session.GameOverScore < 0; ++t) {
        if (t % 300 == 0) ApplyScriptEvent(g, {0, 0, "keydown", 0, 0, "space"}, focused);
        if (t % 300 == 1) ApplyScriptEvent(g, {0, 0, "keyup", 0, 0, "space"}, focused);
        FrameTick(g, false);
    }
    if (g.session.GameOverScore < 0) {
        std::fprintf(stderr, "rhombulus2-server-load: the bot's game did not end\n");
        return 1;
    }
    recorder.EndKept(g.shell.FrameCounter);
    const std::string text = recorder.Text();
    if (!WriteFileAtomically(file, std::vector<std::uint8_t>(text.begin(), text.end()))) return 2;
    std::printf("puzzle game of seed %llu: %d levels cleared, %d points, game over at tick %d\n",
                static_cast<unsigned long long>(seed), levelsCleared, g.session.GameOverScore,
                g.shell.FrameCounter);
    return 0;
}

int Play(const std::string& file, const std::string& modeWord, const std::string& resDir,
         int times) {
    const std::string replay = ReadFile(file);
    ReplayHeader header;
    std::string why;
    const int mode = OnlineModeOf(modeWord);
    if (mode == 0 || !ReadReplayHeader(replay, header, why)) {
        std::fprintf(stderr, "rhombulus2-server-load: %s is no replay of a mode (%s)\n",
                     file.c_str(), why.c_str());
        return 2;
    }
    const OnlineGameFacts facts{mode, header.seed, header.version, header.levels, 1LL << 40};
    OnlinePlay play;
    const auto start = Clock::now();
    for (int i = 0; i < times; ++i) {
        ScratchFolder scratch;
        play = PlayOnlineReplay(replay, facts, resDir, scratch.Path());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "%s game of %lld ticks (%.1f minutes), %s %d points: %.2f games/s, %.0f ticks/s"
        " on one core\n",
        modeWord.c_str(), play.ticks, static_cast<double>(play.ticks) * 15 / 60000,
        play.verified ? "verified," : ("refused: " + play.why + ",").c_str(), play.score,
        times / seconds, static_cast<double>(play.ticks) * times / seconds);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("memory of the play: %.1f MiB at most\n",
                static_cast<double>(usage.ru_maxrss) / 1024);
    return play.verified ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0, clients = 20, requests = 10, times = 3;
    std::string serverBin, dataDir, db, replayFile, playFile, playMode, resDir = "build/res";
    std::string makePuzzle;
    int minutes = 10, seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        bool ok = true;
        if (arg == "--port")
            ok = Number(value, 1, 65535, port);
        else if (arg == "--clients")
            ok = Number(value, 1, 1000, clients);
        else if (arg == "--requests")
            ok = Number(value, 1, 100000, requests);
        else if (arg == "--times")
            ok = Number(value, 1, 100000, times);
        else if (arg == "--server")
            serverBin = value;
        else if (arg == "--data")
            dataDir = value;
        else if (arg == "--db")
            db = value;
        else if (arg == "--replay")
            replayFile = value;
        else if (arg == "--play")
            playFile = value;
        else if (arg == "--mode")
            playMode = value;
        else if (arg == "--res")
            resDir = value;
        else if (arg == "--make-puzzle")
            makePuzzle = value;
        else if (arg == "--minutes")
            ok = Number(value, 1, 240, minutes);
        else if (arg == "--seed")
            ok = Number(value, 0, 1 << 30, seed);
        else
            ok = false;
        if (!ok) {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (!CryptoReady()) return 2;
    if (!playFile.empty()) return Play(playFile, playMode, resDir, times);
    if (!makePuzzle.empty())
        return MakePuzzle(makePuzzle, minutes, static_cast<std::uint64_t>(seed), resDir);
    std::unique_ptr<StartedServer> server;
    if (!serverBin.empty()) {
        if (dataDir.empty() == db.empty()) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        if (!dataDir.empty()) std::filesystem::create_directories(dataDir);
        server =
            std::make_unique<StartedServer>(serverBin,
                                            db.empty() ? std::vector<std::string>{"--data", dataDir}
                                                       : std::vector<std::string>{"--db", db},
                                            std::to_string(std::max(64, clients)));
        port = server->port;
    }
    if (port == 0) {
        std::fprintf(stderr, "rhombulus2-server-load: no server\n%s", kUsage);
        return 2;
    }
    // A game's replay as submitted: a real one's size if none is given (it is not verified here).
    const std::string replay = replayFile.empty() ? std::string(6000, 'x') : ReadFile(replayFile);

    std::vector<std::vector<double>> boardMs(clients), ticketMs(clients), submitMs(clients);
    std::atomic<int> failures{0};
    auto fail = [&](const char* what, const httplib::Result& r) {
        if (++failures < 12)
            std::fprintf(
                stderr, "%s failed: %s %s\n", what,
                r ? std::to_string(r->status).c_str() : httplib::to_string(r.error()).c_str(),
                r ? r->body.c_str() : "");
    };
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_read_timeout(30, 0);
            const KeyPair keys = NewKeyPair();
            unsigned char tag[4];
            randombytes_buf(tag, sizeof tag);
            const std::string name = "load" + ToHex(tag, sizeof tag);
            const std::string claim = "{\"name\":\"" + name + "\"}";
            auto r = client.Post("/api/claim", Signed(keys, "/api/claim", claim), claim,
                                 "application/json");
            if (!r || r->status != 200) fail("claim", r);
            const std::string ask = "{\"mode\":\"puzzle\"}";
            auto timed = [&](std::vector<double>& into, auto&& request) {
                const auto t0 = Clock::now();
                auto res = request();
                into.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
                return res;
            };
            for (int i = 0; i < requests; ++i) {
                r = timed(boardMs[c],
                          [&] { return client.Get(("/api/board/puzzle?name=" + name).c_str()); });
                if (!r || r->status != 200) fail("board", r);
                r = timed(ticketMs[c], [&] {
                    return client.Post("/api/ticket", Signed(keys, "/api/ticket", ask), ask,
                                       "application/json");
                });
                if (!r || r->status != 200) {
                    fail("ticket", r);
                    continue;
                }
                const std::string body =
                    json{{"ticket", json::parse(r->body)}, {"replay", replay}}.dump();
                r = timed(submitMs[c], [&] {
                    return client.Post("/api/submit", Signed(keys, "/api/submit", body), body,
                                       "application/json");
                });
                if (!r || r->status != 202) fail("submit", r);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> boards, tickets, submits;
    for (int c = 0; c < clients; ++c) {
        boards.insert(boards.end(), boardMs[c].begin(), boardMs[c].end());
        tickets.insert(tickets.end(), ticketMs[c].begin(), ticketMs[c].end());
        submits.insert(submits.end(), submitMs[c].begin(), submitMs[c].end());
    }
    const std::size_t all = boards.size() + tickets.size() + submits.size();
    std::printf("clients %d, requests %zu in %.2f s: %.0f a second, failed %d\n", clients, all,
                seconds, static_cast<double>(all) / seconds, failures.load());
    std::printf("board read    p50 %.2f ms  p99 %.2f ms\n", Percentile(boards, 0.5),
                Percentile(boards, 0.99));
    std::printf("signed ticket p50 %.2f ms  p99 %.2f ms\n", Percentile(tickets, 0.5),
                Percentile(tickets, 0.99));
    std::printf("submission    p50 %.2f ms  p99 %.2f ms (%zu bytes of replay)\n",
                Percentile(submits, 0.5), Percentile(submits, 0.99), replay.size());
    if (server) {
        const auto [rss, peak] = server->Memory();
        std::printf("server memory %.1f MiB resident, %.1f MiB at most\n", rss, peak);
        server.reset();
        const auto [bytes, count] = DatabaseSize(dataDir, db);
        if (count > 0)
            std::printf("database %.1f MiB for %lld submissions: %.1f MiB per 10,000\n",
                        bytes / 1048576, count, bytes / 1048576 / static_cast<double>(count) * 1e4);
    }
    return failures == 0 ? 0 : 1;
}
