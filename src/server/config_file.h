// The server's config file (--config FILE): "key = value" lines whose keys are the program's
// long options without their dashes (data, db, http, udp, ...); a line starting with # is a
// comment. Its settings go before the command line's own options, so the command line wins.
#pragma once

#include <string>
#include <vector>

struct ConfigEntry {
    int line = 0;
    std::string key, value;
};

// The keys a config file may set; the options that do something else (--config, --help,
// --version) are not among them.
extern const std::vector<std::string> kConfigKeys;

// Reads the file's text; false with "LINE: why" at the first fault (a line without "=", an
// unknown or repeated key, an empty value).
bool ParseConfigText(const std::string& text, std::vector<ConfigEntry>& entries, std::string& why);

// The command line (without the program's name) with the settings of its "--config FILE"
// first, as options, and "--config FILE" itself taken out. where[i] names the file and line
// args[i] came from ("" for the command line's own), for the messages about bad values.
struct ServerArgs {
    std::vector<std::string> args, where;
};
bool ArgsWithConfig(const std::vector<std::string>& commandLine, ServerArgs& out, std::string& why);
