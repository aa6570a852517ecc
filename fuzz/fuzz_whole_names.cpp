// groar-utf8.txt and names-utf8.txt: the side files of whole names, read beside tables whose
// records hold the Windows-1252 forms of Cyrillic, Greek and Latin names; what is read is a name
// of at most ten characters, and written back it reads the same.
#include "core/name_text.h"
#include "fuzz_support.h"
#include "menus/highscores.h"
#include "menus/saved_games.h"
#include "menus/transitions.h"

namespace {

// Names whose records hold "?", "??", ... and one that Windows-1252 holds itself.
const char* const kNames[] = {"\u0438", "\u03b1\u03b2", "\u0436\u0443\u043a",
                              "\u0105\u0107\u0119\u0142", "d\u00e9tlef"};

bool NamesFit(const std::string& name) {
    return ValidUtf8(name) && Utf8Chars(name) <= 10;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzGame f;
    Game& g = f.game;
    ResetHighscores(g);
    g.own.SlotName.fill("noname");
    for (int i = 0; i < 5; ++i) {
        g.own.HighscoreName[1 + i % 4][1 + i] = kNames[i];
        g.own.SlotName[1 + i] = kNames[i];
        g.own.SlotMode[1 + i] = 1;
        g.own.SlotLevel[1 + i] = 1;
    }
    WriteHighscores(g, kHighscoreFile, false);
    WriteSlotNames(g, false);
    WriteScratchFile("saves/groar-utf8.txt", data, size);
    WriteScratchFile("saves/names-utf8.txt", data, size);

    FUZZ_EXPECT(ReadHighscores(g, kHighscoreFile));
    ReadSlotNames(g);
    const PlayerOwn read = g.own;
    for (int t = 1; t <= kHighscoreTables; ++t)
        for (int r = 1; r <= kHighscorePlaces; ++r) FUZZ_EXPECT(NamesFit(read.HighscoreName[t][r]));
    for (int k = 1; k <= kSaveSlots; ++k) FUZZ_EXPECT(NamesFit(read.SlotName[k]));

    WriteHighscores(g, kHighscoreFile, false);
    WriteSlotNames(g, false);
    FUZZ_EXPECT(ReadHighscores(g, kHighscoreFile));
    ReadSlotNames(g);
    FUZZ_EXPECT(g.own.HighscoreName == read.HighscoreName);
    FUZZ_EXPECT(g.own.SlotName == read.SlotName);

    ShowHighscores(g);
    f.Tick();
    ShowLoadScreen(g);
    f.Tick();
    return 0;
}
