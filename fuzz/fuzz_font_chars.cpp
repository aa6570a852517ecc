// font1.txt: the character line read, measured against font2.bmp and used to draw every
// character there is.
#include "fuzz_support.h"
#include "platform/file_bytes.h"
#include "presentation/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteScratchFile("font1.txt", data, size);
    FuzzGame f;
    Game& g = f.game;
    const FileBytes file = ReadFileBytes(ScratchRes() + "/font1.txt", kFontCharFileBytes);
    const bool read = ReadFontChars(g.font, file.bytes);
    FUZZ_EXPECT(!read || (g.font.FontCharCount >= 1 && g.font.FontCharCount <= kFontChars &&
                          g.font.FontChars[g.font.FontCharCount] == '$'));
    FUZZ_EXPECT(g.font.FontExtraCount >= 0 && g.font.FontExtraCount <= kFontExtraChars);
    FUZZ_EXPECT(read || g.font.FontExtraCount == 0);
    Surface ruler = CreateSurface();
    // Two strips, each under its own ruler row.
    SetSurfaceSize(ruler, 2900, 2 * kFontStripHeight);
    FillSurface(ruler, kMagenta);
    for (int x = 0; x < 2900; x += 7 + x % 23) ruler.At(x, 0) = kBlack;
    for (int x = 0; x < 2900; x += 5 + x % 17) ruler.At(x, kFontStripHeight) = kBlack;
    MeasureGlyphs(g.font, ruler);
    std::string all;
    for (int c = 32; c < 256; ++c) all += static_cast<char>(c);
    BeginTextFrame(g);
    for (int align = 0; align <= 5; ++align) DrawText(g, 400, 300, align, all, 3);
    DrawTextQueue(g);
    return 0;
}
