#include "menus/text_entry.h"

#include "core/game.h"
#include "core/name_text.h"
#include "presentation/text.h"

void TypeNameKey(Game& game, std::string& name, char32_t ch, int capacity, NameCharRule accept) {
    MenuState& m = game.menus;
    if (ch == 8) {
        name.clear();
        m.TypedCount = 0;
        return;
    }
    ++m.TypedCount;
    if (m.TypedCount > capacity) return;  // further keys change nothing
    char32_t stored = 0;
    if ((accept != nullptr ? accept : NameCharacter)(ch, stored) && FontHolds(game, stored))
        AppendCodePoint(name, stored);
    else
        --m.TypedCount;
}

void DrawNameCursor(Game& game, int x, int y, const std::string& name, int capacity) {
    // Shown for 20 ticks, hidden for 20.
    constexpr int kBlinkTicks = 20;
    if (static_cast<int>(Utf8Chars(name)) >= capacity) return;
    if (game.shell.FrameCounter / kBlinkTicks % 2 != 0) return;
    // "_" is one of the font's symbol glyphs, always drawn in the symbol texture.
    DrawText(game, x + TextWidth(game, name), y, kAlignLeft, "_", 2);
}
