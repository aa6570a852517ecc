#include "presentation/render_editor.h"

#include <cstdlib>

#include "core/game.h"
#include "core/level_format.h"
#include "presentation/render_game.h"
#include "presentation/sprites.h"

namespace {

// A stone's outline: the rhombus around its centre, two pixels wide, clipped to the picture.
void Outline(Game& game, int cx, int cy, int half, std::uint32_t colour) {
    Surface& s = game.backBuffer;
    auto put = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < s.width && y < s.height) s.At(x, y) = colour;
    };
    for (int r = half - 1; r <= half; ++r) {
        for (int t = -r; t <= r; ++t) {
            put(cx + t, cy - (r - std::abs(t)));
            put(cx + t, cy + (r - std::abs(t)));
        }
    }
}

void DrawToolIcon(Game& game, int tool, int x, int y) {
    if (tool >= 1 && tool <= 8) {
        DrawStone(game, kBmpStones, x, y, 1, tool);
    } else if (tool == kToolAnchor) {
        DrawStone(game, kBmpStones, x, y, 1, kAnchorColour);
    } else if (tool == kToolEraser) {
        // An empty place, crossed out.
        Outline(game, x, y, 24, MatchColor(200, 200, 210));
        for (int t = -9; t <= 9; ++t) {
            for (int w = 0; w <= 1; ++w) {
                game.backBuffer.At(x + t + w, y + t) = MatchColor(230, 80, 80);
                game.backBuffer.At(x + t + w, y - t) = MatchColor(230, 80, 80);
            }
        }
    } else {
        const int type = tool - kToolFirstExtra + 1;
        const ExtraSprite& sp = kSingleExtraSprites[type];
        DrawClipped(game, ExtraIcon(type), 0, 0, sp.w, sp.h, x, y, true);
    }
}

}  // namespace

void RenderEditorScreen(Game& game) {
    const EditorState& e = game.editor;
    // The outlines and the eraser's cross are set pixel by pixel.
    game.draw.Unlisted(game.backBuffer);
    DrawCell(game, kBmpGameBackground, 400, 300, 0, 600, 800);
    // The proof's button stands on a copy of the panel's button plate, one place above "Test".
    DrawClipped(game, kBmpGameBackground, 702, 388, 96, 36, 750, 406 - 47, false);
    // The time a test of the level starts with.
    game.draw.rect(game.backBuffer, 656, 295, Rect{0, 0, 35, TimeCoverRows(500)}, false,
                   game.bitmaps[kBmpTimeCover]);
    for (int i = -4; i <= 5; ++i)
        DrawStone(game, kBmpStones, kEditorCentreX - 30 + 60 * i, 0, 1, kAnchorColour);
    LatticeWalk walk(kEditorCentreX, 0);
    for (int k = 0; k < kEditorCells; ++k) {
        walk.Next();
        if (k < 10 || e.Cell[k] < 0) continue;
        DrawStone(game, kBmpStones, walk.X(), walk.Y(), 1,
                  e.Cell[k] == 9 ? kAnchorColour : e.Cell[k] + 1);
        // What the stone holds, small over it: in the game the extra shows only when it falls.
        if (e.Extra[k] >= 1 && e.Extra[k] <= 7) {
            const ExtraSprite& sp = kMatchExtraSprites[e.Extra[k]];
            DrawClipped(game, SmallExtraIcon(e.Extra[k]), 0, 0, sp.w, sp.h, walk.X(), walk.Y(),
                        true);
        }
    }
    LatticeWalk marks(kEditorCentreX, 0);
    for (int k = 0; k < kEditorCells; ++k) {
        marks.Next();
        // A flagged stone: a broad ring just outside it, bright on the field and on a red stone.
        if (e.Faulty[k] != 0) {
            Outline(game, marks.X(), marks.Y(), 33, MatchColor(255, 235, 225));
            Outline(game, marks.X(), marks.Y(), 31, MatchColor(255, 50, 30));
        }
        if (k == e.CursorCell && k != 0)
            Outline(game, marks.X(), marks.Y(), 27, MatchColor(255, 230, 90));
    }
    for (int tool = 1; tool <= kEditorTools; ++tool) {
        DrawToolIcon(game, tool, EditorToolX(tool), EditorToolY(tool));
        if (tool == e.Tool)
            Outline(game, EditorToolX(tool), EditorToolY(tool), 31, MatchColor(255, 255, 255));
    }
}
