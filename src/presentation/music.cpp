#include "presentation/music.h"

#include "core/game.h"
#include "core/mathutil.h"
#include "core/paths.h"
#include "platform/platform.h"

bool MusicCreate(Game& game) {
    if (!game.platform->AudioVersionOk()) return false;
    game.platform->AudioInit();
    game.music.created = true;
    return true;
}

void MusicDestroy(Game& game) {
    if (!game.music.created) return;
    game.platform->MusicFree();
    game.platform->AudioShutdown();
    game.music.created = false;
}

bool MusicPlayFile(Game& game, const std::string& gamePath) {
    game.music.lastFile = gamePath;
    if (!game.platform->MusicOpen(ResolveGamePath(game, gamePath))) return false;
    game.platform->MusicPlay();
    return true;
}

void MusicStop(Game& game) {
    game.platform->MusicPause();
    MusicSetPosition(game, 0);
}

int MusicGetVolume(const Game& game) {
    return game.platform->MusicGetVolume();
}

void MusicSetVolume(Game& game, int volume) {
    game.platform->MusicSetVolume(volume & 255);
}

int MusicGetPosition(const Game& game) {
    return RoundHalfEven(game.platform->MusicPositionSeconds());
}

int MusicGetLength(const Game& game) {
    return RoundHalfEven(game.platform->MusicLengthSeconds());
}

void MusicSetPosition(Game& game, int seconds) {
    game.platform->MusicSetPositionSeconds(seconds);
}

void StartTune(Game& game, const std::string& gamePath) {
    MusicStop(game);
    MusicPlayFile(game, gamePath);
    MusicSetVolume(game, 0);
}

void StartMenuMusic(Game& game) {
    StartTune(game, "res\\Musik\\vi02.mp3");
}
