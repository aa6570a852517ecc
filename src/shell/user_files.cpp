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

bool ReadFullscreenOption(const std::string& configDir) {
    const FileBytes file = ReadFileBytes(configDir + "/options", kMaxOptionsBytes);
    if (!file.Ok()) return false;
    const std::string text(file.bytes.begin(), file.bytes.end());
    return text.find("fullscreen=1") != std::string::npos;
}

bool WriteFullscreenOption(const std::string& configDir, bool fullscreen) {
    const std::string text = fullscreen ? "fullscreen=1\n" : "fullscreen=0\n";
    return WriteFileAtomically(configDir + "/options",
                               std::vector<std::uint8_t>(text.begin(), text.end()));
}

int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || value[0] == '\0') continue;
        // The first variable set decides: "fr_CA.UTF-8", "pt", "nl_BE@euro"; anything else
        // ("C", "POSIX", a language the game lacks) is English.
        const std::string locale(value);
        const std::string code = locale.substr(0, locale.find_first_of("_.@"));
        for (int language = 1; language <= kLanguages; ++language) {
            if (code == kLanguageCodes[language]) return language;
        }
        return kLanguageEnglish;
    }
    return kLanguageEnglish;
}
