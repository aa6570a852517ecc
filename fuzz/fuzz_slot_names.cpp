// names.dat: the slot list read when the load and save screens open, and written back.
#include <algorithm>

#include "core/name_text.h"
#include "fuzz_support.h"
#include "menus/saved_games.h"
#include "menus/transitions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteScratchFile("saves/names.dat", data, size);
    FuzzGame f;
    Game& g = f.game;
    ReadSlotNames(g);
    const bool valid = SlotNamesValid(std::vector<std::uint8_t>(data, data + size));
    for (int k = 1; k <= kSaveSlots; ++k) {
        FUZZ_EXPECT(Utf8Chars(g.own.SlotName[k]) <= 10);
        // A list that was read is written back with every significant byte as it was.
        if (!valid) continue;
        const std::vector<std::uint8_t> bytes = SlotNamesBytes(g, false);
        const std::size_t at = static_cast<std::size_t>(k) * 20;
        FUZZ_EXPECT(std::equal(bytes.begin() + at, bytes.begin() + at + 1 + data[at], data + at));
        FUZZ_EXPECT(std::equal(bytes.begin() + at + 12, bytes.begin() + at + 20, data + at + 12));
    }
    ShowLoadScreen(g);
    f.Tick(2);
    ShowSaveScreen(g);
    f.Tick(2);
    return 0;
}
