#include "shell/frame_loop.h"
#include "shell/game.h"

void RunScreenHandler(Game& game) {
    switch (game.shell.ScreenId) {
        case kScreenSplash:
            SplashScreen(game);
            break;
        default:
            // A screen without a handler only renders, sounds and flips.
            break;
    }
}
