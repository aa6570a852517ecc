#include "presentation/text.h"

#include "shell/game.h"

void DrawText(Game& game, int x, int y, int align, const std::string& text, int colour) {
    game.text.calls.push_back(TextCall{x, y, align, colour, text});
}

void BeginTextFrame(Game& game) {
    game.text.calls.clear();
}

void ClearTextQueue(Game& game) {
    game.text.calls.clear();
}

void LoadGameFont(Game& game) {
    (void)game;
}

void DrawTextQueue(Game& game) {
    (void)game;
}
