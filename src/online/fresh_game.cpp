#include "online/fresh_game.h"

#include "core/game.h"
#include "shell/frame_loop.h"

bool StartFreshGame(Game& game, int mode) {
    for (int i = 0; i < 2 && !game.session.WindowClosed; ++i) FrameTick(game, false);
    if (game.session.WindowClosed) return false;
    game.requests.levelStart = NewLevelStart(1, mode, 1, true);
    CarryOutRequests(game);
    return game.play.GameMode == mode;
}
