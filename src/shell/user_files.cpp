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

std::string ReadServerOption(const std::string& configDir) {
    return ReadOption(configDir, "server");
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

namespace {

int LanguageOfCode(const std::string& code) {
    for (int language = 1; language <= kLanguages; ++language)
        if (code == kLanguageFacts[language].code) return language;
    return 0;
}

}  // namespace

int LanguageOfLocaleName(const std::string& locale) {
    // "ll_TT.codeset@modifier": only the language and the territory count.
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    const std::string ll = name.substr(0, name.find('_'));
    const std::string territory = name.size() > ll.size() ? name.substr(ll.size() + 1) : "";
    if (ll.empty()) return 0;
    // Chinese is the simplified script only: where it is read (China, Singapore, or no
    // territory named); Taiwan and Hong Kong read the traditional one, which the game lacks.
    if (ll == "zh") {
        if (!territory.empty() && territory != "CN" && territory != "SG") return 0;
        const int simplified = LanguageOfCode("zh_CN");
        return simplified != 0 ? simplified : LanguageOfCode("zh");
    }
    // Norwegian is one catalogue, in Bokmål, which Nynorsk readers read as well.
    if (ll == "no" || ll == "nn" || ll == "nb") {
        const int bokmal = LanguageOfCode("nb");
        return bokmal != 0 ? bokmal : LanguageOfCode("no");
    }
    if (!territory.empty()) {
        const int exact = LanguageOfCode(ll + "_" + territory);
        if (exact != 0) return exact;
    }
    // "pt_PT" is the catalogue "pt"; "pt_BR" is it too while the game has one Portuguese.
    const int plain = LanguageOfCode(ll);
    if (plain != 0) return plain;
    // A language whose only catalogue names a territory: "pt" when only "pt_BR" is there.
    for (int language = 1; language <= kLanguages; ++language) {
        const std::string code = kLanguageFacts[language].code;
        if (code.compare(0, ll.size() + 1, ll + "_") == 0) return language;
    }
    return 0;
}

int LanguageFromLocale(const char* language, const char* lcAll, const char* lcMessages,
                       const char* lang) {
    std::string locale;
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value != nullptr && value[0] != '\0') {
            locale = value;
            break;
        }
    }
    const std::string base = locale.substr(0, locale.find_first_of(".@"));
    if (base.empty() || base == "C" || base == "POSIX") return kLanguageEnglish;
    if (language != nullptr) {
        const std::string list(language);
        std::size_t at = 0;
        while (at <= list.size()) {
            std::size_t end = list.find(':', at);
            if (end == std::string::npos) end = list.size();
            const int chosen = LanguageOfLocaleName(list.substr(at, end - at));
            if (chosen != 0) return chosen;
            at = end + 1;
        }
    }
    const int own = LanguageOfLocaleName(locale);
    return own != 0 ? own : kLanguageEnglish;
}
