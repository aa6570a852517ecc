// Where the real game keeps what is the player's own: saves and settings in the user's data
// folder, window options in the user's config folder (the XDG base directories), the language
// of a first start from the desktop's locale.
#pragma once

#include <string>

// $XDG_DATA_HOME/rhombulus2/saves; ~/.local/share/rhombulus2/saves when it is unset, empty or
// not an absolute path. Null arguments count as unset.
std::string UserSavesDir(const char* xdgDataHome, const char* home);
// $XDG_DATA_HOME/rhombulus2/levels, the player's level packs, beside the saves.
std::string UserLevelsDir(const char* xdgDataHome, const char* home);
// $XDG_CONFIG_HOME/rhombulus2, ~/.config/rhombulus2 likewise.
std::string UserConfigDir(const char* xdgConfigHome, const char* home);

// Creates savesDir when missing. When it holds no file yet, copies the files of oldDir (the
// saves beside the program in earlier versions) into it. Returns the number of files copied.
int PrepareSavesDir(const std::string& savesDir, const std::string& oldDir);

// The fullscreen choice kept in configDir ("fullscreen=1"); false when none is kept.
bool ReadFullscreenOption(const std::string& configDir);
// Writes the choice; the options file's other lines (the relay's) stay as they were.
bool WriteFullscreenOption(const std::string& configDir, bool fullscreen);
// The relay for network matches kept in configDir ("relay=HOST:PORT"); "" when none or when
// the line names no usable address.
std::string ReadRelayOption(const std::string& configDir);
// The online server kept in configDir ("server=http://HOST:PORT"), as written; "" when none.
std::string ReadServerOption(const std::string& configDir);
// HOST:PORT with a port 1..65535 and a host of letters, digits, '.', '-' (or a bracketed IPv6
// address).
bool ValidRelayAddress(const std::string& address);

// The language of a first start (core/languages.h), as gettext picks a catalogue: the first of
// LC_ALL, LC_MESSAGES, LANG that is set names the locale; "C" and "POSIX" (or none) are English
// whatever LANGUAGE says; otherwise the first entry of LANGUAGE ("pt_BR:pt:en") that the game
// has wins, else the locale's own language. A locale's territory picks between catalogues of one
// language ("pt_BR" Brazilian, "pt_PT" and "pt" European Portuguese, "zh_CN" and "zh_SG"
// simplified Chinese, which "zh_TW" and "zh_HK" are not); one the game lacks is English.
int LanguageFromLocale(const char* language, const char* lcAll, const char* lcMessages,
                       const char* lang);
// The language of one locale name ("fr_CA.UTF-8", "nb_NO", "sr_RS@latin"); 0 when the game has
// none for it.
int LanguageOfLocaleName(const std::string& locale);
