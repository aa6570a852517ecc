#include "online/online_client.h"

#include <fcntl.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "menus/record_file.h"
#include "platform/file_bytes.h"

using nlohmann::json;

namespace {

// A kept game is at most a long game's replay and its ticket.
constexpr std::size_t kMaxUnsentBytes = 9u << 20;
constexpr std::size_t kMaxUnsentGames = 50;

}  // namespace

bool ValidServerUrl(const std::string& url) {
    const std::string scheme = "http://";
    if (url.compare(0, scheme.size(), scheme) != 0) return false;
    std::string rest = url.substr(scheme.size());
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    if (rest.empty() || rest.size() > 255) return false;
    std::size_t hostEnd = rest.size();
    if (rest[0] == '[') {
        hostEnd = rest.find(']');
        if (hostEnd == std::string::npos || hostEnd < 2) return false;
        for (std::size_t i = 1; i < hostEnd; ++i) {
            const char c = rest[i];
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
        }
        ++hostEnd;
    } else {
        hostEnd = std::min(rest.find(':'), rest.size());
        if (hostEnd == 0) return false;
        for (std::size_t i = 0; i < hostEnd; ++i) {
            const char c = rest[i];
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') return false;
        }
    }
    if (hostEnd == rest.size()) return true;
    if (rest[hostEnd] != ':' || hostEnd + 1 == rest.size() || rest.size() - hostEnd > 6)
        return false;
    long port = 0;
    for (std::size_t i = hostEnd + 1; i < rest.size(); ++i) {
        if (rest[i] < '0' || rest[i] > '9') return false;
        port = port * 10 + (rest[i] - '0');
    }
    return port >= 1 && port <= 65535;
}

std::optional<KeyPair> LoadOrMakePlayerKey(const std::string& configDir, std::string& why) {
    std::error_code ec;
    std::filesystem::create_directories(configDir, ec);
    const std::string path = configDir + "/online.key";
    SecretKey secret{};
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        const ssize_t n = read(fd, secret.data(), secret.size());
        close(fd);
        if (n != static_cast<ssize_t>(secret.size())) {
            why = path + " is no key of this game";
            return std::nullopt;
        }
        return KeyPairOfSecret(secret);
    }
    const KeyPair k = NewKeyPair();
    // Written under another name and moved into place, so that a crash leaves no half key.
    const std::string temp = path + ".new";
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 ||
        write(fd, k.secret.data(), k.secret.size()) != static_cast<ssize_t>(k.secret.size()) ||
        fsync(fd) != 0 || close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        why = "cannot write " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return k;
}

OnlineClient::OnlineClient(std::string url, KeyPair keys, int timeoutSeconds)
    : url_(std::move(url)), keys_(keys), timeout_(timeoutSeconds) {
    if (!url_.empty() && url_.back() == '/') url_.pop_back();
}

namespace {

void Bound(httplib::Client& c, int seconds) {
    c.set_connection_timeout(seconds, 0);
    c.set_read_timeout(seconds, 0);
    c.set_write_timeout(seconds, 0);
}

}  // namespace

HttpReply OnlineClient::Get(const std::string& path) const {
    return Get(path, kMaxAnswerBytes, 2 * timeout_);
}

HttpReply OnlineClient::Get(const std::string& path, std::size_t most, int seconds) const {
    httplib::Client c(url_);
    Bound(c, std::min(timeout_, seconds));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    HttpReply r;
    const auto res = c.Get(
        path,
        [&r, most](const httplib::Response& head) {
            r.status = head.status;
            // A length said in advance that is too long is not read at all.
            const std::string length = head.get_header_value("Content-Length");
            r.cut = !length.empty() && ContentLengthOver(length, most);
            return !r.cut;
        },
        [&r, most, deadline](const char* data, std::size_t n) {
            r.cut = r.body.size() + n > most || std::chrono::steady_clock::now() > deadline;
            if (!r.cut) r.body.append(data, n);
            return !r.cut;
        });
    if (r.cut) {
        r.reached = true;
        r.body.clear();
        return r;
    }
    if (!res) return HttpReply{};
    r.reached = true;
    r.status = res->status;
    return r;
}

