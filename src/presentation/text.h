// Text drawing: the screens ask for texts with DrawText (core/text_state.h); the renderer lays
// this tick's calls out in a glyph queue and empties it after the scene, so texts lie above all
// sprites and below the mouse pointer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/text_state.h"

struct Game;
struct Surface;

// Bytes of the character file read at most.
constexpr std::size_t kFontCharFileBytes = 1 << 18;

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
// false (no characters) when the first line has no "$" within 96 characters. The lines after it
// (UTF-8, each closed by "$") are the added letters.
bool ReadFontChars(FontState& t, const std::vector<std::uint8_t>& bytes);
// The glyph boxes from the ruler in row 0 of the font bitmap.
void MeasureGlyphs(FontState& t, const Surface& bitmap);
// Glyph number of a character; kMissingGlyph when the font lacks it.
int GlyphOf(const Game& game, char32_t ch);
// The glyph a text draws for a character: a character without a Windows-1252 form that the
// font lacks draws as "?".
int GlyphOfText(const Game& game, char32_t ch);
// True when the loaded font has a glyph of its own for the character (the space always).
bool FontHolds(const Game& game, char32_t cp);
void QueueGlyph(Game& game, int x, int y, int glyph, int colour, int font);
// Draw and free every queued glyph (end of the scene).
void DrawTextQueue(Game& game);
// Free every queued glyph without drawing (a frame that is not drawn).
void DropTextQueue(Game& game);

// Lays out this tick's DrawText calls (core/text_state.h) not yet laid out as queued glyphs.
void QueueTextCalls(Game& game);
// Width in pixels a text takes when drawn centred or right-aligned (spaces count 5).
int TextWidth(const Game& game, const std::string& utf8Text);
