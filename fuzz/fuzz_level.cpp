// A level file of one mode (FUZZ_LEVEL_MODE): read by the level start, built, and played a little
// with shots all over the field.
#include "core/mode_facts.h"
#include "fuzz_support.h"
#include "modes/level_file.h"
#include "modes/level_start.h"
#include "modes/match.h"
#include "shell/disk_levels.h"
#include "shell/input.h"

#ifndef FUZZ_LEVEL_MODE
#define FUZZ_LEVEL_MODE 2
#endif

// Level 1 of the mode, as its facts name the file.
std::string LevelFileOf(int mode) {
    return LevelFilePath(FactsOfMode(mode), 1);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string gamePath = LevelFileOf(FUZZ_LEVEL_MODE);
    std::string relative = gamePath.substr(4);
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
    WriteScratchFile(relative, data, size);
    FuzzGame f;
    Game& g = f.game;
    LevelRecords records;
    const bool read = LoadLevelRecords(DiskLevels(), ScratchRes() + "/" + relative, records);
    FUZZ_EXPECT(read == (size >= static_cast<std::size_t>(kLevelFileBytes)));
    const bool valid = read && LevelRecordsValid(records, FUZZ_LEVEL_MODE);
    const bool match = FUZZ_LEVEL_MODE == kModeMatch;
    const bool started =
        match ? StartMatchLevel(g, g.env, 1, 1, false, true) : StartLevel(g, g.env, 1, FUZZ_LEVEL_MODE, 1, 0);
    // A pipe level also needs both barrels, so only the puzzle starts every valid file.
    if (FUZZ_LEVEL_MODE == kModePuzzle) FUZZ_EXPECT(started == valid);
    FUZZ_EXPECT(!started || valid);
    if (!started) return 0;
    for (int t = 0; t < 16; ++t) {
        DXDraw1MouseMove(g, 60 + (t * 157) % 680, 300);
        g.input.MouseButtonDown = t % 2 == 0 ? 1 : 0;
        g.input.MouseButtonDown2 = g.input.MouseButtonDown;
        f.Tick();
    }
    return 0;
}