HttpReply OnlineClient::Post(const std::string& path, const std::string& body) const {
    httplib::Client c(url_);
    Bound(c, timeout_);
    const SignedRequest r = SignRequest(keys_, "POST", path, body,
                                        static_cast<long long>(std::time(nullptr)), NewNonce());
    const httplib::Headers headers = {{kKeyHeader, r.key},
                                      {kNonceHeader, r.nonce},
                                      {kTimeHeader, r.time},
                                      {kSignatureHeader, r.signature}};
    const auto res = c.Post(path, headers, body, "application/json");
    HttpReply reply;
    if (!res) return reply;
    reply.reached = true;
    reply.status = res->status;
    reply.body = res->body.size() <= kMaxAnswerBytes ? res->body : std::string();
    return reply;
}

ClaimOutcome ClaimName(const OnlineClient& client, const std::string& name) {
    const HttpReply r = client.Post("/api/claim", json{{"name", name}}.dump());
    if (!r.reached || r.status >= 500 || r.status == 429)
        return {ClaimOutcome::Kind::kUnreachable, "", ""};
    if (r.status == 200) {
        const auto kept = ReadClaimAnswer(r.body);
        return {ClaimOutcome::Kind::kClaimed, kept ? *kept : name, ""};
    }
    const std::string why = AnswerError(r.body);
    if (r.status == 409 && why.find("taken") != std::string::npos)
        return {ClaimOutcome::Kind::kTaken, "", why};
    if (r.status == 409) return {ClaimOutcome::Kind::kOtherName, "", why};
    return {ClaimOutcome::Kind::kRefused, "", why};
}

TicketOutcome AskTicket(const OnlineClient& client, const std::string& mode) {
    TicketOutcome t{TicketOutcome::Kind::kUnreachable, {}, ""};
    const HttpReply r = client.Post("/api/ticket", json{{"mode", mode}}.dump());
    if (!r.reached || r.status >= 500 || r.status == 429) return t;
    if (r.status == 200) {
        if (const auto ticket = ReadTicketAnswer(r.body)) {
            t.kind = TicketOutcome::Kind::kGot;
            t.ticket = *ticket;
            return t;
        }
        t.kind = TicketOutcome::Kind::kRefused;
        t.why = "the server's ticket does not read";
        return t;
    }
    t.why = AnswerError(r.body);
    t.kind = r.status == 400 && t.why.find("mode") != std::string::npos
                 ? TicketOutcome::Kind::kUnknownMode
                 : TicketOutcome::Kind::kRefused;
    return t;
}

