// Text drawing: every text goes through DrawText into a per-frame glyph queue that the renderer
// empties after the scene, so texts lie above all sprites and below the mouse pointer.
#pragma once

#include <array>
#include <string>
#include <vector>

struct Game;

enum TextAlign { kAlignLeft = 1, kAlignRight = 2, kAlignCentre = 3, kAlignRising = 4 };

constexpr int kTextQueueSlots = 1000;

// One DrawText call as the screens made it (kept per tick for the headless runner's dump).
struct TextCall {
    int x = 0;
    int y = 0;
    int align = 0;
    int colour = 0;
    std::string text;  // UTF-8
};

struct TextState {
    std::vector<TextCall> calls;  // DrawText calls of the current tick
};

// Start of every frame: the glyph queue starts again at slot 1.
void BeginTextFrame(Game& game);
// Free all queue slots (start-up).
void ClearTextQueue(Game& game);
// LoadFont with font 2, "res\font1.txt" and "res\font2.bmp".
void LoadGameFont(Game& game);
// Draw and free every queued glyph (end of the scene).
void DrawTextQueue(Game& game);

// Queue a text (UTF-8) at (x, y) with the given alignment and colour texture 1..7.
void DrawText(Game& game, int x, int y, int align, const std::string& text, int colour);
