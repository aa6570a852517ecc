// A slot file: read on the load screen, then the level it names started and played a little.
#include "fuzz_support.h"
#include "menus/saved_games.h"
#include "modes/level_start.h"
#include "modes/match.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteScratchFile("saves/ave1.dat", data, size);
    FuzzGame f;
    Game& g = f.game;
    LevelStartRequest slot;
    if (!ReadSavedGame(g, SlotFile(1), slot)) {
        FUZZ_EXPECT(slot.kind == LevelStartKind::kNone);
        return 0;
    }
    if (slot.match != 0)
        StartMatchLevel(g, g.env, slot);
    else
        StartLevel(g, g.env, slot);
    // Fire now and then while the time bar and the score run.
    for (int t = 0; t < 12; ++t) {
        g.input.MouseButtonDown = t % 4 == 0 ? 1 : 0;
        f.Tick();
    }
    return 0;
}
