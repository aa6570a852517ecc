// rhombulus2-headless [--res DIR] [--seed N] [--ticks N] [--input FILE]
//                     [--shot T:FILE.png|.bmp]... [--dump T:FILE.json]... [--trace FILE.jsonl]
//                     [--no-draw]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "core/paths.h"
#include "runner/runner.h"

namespace {

int Usage(const char* why) {
    std::fprintf(stderr,
                 "rhombulus2-headless: %s\n"
                 "usage: rhombulus2-headless [--res DIR] [--seed N] [--ticks N] [--input FILE]\n"
                 "       [--shot T:FILE.png|.bmp]... [--dump T:FILE.json]... [--trace FILE.jsonl]\n"
                 "       [--no-draw]\n",
                 why);
    return 2;
}

// res/ beside the program, or the installed data folder.
std::string ResBesideBinary() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "res";
    std::string exe(buf, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return FindResDir(slash == std::string::npos ? std::string(".") : exe.substr(0, slash));
}

bool ParseNumber(const std::string& s, long long& value) {
    if (s.empty()) return false;
    char* end = nullptr;
    value = std::strtoll(s.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

bool ParseTimed(const std::string& s, std::pair<int, std::string>& out) {
    const size_t colon = s.find(':');
    long long t = 0;
    if (colon == std::string::npos || !ParseNumber(s.substr(0, colon), t) || t < 1 ||
        colon + 1 >= s.size())
        return false;
    out = {static_cast<int>(t), s.substr(colon + 1)};
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RunnerOptions options;
    options.resDir = ResBesideBinary();
    options.seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    // A recording names the seed of the game it was made in; --seed still overrides it.
    bool seedGiven = false;
    std::uint64_t scriptSeed = 0;
    bool scriptHasSeed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-draw") {
            options.noDraw = true;
            continue;
        }
        if (i + 1 >= argc) return Usage(("missing value after " + arg).c_str());
        const std::string value = argv[++i];
        long long n = 0;
        std::pair<int, std::string> timed;
        if (arg == "--res") {
            options.resDir = value;
        } else if (arg == "--seed") {
            if (!ParseNumber(value, n)) return Usage("--seed needs a number");
            options.seed = static_cast<std::uint64_t>(n);
            seedGiven = true;
        } else if (arg == "--ticks") {
            if (!ParseNumber(value, n) || n < 1 || n > 2000000000)
                return Usage("--ticks needs N >= 1");
            options.ticks = static_cast<int>(n);
        } else if (arg == "--input") {
            std::ifstream in(value, std::ios::binary);
            if (!in) return Usage(("cannot read " + value).c_str());
            const std::string text((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            std::string error;
            if (!ParseInputScript(text, options.events, error))
                return Usage((value + ": " + error).c_str());
            scriptHasSeed = ScriptSeed(text, scriptSeed);
            ScriptLanguage(text, options.firstStartLanguage);
        } else if (arg == "--shot" && ParseTimed(value, timed)) {
            options.shots.push_back(timed);
        } else if (arg == "--dump" && ParseTimed(value, timed)) {
            options.dumps.push_back(timed);
        } else if (arg == "--trace") {
            options.tracePath = value;
        } else {
            return Usage(("bad option " + arg + " " + value).c_str());
        }
    }
    if (!seedGiven && scriptHasSeed) options.seed = scriptSeed;
    return RunHeadless(options);
}
