// The music player: one stream at a time, volume 0..100, position and length in whole seconds.
#pragma once

#include <string>

#include "core/music_player.h"

struct Game;

// Create the player; false when the audio library is too old ("Versionsfehler").
bool MusicCreate(Game& game);
void MusicDestroy(Game& game);
// Start a tune given as a game path ("res\Musik\vi02.mp3"); true when it plays.
bool MusicPlayFile(Game& game, const std::string& gamePath);
// Pause and rewind.
void MusicStop(Game& game);
int MusicGetVolume(const Game& game);
void MusicSetVolume(Game& game, int volume);
int MusicGetPosition(const Game& game);
int MusicGetLength(const Game& game);
void MusicSetPosition(Game& game, int seconds);

// Stops the current tune and starts the menu tune at volume 0.
void StartMenuMusic(Game& game);
// Stop the current tune, start the given one at volume 0 (the frame loop fades it in).
void StartTune(Game& game, const std::string& gamePath);
