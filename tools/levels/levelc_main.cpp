// levelc: compiles level sources (Puzzle and pipe, or the match with --match) into the game's
// level files, turns level files back into sources and checks levels before they ship.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "playfield/level_pack.h"
#include "playfield/level_text.h"

namespace {

using namespace levels;

int Usage() {
    std::cerr
        << "usage:\n"
           "  levelc compile SOURCE.txt OUT.lvl\n"
           "  levelc compile -d OUTDIR SOURCE.txt...   (writes lvl00<N>.lvl or pipelev<N>.lvl\n"
           "                                            for N.txt, lvl00<N>.lvl for the N-th\n"
           "                                            level of a pack)\n"
           "  levelc decompile IN.lvl [OUT.txt]\n"
           "  levelc check FILE...                     (sources, .lvl files or level packs)\n"
           "  --match after the command: match levels (lvl000<N>two.lvl, the match "
           "lattice)\n";
    return 2;
}

bool ReadAll(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

bool WriteDirect(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(data.data(), static_cast<std::streamsize>(data.size()))) {
        std::cerr << path << ": cannot write\n";
        return false;
    }
    return true;
}

// A regular file is replaced whole through a temporary, so a failed write never leaves half a
// level behind; anything else (a terminal, a pipe, a link) is written to as it is.
bool WriteAll(const std::string& path, const std::string& data) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return WriteDirect(path, data);
    const std::string tmp = path + ".tmp";
    if (!WriteDirect(tmp, data)) return false;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        std::cerr << path << ": cannot write\n";
        return false;
    }
    return true;
}

bool IsLevelFile(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".lvl") == 0;
}

const Lattice* gLattice = &kPuzzleLattice;

// Reads a file whole; reports and returns false when it cannot.
bool ReadReported(const std::string& path, std::string& data) {
    if (!ReadAll(path, data)) {
        std::cerr << path << ": cannot read\n";
        return false;
    }
    return true;
}

// The levels of a file: one from a source or a level file, all of a pack (their names
// "PACK level N"). Reports and returns false when it does not read.
bool LoadAll(const std::string& path, std::vector<NamedLevel>& out);

// Loads a source or a level file; reports and returns false when it does not read.
bool Load(const std::string& path, Level& level) {
    std::string data;
    if (!ReadReported(path, data)) return false;
    if (IsPackText(data)) {
        std::cerr << path << ": a level pack: compile it with -d DIR\n";
        return false;
    }
    if (IsLevelFile(path)) {
        DecodeResult d = DecodeFile(data);
        if (!d.ok) {
            std::cerr << path << ": " << d.error << "\n";
            return false;
        }
        level = Level{};
        level.pipe = IsPipeFileName(path);
        level.lattice = gLattice;
        level.records = d.records;
        return true;
    }
    ParseResult p = ParseSource(data, *gLattice);
    if (!p.ok) {
        std::cerr << path << ":" << p.problem.line << ": " << p.problem.message << "\n";
        return false;
    }
    level = p.level;
    return true;
}

bool LoadAll(const std::string& path, std::vector<NamedLevel>& out) {
    std::string data;
    if (!ReadReported(path, data)) return false;
    if (IsLevelFile(path) || !IsPackText(data)) {
        Level level;
        if (!Load(path, level)) return false;
        out.push_back({path, level});
        return true;
    }
    PackResult p = ParsePack(data);
    if (!p.ok) {
        std::cerr << path << ":" << p.problem.line << ": " << p.problem.message << "\n";
        return false;
    }
    for (size_t i = 0; i < p.pack.levels.size(); ++i)
        out.push_back({path + " level " + std::to_string(i + 1), p.pack.levels[i]});
    return true;
}

