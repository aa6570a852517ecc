// This tick's DrawText calls (the simulation's) and the font with its glyph queue (the drawing's).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/fields.h"
#include "platform/surface.h"

enum TextAlign { kAlignLeft = 1, kAlignRight = 2, kAlignCentre = 3, kAlignRising = 4 };

constexpr int kTextQueueSlots = 1000;
// Characters of the font's character line (glyph j + 1 belongs to character j). The lines after
// it add letters: their characters take glyphs from kFirstExtraGlyph on, in order over all
// those lines, so the first line's glyph numbers stay as they were.
constexpr int kFontChars = 96;
constexpr int kFirstExtraGlyph = 101;
// The most characters the later lines may hold together.
constexpr int kFontExtraChars = 20000;
// The one font the game loads.
constexpr int kGameFont = 2;
// Rows of one strip of font2.bmp: its ruler row and the glyphs' 19 rows. Line k of font1.txt
// has its glyphs on strip k, under the ruler in row 20 * (k - 1).
constexpr int kFontStripHeight = 20;
// A character missing from the character lines is drawn with this glyph.
constexpr int kMissingGlyph = 97;
// Pen advance of a space.
constexpr int kSpaceAdvance = 5;

// One DrawText call as the screens made it (kept per tick for the headless runner's dump).
struct TextCall {
    int x = 0;
    int y = 0;
    int align = 0;
    int colour = 0;
    std::string text;  // UTF-8
};

template <typename V>
void VisitFields(TextCall& t, V& v) {
    v("x", t.x, kAnyInt);
    v("y", t.y, kAnyInt);
    v("align", t.align, kAnyInt);
    v("colour", t.colour, kAnyInt);
    v("text", t.text, Bounds{0, 4096});
}

struct GlyphBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;   // exclusive
    int Bottom = 0;  // exclusive
    int Width = 0;
    int Height = 0;
};

// A glyph filled with one colour texture, as the glyph scratch surface would show it, made the
// first time it is drawn.
struct GlyphImage {
    bool made = false;
    bool drawable = false;  // false: the scratch would draw nothing for it
    Surface image;          // W x H, magenta transparent, with its runs
    // The glyph in this colour over its outline and shadow in texture 6, as the six draws
    // leave it: (W + 4) x (H + 4), drawn one pixel up and left of the glyph.
    bool composed = false;
    Surface withOutline;
};

// What the screens asked to be written this tick, in order.
struct TextCalls {
    std::vector<TextCall> calls;
};

struct Simulation;
// Asks for a text (UTF-8) at (x, y) with the given alignment and colour texture 1..7 in this
// tick's picture; the drawing lays out its glyphs.
void DrawText(Simulation& sim, int x, int y, int align, const std::string& text, int colour);

template <typename V>
void VisitFields(TextCalls& t, V& v) {
    v.List("Texts", t.calls, 100'000);
}

struct FontState {
    // The font: its first line's characters (Windows-1252) in glyph order and the glyph boxes in
    // font2.bmp.
    std::array<unsigned char, kFontChars + 1> FontChars{};
    int FontCharCount = 0;
    // The later lines' characters (code points) without their closing "$": FontExtraChars[j],
    // j from 1, has glyph kFirstExtraGlyph + j - 1. FontExtraLineEnds[k] is the count of them up
    // to the end of line k + 2; each line's glyphs lie on a strip of their own.
    std::vector<char32_t> FontExtraChars = std::vector<char32_t>(1, 0);
    std::vector<int> FontExtraLineEnds;
    int FontExtraCount = 0;
    // Indexed by glyph number; at least kFirstExtraGlyph + FontExtraCount boxes.
    std::vector<GlyphBox> Glyph = std::vector<GlyphBox>(kFirstExtraGlyph);
    // GlyphOf for every character the font holds, worked out when the font is loaded.
    std::unordered_map<char32_t, int> glyphByCode;
    bool glyphByCodeMade = false;

    // The glyph queue, slots 1..1000; a slot is free while its glyph is 0.
    std::array<int, kTextQueueSlots + 1> QueueX{};
    std::array<int, kTextQueueSlots + 1> QueueY{};
    std::array<int, kTextQueueSlots + 1> QueueGlyphNo{};
    std::array<int, kTextQueueSlots + 1> QueueFont{};
    std::array<int, kTextQueueSlots + 1> QueueColour{};
    int TextQueueCount = 0;
    // This tick's DrawText calls already laid out as glyphs.
    std::size_t callsQueued = 0;

    // [colour texture 1..7][glyph]; cleared when the font is loaded.
    std::array<std::vector<GlyphImage>, 8> glyphImages;
};
