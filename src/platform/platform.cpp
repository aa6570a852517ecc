#include "platform/platform.h"

#include <cstdio>

void ReportMissingSound(std::set<std::string>& reported, const char* what,
                        const std::string& path) {
    if (!reported.insert(path).second) return;
    std::fprintf(stderr, "rhombulus2: the %s \"%s\" is missing or damaged; it stays silent.\n",
                 what, path.c_str());
}
