#include "presentation/render_match.h"

#include "core/game.h"
#include "core/mathutil.h"
#include "core/mode_facts.h"
#include "presentation/render_game.h"
#include "presentation/sprites.h"

namespace {

void DrawPart(Game& game, int bitmap, const Rect& src, int x, int y, bool keyed) {
    game.draw.rect(game.backBuffer, x, y, src, keyed, game.bitmaps[bitmap]);
}

// The empty covers hide the lit X2 and flash lamps printed in the background while nothing runs.
void DrawIndicatorCovers(Game& game) {
    if (game.players[1].DoubleFrames == 0)
        DrawCellOpaque(game, kBmpMatchIndicator1, 57, 69, 0, 65, 66);
    if (game.players[1].FlashFrames == 0)
        DrawCellOpaque(game, kBmpMatchIndicator2, 293, 58, 0, 61, 66);
    if (game.players[2].FlashFrames == 0)
        DrawCellOpaque(game, kBmpMatchIndicator3, 509, 57, 0, 60, 59);
    if (game.players[2].DoubleFrames == 0)
        DrawCellOpaque(game, kBmpMatchIndicator4, 743, 69, 0, 60, 59);
}

void DrawTimeBars(Game& game) {
    DrawPart(game, kBmpMatchTimeCover, Rect{0, 0, 35, MatchTimeCoverRows(game.players[1].TimeLeft)},
             359, 114, false);
    DrawPart(game, kBmpMatchTimeCover,
             Rect{49, 0, 80, MatchTimeCoverRows(game.players[2].TimeLeft)}, 408, 114, false);
}

void DrawStones(Game& game) {
    const StoneTable& st = game.stones;
    for (int s = 1; s <= 2 * st.StoneCount && s <= kMaxStones; ++s) {
        if (st.StoneState[s] <= 0) continue;
        DrawSmallStone(game, kBmpSmallStones, st.StoneX[s], st.StoneY[s], st.StoneLook[s],
                       st.StoneColour[s]);
    }
}

void DrawCannons(Game& game) {
    const int f = (game.shell.FrameCounter / 4) % 32;
    for (int p = 1; p <= kMatchPlayers; ++p) {
        const CannonState& c = game.players[p].cannon;
        DrawPart(game, kBmpSmallAimMarker, Rect{13 * f, 0, 13 * f + 13, 55}, c.AimX - 6, c.AimY,
                 true);
        const int wheelFrame = 7 - c.CannonX % 8;
        DrawCell(game, kBmpSmallWheel, c.CannonX - 33, c.CannonY - 8, wheelFrame, 21, 21);
        DrawCell(game, kBmpSmallWheel, c.CannonX + 33, c.CannonY - 8, wheelFrame, 21, 21);
        DrawCell(game, kBmpSmallCannon, c.CannonX, c.CannonY, c.CannonLoad - 1, 72, 76);
    }
}

}  // namespace

int MatchTimeCoverRows(int timeLeft) {
    return RoundHalfEven((1000 - timeLeft) * 0.271);
}

void RenderMatchScreen(Game& game) {
    if (FactsOfMode(game.play.GameMode).players == 2)
        DrawCell(game, kBmpMatchBackground, 400, 300, 0, 600, 800);
    DrawIndicatorCovers(game);
    DrawTimeBars(game);
    DrawStones(game);
    DrawExtras(game, SmallExtraIcon);
    DrawCannons(game);
    DrawPart(game, kBmpMatchCentrePiece, Rect{0, 0, 115, 199}, 342, 399, true);
    DrawEffects(game);
}
