// groar.dat: the four tables read, shown page by page, and a new score entered into each.
#include "fuzz_support.h"
#include "menus/highscores.h"
#include "menus/record_file.h"
#include "menus/transitions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteScratchFile("saves/groar.dat", data, size);
    FuzzGame f;
    Game& g = f.game;
    ResetHighscores(g);
    if (ReadHighscores(g, kHighscoreFile)) {
        // What was read is written back with the same scores and names.
        const std::vector<std::uint8_t> bytes = HighscoreFileBytes(g);
        for (std::size_t k = 1; k < 29; ++k) {
            FUZZ_EXPECT(GetInt32(bytes, k * 24) ==
                        static_cast<std::int32_t>(
                            data[k * 24] | data[k * 24 + 1] << 8 | data[k * 24 + 2] << 16 |
                            static_cast<std::uint32_t>(data[k * 24 + 3]) << 24));
        }
    }
    ShowHighscores(g);
    for (int page = 1; page <= 4; ++page) {
        g.buttons.PageNumber = page;
        f.Tick();
    }
    for (int mode = 1; mode <= 4; ++mode) {
        g.play.GameMode = mode;
        CheckHighscore(g, 65000 - 1000 * mode);
        f.Tick();
    }
    return 0;
}