int Compile(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[0]) == "-d") {
        const std::filesystem::path dir = argv[1];
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        int failures = 0;
        for (int i = 2; i < argc; ++i) {
            const std::string src = argv[i];
            std::string data;
            if (ReadAll(src, data) && IsPackText(data)) {
                // A pack's levels are numbered from 1 in its order.
                std::vector<NamedLevel> pack;
                if (!LoadAll(src, pack)) {
                    ++failures;
                    continue;
                }
                for (size_t n = 0; n < pack.size(); ++n) {
                    const std::string name =
                        LevelFileName(static_cast<int>(n) + 1, *pack[n].level.lattice);
                    if (!WriteAll((dir / name).string(), EncodeFile(pack[n].level.records)))
                        ++failures;
                }
                continue;
            }
            int number = SourceNumber(src);
            if (number <= 0) {
                std::cerr << src << ": a source is named by its level number, like 07.txt\n";
                ++failures;
                continue;
            }
            Level level;
            if (!Load(src, level)) {
                ++failures;
                continue;
            }
            const std::string name =
                level.pipe ? PipeLevelFileName(number) : LevelFileName(number, *gLattice);
            if (!WriteAll((dir / name).string(), EncodeFile(level.records))) ++failures;
        }
        return failures ? 1 : 0;
    }
    if (argc != 2) return Usage();
    Level level;
    if (!Load(argv[0], level)) return 1;
    return WriteAll(argv[1], EncodeFile(level.records)) ? 0 : 1;
}

int DecompileCmd(int argc, char** argv) {
    if (argc < 1 || argc > 2) return Usage();
    const std::string in = argv[0];
    std::string data;
    if (!ReadAll(in, data)) {
        std::cerr << in << ": cannot read\n";
        return 1;
    }
    DecodeResult d = DecodeFile(data);
    if (!d.ok) {
        std::cerr << in << ": " << d.error << "\n";
        return 1;
    }
    std::string base = std::filesystem::path(in).filename().string();
    DecompileResult r =
        IsPipeFileName(in)
            ? Decompile(d.records, "; decompiled from " + base + "\n; name: " + base,
                        kPuzzleLattice, true)
            : Decompile(d.records, "; decompiled from " + base + "\n; name: " + base, *gLattice);
    if (!r.ok) {
        std::cerr << in << ": " << r.problem.message << "\n";
        return 1;
    }
    if (argc == 2) return WriteAll(argv[1], r.text) ? 0 : 1;
    std::cout << r.text;
    return 0;
}

int Check(int argc, char** argv) {
    if (argc < 1) return Usage();
    int failures = 0;
    std::vector<NamedLevel> set;
    int levels = 0;  // a pack counts its levels
    for (int i = 0; i < argc; ++i) {
        const std::string path = argv[i];
        const size_t first = set.size();
        if (!LoadAll(path, set)) {
            ++failures;
            ++levels;
            continue;
        }
        levels += static_cast<int>(set.size() - first);
        for (size_t n = first; n < set.size(); ++n) {
            const Level& level = set[n].level;
            if (!IsLevelFile(path) && level.name.empty()) {
                std::cerr << path << ":1: the level has no '; name:' line\n";
                ++failures;
            }
            for (const Problem& p : CheckLevel(level)) {
                std::cerr << path << ":" << p.line << ": " << p.message << "\n";
                ++failures;
            }
        }
    }
    for (const std::string& p : CheckSet(set)) {
        std::cerr << p << "\n";
        ++failures;
    }
    if (failures) {
        std::cerr << failures << " problem" << (failures == 1 ? "" : "s") << " in " << levels
                  << " level" << (levels == 1 ? "" : "s") << "\n";
        return 1;
    }
    std::cout << levels << " level" << (levels == 1 ? "" : "s") << " checked, no problems\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    std::vector<char*> args;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--match")
            gLattice = &kMatchLattice;
        else
            args.push_back(argv[i]);
    }
    const int n = static_cast<int>(args.size());
    if (cmd == "compile") return Compile(n, args.data());
    if (cmd == "decompile") return DecompileCmd(n, args.data());
    if (cmd == "check") return Check(n, args.data());
    return Usage();
}
