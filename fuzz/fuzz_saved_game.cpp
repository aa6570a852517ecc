// A slot file: read on the load screen, then the level it names started and played a little.
#include "fuzz_support.h"
#include "menus/saved_games.h"
#include "modes/level_start.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteScratchFile("saves/ave1.dat", data, size);
    FuzzGame f;
    Game& g = f.game;
    if (!ReadSavedGame(g, SlotFile(1))) {
        FUZZ_EXPECT(g.level.LoadedLevel == 0 && g.level.LoadedMode == 0);
        return 0;
    }
    if (g.level.LoadedMode < kModeMatch) StartLevel(g, kLoadedGame, kLoadedGame, kLoadedGame, 0);
    // Fire now and then while the time bar and the score run.
    for (int t = 0; t < 12; ++t) {
        g.input.MouseButtonDown = t % 4 == 0 ? 1 : 0;
        f.Tick();
    }
    return 0;
}
