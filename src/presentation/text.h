// Text drawing: every text goes through DrawText into a per-frame glyph queue that the renderer
// empties after the scene, so texts lie above all sprites and below the mouse pointer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Game;
struct Surface;

enum TextAlign { kAlignLeft = 1, kAlignRight = 2, kAlignCentre = 3, kAlignRising = 4 };

constexpr int kTextQueueSlots = 1000;
// Characters of the font's character line, and glyph boxes (glyph j + 1 belongs to character j).
constexpr int kFontChars = 96;
constexpr int kFontGlyphs = 100;
// The one font the game loads.
constexpr int kGameFont = 2;
// A character missing from the character line is drawn with this glyph.
constexpr int kMissingGlyph = 97;
// Pen advance of a space.
constexpr int kSpaceAdvance = 5;
// Bytes of the character file read: its first line is all that counts.
constexpr std::size_t kFontCharFileBytes = 1024;

// One DrawText call as the screens made it (kept per tick for the headless runner's dump).
struct TextCall {
    int x = 0;
    int y = 0;
    int align = 0;
    int colour = 0;
    std::string text;  // UTF-8
};

struct GlyphBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;   // exclusive
    int Bottom = 0;  // exclusive
    int Width = 0;
    int Height = 0;
};

struct TextState {
    std::vector<TextCall> calls;  // DrawText calls of the current tick

    // The font: its characters (Windows-1252) in glyph order and the glyph boxes in font2.bmp.
    std::array<unsigned char, kFontChars + 1> FontChars{};
    int FontCharCount = 0;
    std::array<GlyphBox, kFontGlyphs + 1> Glyph{};

    // The glyph queue, slots 1..1000; a slot is free while its glyph is 0.
    std::array<int, kTextQueueSlots + 1> QueueX{};
    std::array<int, kTextQueueSlots + 1> QueueY{};
    std::array<int, kTextQueueSlots + 1> QueueGlyphNo{};
    std::array<int, kTextQueueSlots + 1> QueueFont{};
    std::array<int, kTextQueueSlots + 1> QueueColour{};
    int TextQueueCount = 0;
};

// Start of every frame: the glyph queue starts again at slot 1.
void BeginTextFrame(Game& game);
// Free all queue slots (start-up).
void ClearTextQueue(Game& game);
void ClearTextSlot(Game& game, int slot);
// Measure the font: the character line from charFile, the glyph boxes from bitmapFile (game
// paths). False, with the font left empty and the file named in failedFile, when either is
// missing or damaged (a character line without "$" within its first 96 characters).
bool LoadFont(Game& game, int font, const std::string& charFile, const std::string& bitmapFile,
              std::string* failedFile = nullptr);
// LoadFont with font 2, "res\font1.txt" and "res\font2.bmp".
bool LoadGameFont(Game& game, std::string* failedFile = nullptr);
// The character line from the bytes of a character file: its characters up to and with the "$";
// false (no characters) when the first line has no "$" within 96 characters.
bool ReadFontChars(TextState& t, const std::vector<std::uint8_t>& bytes);
// The glyph boxes from the ruler in row 0 of the font bitmap.
void MeasureGlyphs(TextState& t, const Surface& bitmap);
// Glyph number of a Windows-1252 character.
int GlyphOf(const Game& game, unsigned char ch);
void QueueGlyph(Game& game, int x, int y, int glyph, int colour, int font);
// Draw and free every queued glyph (end of the scene).
void DrawTextQueue(Game& game);

// Queue a text (UTF-8) at (x, y) with the given alignment and colour texture 1..7.
void DrawText(Game& game, int x, int y, int align, const std::string& text, int colour);
// Width in pixels a text takes when drawn centred or right-aligned (spaces count 5).
int TextWidth(const Game& game, const std::string& utf8Text);