SendOutcome SendGame(const OnlineClient& client, const std::string& ticketJson,
                     const std::string& replay, int polls, int pollMs,
                     const std::atomic<bool>* cancel) {
    SendOutcome out{SendOutcome::Kind::kUnreachable, {}, 0};
    const json ticket = json::parse(ticketJson, nullptr, false);
    if (ticket.is_discarded()) {
        out.kind = SendOutcome::Kind::kRefused;
        out.verdict.reason = "its ticket does not read";
        return out;
    }
    const HttpReply r =
        client.Post("/api/submit", json{{"ticket", ticket}, {"replay", replay}}.dump());
    if (!r.reached || r.status >= 500 || r.status == 429) return out;
    const auto id = r.status == 202 ? ReadSubmitAnswer(r.body) : std::nullopt;
    if (!id) {
        out.kind = SendOutcome::Kind::kRefused;
        out.verdict.state = VerdictAnswer::State::kRefused;
        out.verdict.reason = AnswerError(r.body);
        if (out.verdict.reason.empty()) out.verdict.reason = "status " + std::to_string(r.status);
        return out;
    }
    out.id = *id;
    out.kind = SendOutcome::Kind::kNoVerdictYet;
    for (int i = 0; i < polls && (cancel == nullptr || !*cancel); ++i) {
        const HttpReply v = client.Get("/api/submission/" + std::to_string(*id));
        const auto verdict =
            v.reached && v.status == 200 ? ReadVerdictAnswer(v.body) : std::nullopt;
        if (verdict && verdict->state != VerdictAnswer::State::kQueued) {
            out.verdict = *verdict;
            out.kind = verdict->state == VerdictAnswer::State::kVerified
                           ? SendOutcome::Kind::kVerified
                           : SendOutcome::Kind::kRefused;
            return out;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    return out;
}

std::string OutcomeLine(const SendOutcome& o) {
    switch (o.kind) {
        case SendOutcome::Kind::kVerified:
            return "verified place " + std::to_string(o.verdict.place) + " of " +
                   std::to_string(o.verdict.of);
        case SendOutcome::Kind::kRefused:
            return "refused: " + o.verdict.reason;
        case SendOutcome::Kind::kUnreachable:
            return "the server cannot be reached";
        case SendOutcome::Kind::kNoVerdictYet:
            return "sent as submission " + std::to_string(o.id) + ", no verdict yet";
    }
    return "";
}

std::string UnsentDir(const std::string& configDir) {
    return configDir + "/online-unsent";
}

bool KeepUnsent(const std::string& configDir, const UnsentGame& game) {
    std::error_code ec;
    std::filesystem::create_directories(UnsentDir(configDir), ec);
    const json ticket = json::parse(game.ticketJson, nullptr, false);
    if (ticket.is_discarded() || game.ticketId.size() != 32) return false;
    const std::string text = json{{"ticket", ticket}, {"replay", game.replay}}.dump();
    return WriteFileAtomically(UnsentDir(configDir) + "/" + game.ticketId + ".json",
                               std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<UnsentGame> ReadUnsent(const std::string& configDir) {
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(UnsentDir(configDir), ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() == 37 && name.compare(32, 5, ".json") == 0)
            files.emplace_back(e.last_write_time(ec), e.path().string());
    }
    std::sort(files.begin(), files.end());
    std::vector<UnsentGame> games;
    for (const auto& [time, path] : files) {
        if (games.size() == kMaxUnsentGames) break;
        const FileBytes bytes = ReadFileBytes(path, kMaxUnsentBytes);
        if (!bytes.Ok()) continue;
        const json j = json::parse(bytes.bytes.begin(), bytes.bytes.end(), nullptr, false);
        if (j.is_discarded() || !j.is_object() || !j.contains("replay") ||
            !j["replay"].is_string() || !j.contains("ticket"))
            continue;
        const auto ticket = ReadTicketAnswer(j["ticket"].dump());
        if (!ticket) continue;
        games.push_back({ticket->id, ticket->json, j["replay"].get<std::string>()});
    }
    return games;
}

void ForgetUnsent(const std::string& configDir, const std::string& ticketId) {
    if (ticketId.size() != 32) return;
    std::error_code ec;
    std::filesystem::remove(UnsentDir(configDir) + "/" + ticketId + ".json", ec);
}

void SendUnsent(const OnlineClient& client, const std::string& configDir,
                const std::function<void(const SendOutcome&)>& told,
                const std::atomic<bool>* cancel, int polls) {
    for (const UnsentGame& g : ReadUnsent(configDir)) {
        if (cancel != nullptr && *cancel) return;
        const SendOutcome o = SendGame(client, g.ticketJson, g.replay, polls, 200, cancel);
        if (o.kind == SendOutcome::Kind::kUnreachable) return;
        // Taken by the server: its verdict can come later, the game is not sent again.
        ForgetUnsent(configDir, g.ticketId);
        if (told) told(o);
    }
}
