#include "server/auth.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstring>

std::optional<KeyPair> LoadOrMakeServerKey(const std::string& path, std::string& why) {
    KeyPair k;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        const ssize_t n = read(fd, k.secret.data(), k.secret.size());
        close(fd);
        if (n != static_cast<ssize_t>(k.secret.size())) {
            why = path + " is no key of this server";
            return std::nullopt;
        }
        crypto_sign_ed25519_sk_to_pk(k.pub.data(), k.secret.data());
        return k;
    }
    k = NewKeyPair();
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 ||
        write(fd, k.secret.data(), k.secret.size()) != static_cast<ssize_t>(k.secret.size()) ||
        fsync(fd) != 0) {
        if (fd >= 0) close(fd);
        why = "cannot write " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    close(fd);
    return k;
}

namespace {

bool LowerHex(const std::string& s, std::size_t digits) {
    if (s.size() != digits) return false;
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool ParseWhole(const std::string& s, long long& value) {
    if (s.empty() || s.size() > 18 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size();
}

}  // namespace

CheckedRequest CheckSignedRequest(const SignedRequest& request, long long now) {
    CheckedRequest c;
    PublicKey pub{};
    if (!LowerHex(request.key, kPublicKeyBytes * 2) ||
        !FromHex(request.key, pub.data(), pub.size())) {
        c.why = "no key";
        return c;
    }
    if (!LowerHex(request.nonce, kNonceBytes * 2)) {
        c.why = "no nonce";
        return c;
    }
    if (!ParseWhole(request.time, c.time)) {
        c.why = "no time";
        return c;
    }
    if (c.time < now - kRequestWindowSeconds || c.time > now + kRequestWindowSeconds) {
        c.why = "signed at another time";
        return c;
    }
    if (!SignedBy(pub,
                  SignedText(request.method, request.path, c.time, request.nonce, request.body),
                  request.signature)) {
        c.why = "bad signature";
        return c;
    }
    c.ok = true;
    c.key = request.key;
    c.nonce = request.nonce;
    return c;
}

bool ValidName(const std::string& name) {
    if (name.size() < 2 || name.size() > 16 || name.front() == ' ' || name.back() == ' ')
        return false;
    for (unsigned char ch : name) {
        if (!std::isalnum(ch) && ch != ' ' && ch != '-' && ch != '_' && ch != '.') return false;
    }
    return true;
}

std::string FoldName(const std::string& name) {
    std::string folded = name;
    for (char& ch : folded) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return folded;
}

int OnlineModeOf(const std::string& word) {
    if (word == "endless") return 1;
    if (word == "puzzle") return 2;
    if (word == "pipe") return 3;
    return 0;
}

const char* OnlineModeWord(int mode) {
    switch (mode) {
        case 1:
            return "endless";
        case 2:
            return "puzzle";
        case 3:
            return "pipe";
        default:
            return "";
    }
}

long long DayNumber(const std::string& date) {
    int y = 0, m = 0, d = 0;
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return -1;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(date[i]))) return -1;
    y = std::stoi(date.substr(0, 4));
    m = std::stoi(date.substr(5, 2));
    d = std::stoi(date.substr(8, 2));
    const std::chrono::year_month_day ymd{std::chrono::year(y), std::chrono::month(m),
                                          std::chrono::day(d)};
    if (!ymd.ok() || y < 1970) return -1;
    return std::chrono::sys_days(ymd).time_since_epoch().count();
}

std::string DayText(long long day) {
    const std::chrono::year_month_day ymd{std::chrono::sys_days(std::chrono::days(day))};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text;
}

std::string TicketText(const Ticket& t) {
    char levels[17];
    std::snprintf(levels, sizeof levels, "%016llx", static_cast<unsigned long long>(t.levels));
    const std::string daily =
        t.day.empty() ? "" : "\ndaily " + t.day + (t.practice ? " practice" : " ranked");
    return "rhombulus2 ticket\n" + t.id + "\n" + OnlineModeWord(t.mode) + "\n" +
           std::to_string(t.seed) + "\n" + t.version + "\n" + levels + "\n" +
           std::to_string(t.issued) + "\n" + t.key + daily;
}

nlohmann::json TicketJson(const Ticket& t) {
    char levels[17];
    std::snprintf(levels, sizeof levels, "%016llx", static_cast<unsigned long long>(t.levels));
    nlohmann::json j{{"id", t.id},       {"mode", OnlineModeWord(t.mode)},
                     {"seed", t.seed},   {"version", t.version},
                     {"levels", levels}, {"issued", t.issued},
                     {"key", t.key},     {"signature", t.signature}};
    if (!t.day.empty()) {
        j["mode"] = "daily";
        j["day"] = t.day;
        j["practice"] = t.practice;
    }
    return j;
}

bool ReadTicket(const nlohmann::json& j, const PublicKey& server, Ticket& t, std::string& why) {
    why = "no ticket";
    if (!j.is_object()) return false;
    auto text = [&](const char* name, std::size_t most, std::string& out) {
        const auto it = j.find(name);
        if (it == j.end() || !it->is_string() || it->get_ref<const std::string&>().size() > most)
            return false;
        out = it->get<std::string>();
        return true;
    };
    std::string mode, levels;
    const auto seed = j.find("seed");
    const auto issued = j.find("issued");
    if (!text("id", 32, t.id) || !text("mode", 8, mode) || !text("version", 32, t.version) ||
        !text("levels", 16, levels) || !text("key", 64, t.key) ||
        !text("signature", kSignatureBytes * 2, t.signature) || seed == j.end() ||
        !seed->is_number_unsigned() || issued == j.end() || !issued->is_number_integer())
        return false;
    t.mode = OnlineModeOf(mode);
    t.day.clear();
    t.practice = false;
    if (mode == "daily") {
        // The daily challenge is an Endless game of the day's seed.
        const auto practice = j.find("practice");
        if (!text("day", 10, t.day) || DayNumber(t.day) < 0 || practice == j.end() ||
            !practice->is_boolean())
            return false;
        t.mode = 1;
        t.practice = practice->get<bool>();
    }
    t.seed = seed->get<std::uint64_t>();
    t.issued = issued->get<long long>();
    unsigned char lv[8];
    if (t.mode == 0 || !LowerHex(levels, 16) || !FromHex(levels, lv, sizeof lv) ||
        t.seed > 0xFFFFFFFFull)
        return false;
    t.levels = 0;
    for (unsigned char b : lv) t.levels = t.levels << 8 | b;
    if (!SignedBy(server, TicketText(t), t.signature)) {
        why = "the ticket's signature is not the server's";
        return false;
    }
    why.clear();
    return true;
}
