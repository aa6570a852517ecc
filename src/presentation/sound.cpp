#include "presentation/sound.h"

#include "core/game.h"
#include "core/mathutil.h"
#include "platform/platform.h"

namespace {

struct SlotWaves {
    int slot;
    const char* waves[2];
    int offset;  // hundredths of a decibel below the volume setting
};

constexpr SlotWaves kSlots[] = {
    {sndExplgr, {"explgr.wav", nullptr}, 4000},
    {sndTast1, {"tast1.wav", nullptr}, 4200},
    {sndTast2, {"tast2.wav", nullptr}, 4200},
    {sndEinsamm, {"einsamm.wav", nullptr}, 4000},
    {sndExpl2, {"expl2.wav", nullptr}, 4500},
    {sndSchies, {"schies.wav", nullptr}, 4000},
    {sndHahn, {"hahn.wav", nullptr}, 4500},
    {sndHolz1, {"holz1.wav", nullptr}, 4000},
    {sndWasser3, {"wasser3.wav", nullptr}, 4500},
    {sndBlubber2, {"blubber2.wav", nullptr}, 4500},
    {sndBallsplit, {"ballsplit.wav", nullptr}, 4500},
    {sndBomb, {"bomb.wav", "dynamit2.wav"}, 4000},
};

}  // namespace

void PlaySounds(Game& game) {
    SoundState& s = game.sound;
    if (game.shell.SoundOn == 1 && game.shell.SoundVolume >= 1 && game.platform != nullptr) {
        const int v = RoundHalfEven(game.shell.SoundVolume * 4000.0 / 100.0);
        for (const SlotWaves& entry : kSlots) {
            if (s.SoundRequest[entry.slot] != 1) continue;
            for (const char* wave : entry.waves) {
                if (wave == nullptr) continue;
                game.platform->PlayWave(wave, (s.SoundX[entry.slot] - 400) * 2, v - entry.offset);
            }
        }
    }
    s.SoundRequest.fill(0);
}
