#include "server/config_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

const std::vector<std::string> kConfigKeys = {
    "data",  "db",   "http",         "udp",          "ws",           "res",
    "lease", "poll", "http-threads", "ticket-slack", "address-rate", "workers"};

namespace {

// A config file is a few lines; anything far larger is not one.
constexpr std::size_t kMaxConfigBytes = 64 * 1024;

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

}  // namespace

bool ParseConfigText(const std::string& text, std::vector<ConfigEntry>& entries, std::string& why) {
    entries.clear();
    std::map<std::string, int> seen;
    std::istringstream in(text);
    std::string raw;
    for (int line = 1; std::getline(in, raw); ++line) {
        const std::string s = Trimmed(raw);
        if (s.empty() || s[0] == '#') continue;
        const size_t eq = s.find('=');
        if (eq == std::string::npos) {
            why = std::to_string(line) + ": expected \"key = value\"";
            return false;
        }
        ConfigEntry e{line, Trimmed(s.substr(0, eq)), Trimmed(s.substr(eq + 1))};
        if (std::find(kConfigKeys.begin(), kConfigKeys.end(), e.key) == kConfigKeys.end()) {
            why = std::to_string(line) + ": unknown key \"" + e.key + "\"";
            return false;
        }
        if (e.value.empty()) {
            why = std::to_string(line) + ": " + e.key + " needs a value";
            return false;
        }
        // Two lines for one key are a mistake in a file an admin edits: which one was meant?
        if (const auto [at, fresh] = seen.emplace(e.key, line); !fresh) {
            why = std::to_string(line) + ": " + e.key + " is set already on line " +
                  std::to_string(at->second);
            return false;
        }
        entries.push_back(std::move(e));
    }
    return true;
}

bool ArgsWithConfig(const std::vector<std::string>& commandLine, ServerArgs& out,
                    std::string& why) {
    out = {};
    std::string file;
    std::vector<std::string> rest;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        if (commandLine[i] != "--config") {
            rest.push_back(commandLine[i]);
            continue;
        }
        if (i + 1 >= commandLine.size()) {
            why = "--config needs a value";
            return false;
        }
        if (!file.empty()) {
            why = "--config is given twice";
            return false;
        }
        file = commandLine[++i];
    }
    if (!file.empty()) {
        std::ifstream in(file, std::ios::binary);
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec)) {
            why = file + " is a folder";
            return false;
        }
        if (!in) {
            why = "cannot read " + file + ": " + std::strerror(errno);
            return false;
        }
        std::string text(kMaxConfigBytes + 1, '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxConfigBytes) {
            why = file + ": larger than a config file can be";
            return false;
        }
        std::vector<ConfigEntry> entries;
        if (!ParseConfigText(text, entries, why)) {
            why = file + ":" + why;
            return false;
        }
        for (const ConfigEntry& e : entries) {
            const std::string where = file + ":" + std::to_string(e.line);
            out.args.insert(out.args.end(), {"--" + e.key, e.value});
            out.where.insert(out.where.end(), {where, where});
        }
    }
    out.args.insert(out.args.end(), rest.begin(), rest.end());
    out.where.resize(out.args.size());
    return true;
}
