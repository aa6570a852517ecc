#include "shell/user_files.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/languages.h"
#include "menus/record_file.h"
#include "platform/file_bytes.h"

namespace fs = std::filesystem;

namespace {

// The saves folder holds files of a few hundred bytes, the options file a line or two.
constexpr std::size_t kMaxCopiedSaveBytes = 64 * 1024;
constexpr std::size_t kMaxOptionsBytes = 4096;

std::string BaseDir(const char* xdg, const char* home, const char* fallback) {
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const std::string h = home != nullptr && home[0] != '\0' ? home : ".";
    return h + "/" + fallback;
}

}  // namespace

std::string UserSavesDir(const char* xdgDataHome, const char* home) {
    return BaseDir(xdgDataHome, home, ".local/share") + "/rhombulus2/saves";
}

std::string UserLevelsDir(const char* xdgDataHome, const char* home) {
    return BaseDir(xdgDataHome, home, ".local/share") + "/rhombulus2/levels";
}

std::string UserConfigDir(const char* xdgConfigHome, const char* home) {
    return BaseDir(xdgConfigHome, home, ".config") + "/rhombulus2";
}

int PrepareSavesDir(const std::string& savesDir, const std::string& oldDir) {
    std::error_code ec;
    fs::create_directories(savesDir, ec);
    for (const auto& entry : fs::directory_iterator(savesDir, ec)) {
        if (entry.is_regular_file(ec)) return 0;
    }
    int copied = 0;
    for (const auto& entry : fs::directory_iterator(oldDir, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        // The game's own files are small; anything larger is not one of them.
        const FileBytes file = ReadFileBytes(entry.path().string(), kMaxCopiedSaveBytes);
        if (!file.Ok()) continue;
        const fs::path target = fs::path(savesDir) / entry.path().filename();
        if (WriteFileAtomically(target.string(), file.bytes)) ++copied;
    }
    return copied;
}

namespace {

// The options file: one "key=value" a line; lines the game does not know are kept as they are.
std::vector<std::string> OptionLines(const std::string& configDir) {
    std::vector<std::string> lines;
    const FileBytes file = ReadFileBytes(configDir + "/options", kMaxOptionsBytes);
    if (!file.Ok()) return lines;
    std::string line;
    for (std::uint8_t b : file.bytes) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (b != '\r') {
            line += static_cast<char>(b);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string ReadOption(const std::string& configDir, const std::string& key) {
    std::string value;
    for (const std::string& line : OptionLines(configDir)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) value = line.substr(key.size() + 1);
    }
    return value;
}

bool WriteOption(const std::string& configDir, const std::string& key, const std::string& value) {
    std::string text;
    for (const std::string& line : OptionLines(configDir)) {
        if (line.compare(0, key.size() + 1, key + "=") != 0) text += line + "\n";
    }
    text += key + "=" + value + "\n";
    return WriteFileAtomically(configDir + "/options",
                               std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace

bool ReadFullscreenOption(const std::string& configDir) {
    return ReadOption(configDir, "fullscreen") == "1";
}

bool WriteFullscreenOption(const std::string& configDir, bool fullscreen) {
    return WriteOption(configDir, "fullscreen", fullscreen ? "1" : "0");
}

std::string ReadRelayOption(const std::string& configDir) {
    const std::string relay = ReadOption(configDir, "relay");
    return ValidRelayAddress(relay) ? relay : std::string();
}

bool ValidRelayAddress(const std::string& address) {
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos || colon == 0 || address.size() - colon > 6) return false;
    long port = 0;
    for (std::size_t i = colon + 1; i < address.size(); ++i) {
        if (address[i] < '0' || address[i] > '9') return false;
        port = port * 10 + (address[i] - '0');
    }
    if (colon + 1 == address.size() || port < 1 || port > 65535) return false;
    // A host name or an address: no spaces or controls, nothing a shell or a log would mangle.
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = address[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' || c == '[' ||
                        c == ']';
        if (!ok) return false;
    }
    return true;
}

int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || value[0] == '\0') continue;
        // The first variable set decides: "fr_CA.UTF-8", "pt", "nl_BE@euro"; anything else
        // ("C", "POSIX", a language the game lacks) is English.
        // A language with the desktop's territory wins, then the language alone, then the
        // language in any territory ("pt_PT" takes Brazilian Portuguese while there is no other).
        const std::string locale(value);
        const size_t codeEnd = locale.find_first_of("_.@");
        const std::string code = locale.substr(0, codeEnd);
        std::string withTerritory = code;
        if (codeEnd != std::string::npos && locale[codeEnd] == '_')
            withTerritory = locale.substr(0, locale.find_first_of(".@"));
        int alone = 0;
        int anyTerritory = 0;
        for (int language = 1; language <= kLanguages; ++language) {
            const std::string facts = kLanguageFacts[language].locale;
            if (facts == withTerritory) return language;
            if (facts == code) alone = language;
            if (anyTerritory == 0 && facts.rfind(code + "_", 0) == 0) anyTerritory = language;
        }
        if (alone != 0) return alone;
        return anyTerritory != 0 ? anyTerritory : kLanguageEnglish;
    }
    return kLanguageEnglish;
}
