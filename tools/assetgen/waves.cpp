// The fifteen sound effects, each drawn from oscillators and noise.
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "assetgen.h"
#include "synth.h"

namespace assetgen {
namespace {

using namespace synth;

// Fills `seconds` of sound from a per-sample function of time in seconds.
Buffer Render(double seconds, const std::function<float(double)>& f) {
    Buffer b(Samples(seconds));
    for (size_t i = 0; i < b.size(); ++i) b[i] = f(double(i) / kRate);
    return b;
}

float Decay(double t, double tau) {
    return static_cast<float>(std::exp(-t / tau));
}

// A struck body: decaying sine modes with the given frequencies, decay times and levels.
struct Mode {
    double freq, tau, level;
};
float Modes(double t, const std::vector<Mode>& modes) {
    double v = 0;
    for (const Mode& m : modes)
        v += m.level * std::exp(-t / m.tau) * std::sin(2 * kPi * m.freq * t);
    return static_cast<float>(v);
}

// Group explosion: a thump and a burst of noise, with a shower of glassy shards that tells
// a cleared group from the deep boom of the bomb.
Buffer GroupExplosion() {
    Rng rng(11);
    Biquad lp(Biquad::kLowPass, 3000, 0.7);
    Biquad pop(Biquad::kBandPass, 1800, 4.0);
    double phase = 0;
    Buffer b = Render(0.95, [&](double t) {
        lp.Set(Biquad::kLowPass, 400 + 4000 * std::exp(-t / 0.1), 0.8);
        const float noise = lp.Run(rng.Bipolar()) * Decay(t, 0.16);
        phase += (60 + 110 * std::exp(-t / 0.04)) / kRate;
        const float thump = Sine(phase) * Decay(t, 0.12);
        // Debris: sparse impulses rung through a resonance, so they pop instead of tick.
        const float grain = (rng.Unit() < 0.002 * Decay(t, 0.3)) ? rng.Bipolar() : 0.0f;
        return 0.8f * noise + 0.8f * thump + 2.0f * pop.Run(grain);
    });
    for (int shard = 0; shard < 14; ++shard) {
        const double start = 0.01 + 0.35 * rng.Unit() * rng.Unit();
        const double f = 2200 + 3800 * rng.Unit();
        const double level = 0.12 + 0.1 * rng.Unit();
        for (size_t i = Samples(start); i < b.size(); ++i) {
            const double s = double(i) / kRate - start;
            if (s > 0.25) break;
            b[i] += static_cast<float>(level * std::exp(-s / 0.05) * std::sin(2 * kPi * f * s));
        }
    }
    return b;
}

// A single stone bursting: a short bright pop with a glassy ring.
Buffer StoneBurst() {
    Rng rng(23);
    Biquad bp(Biquad::kBandPass, 2200, 1.2);
    return Render(0.35, [&](double t) {
        const float noise = bp.Run(rng.Bipolar()) * Decay(t, 0.045);
        const float ring = Modes(t, {{1870, 0.06, 0.3}, {2930, 0.04, 0.2}, {4410, 0.03, 0.1}});
        const float body = Sine(t * (220 - 120 * t)) * Decay(t, 0.05);
        return 1.2f * noise + ring + 0.5f * body;
    });
}

// Menu click: a short tick with a small tonal knock.
Buffer MenuClick() {
    Rng rng(5);
    Biquad hp(Biquad::kHighPass, 1500, 0.7);
    return Render(0.09, [&](double t) {
        const float tick = hp.Run(rng.Bipolar()) * Decay(t, 0.004);
        const float tone = Modes(t, {{1320, 0.018, 0.8}, {2640, 0.008, 0.3}});
        return 0.7f * tick + tone;
    });
}

// Pointer over a button: a soft rising blip.
Buffer MenuHover() {
    double phase = 0;
    return Render(0.07, [&](double t) {
        phase += (900 + 5000 * t) / kRate;
        const double env = std::sin(kPi * std::min(1.0, t / 0.07));
        return static_cast<float>(env * env) * Sine(phase);
    });
}

// Catching an extra: a quick rising chime arpeggio.
Buffer CatchExtra() {
    const int notes[] = {72, 76, 79, 84};
    return Render(0.6, [&](double t) {
        double v = 0;
        for (int i = 0; i < 4; ++i) {
            const double s = t - i * 0.06;
            if (s < 0) continue;
            const double f = NoteFrequency(notes[i]);
            const double mod = 1.2 * std::exp(-s / 0.08) * std::sin(2 * kPi * f * 3.5 * s);
            v += 0.45 * std::exp(-s / 0.18) * std::sin(2 * kPi * f * s + mod);
        }
        return static_cast<float>(v);
    });
}

// The cannon's shot: a pneumatic push of air that falls in pitch, with a short pop.
Buffer CannonShot() {
    Rng rng(31);
    Biquad bp(Biquad::kBandPass, 1200, 0.9);
    double phase = 0;
    return Render(0.34, [&](double t) {
        bp.Set(Biquad::kBandPass, 900 + 4000 * std::exp(-t / 0.07), 1.1);
        const float air =
            bp.Run(rng.Bipolar()) * Decay(t, 0.09) * static_cast<float>(std::min(1.0, t / 0.006));
        phase += (220 + 900 * std::exp(-t / 0.05)) / kRate;
        const float tone = Sine(phase) * Decay(t, 0.05);
        return 1.4f * air + 0.5f * tone;
    });
}

// The tap opening: a wobbling metallic squeak.
Buffer TapSqueak() {
    Biquad bp(Biquad::kBandPass, 1800, 3.0);
    double phase = 0;
    return Render(0.45, [&](double t) {
        const double f =
            1250 + 350 * std::sin(2 * kPi * 2.2 * t) + 120 * std::sin(2 * kPi * 23 * t);
        phase += f / kRate;
        const double env = std::sin(kPi * t / 0.45);
        const float rasp = bp.Run(Square(phase - std::floor(phase), f / kRate, 0.3));
        return static_cast<float>(env) * (0.6f * rasp + 0.35f * Sine(phase));
    });
}

// A stone coming to rest: a hollow wooden knock.
Buffer WoodKnock() {
    Rng rng(47);
    Biquad lp(Biquad::kLowPass, 2500, 0.7);
    return Render(0.2, [&](double t) {
        const float hit = lp.Run(rng.Bipolar()) * Decay(t, 0.003);
        const float body = Modes(t, {{410, 0.045, 1.0}, {1080, 0.022, 0.5}, {2210, 0.01, 0.25}});
        return 0.6f * hit + body;
    });
}

// Running water, short and soft-edged: it is played every few frames and overlaps itself.
Buffer RunningWater() {
    Rng rng(59);
    Biquad bp(Biquad::kBandPass, 900, 0.6);
    Biquad lp(Biquad::kLowPass, 2500, 0.7);
    double phase = 0, bubbleStart = -1, bubbleFreq = 0;
    return Render(0.3, [&](double t) {
        const float hiss = lp.Run(bp.Run(rng.Bipolar()));
        if (rng.Unit() < 0.0012) bubbleStart = t, bubbleFreq = 500 + 900 * rng.Unit(), phase = 0;
        float bubble = 0;
        if (bubbleStart >= 0) {
            const double s = t - bubbleStart;
            phase += bubbleFreq * (1 + 6 * s) / kRate;
            bubble = Sine(phase) * Decay(s, 0.012);
        }
        const double env = std::sin(kPi * t / 0.3);
        return static_cast<float>(env) * (0.8f * hiss + 0.35f * bubble);
    });
}

// Bubbling: a run of bubbles, each a short sine whose pitch rises as it pops.
Buffer Bubbles(uint32_t seed, double seconds, double rate, double lowHz, double spreadHz) {
    Rng rng(seed);
    Buffer b(Samples(seconds), 0.0f);
    for (double start = 0.01; start < seconds - 0.15; start += (0.5 + rng.Unit()) / rate) {
        const double f0 = lowHz + spreadHz * rng.Unit();
        const double level = 0.5 + 0.5 * rng.Unit();
        double phase = 0;
        for (size_t i = Samples(start); i < b.size(); ++i) {
            const double s = double(i) / kRate - start;
            if (s > 0.12) break;
            phase += f0 * (1 + 8 * s) / kRate;
            b[i] += static_cast<float>(level * std::sin(2 * kPi * phase) * std::exp(-s / 0.025) *
                                       std::min(1.0, s / 0.002));
        }
    }
    return b;
}

// A colour splash: a wet splat with a falling bloop.
Buffer ColourSplash() {
    Rng rng(71);
    Biquad bp(Biquad::kBandPass, 1500, 1.5);
    double phase = 0;
    return Render(0.42, [&](double t) {
        bp.Set(Biquad::kBandPass, 3000 * std::exp(-t / 0.08) + 400, 1.5);
        const float splat = bp.Run(rng.Bipolar()) * Decay(t, 0.07);
        phase += (700 * std::exp(-t / 0.1) + 180) / kRate;
        const float bloop =
            Sine(phase) * Decay(t, 0.12) * static_cast<float>(std::min(1.0, t / 0.01));
        return 1.2f * splat + 0.6f * bloop;
    });
}

// The bomb: a deep, long boom.
Buffer Bomb() {
    Rng rng(83);
    Biquad lp(Biquad::kLowPass, 800, 0.7);
    double phase = 0;
    return Render(1.4, [&](double t) {
        lp.Set(Biquad::kLowPass, 150 + 1800 * std::exp(-t / 0.08), 0.9);
        const float rumble = lp.Run(rng.Bipolar()) * Decay(t, 0.4);
        phase += (38 + 70 * std::exp(-t / 0.08)) / kRate;
        const float boom = Sine(phase) * Decay(t, 0.35);
        return 1.4f * rumble + boom;
    });
}

// Dynamite: a sharp crack, then crackling debris, played together with the bomb.
Buffer Dynamite() {
    Rng rng(97);
    Biquad hp(Biquad::kHighPass, 900, 0.7);
    Biquad soft(Biquad::kLowPass, 5500, 0.7);
    Biquad pop(Biquad::kBandPass, 2600, 5.0);
    Biquad bp(Biquad::kBandPass, 2500, 0.8), dull(Biquad::kLowPass, 5000, 0.7);
    return Render(1.0, [&](double t) {
        const float crack = soft.Run(hp.Run(rng.Bipolar())) * Decay(t, 0.03);
        const float grain =
            (rng.Unit() < 0.004 * Decay(t, 0.6)) ? rng.Bipolar() * Decay(t, 0.7) : 0.0f;
        const float debris = pop.Run(grain);
        const float tail = dull.Run(bp.Run(rng.Bipolar())) * Decay(t, 0.25) * 0.25f;
        return crack + 4.0f * debris + tail;
    });
}

// A metal edge: an inharmonic clang.
Buffer MetalEdge() {
    return Render(1.1, [&](double t) {
        return Modes(t, {{523, 0.45, 0.6},
                         {1443, 0.3, 0.5},
                         {2825, 0.2, 0.35},
                         {4671, 0.12, 0.25},
                         {6980, 0.07, 0.15}});
    });
}

// The mix. The game plays each effect a fixed number of decibels below its volume setting
// (at the default setting 8, 10 or 13 dB, by the effect's slot); the tunes' median loudness is
// kMusicLoudness. Each effect's loudest 50 ms are set to sit `aboveMusic` dB over the loudest
// tune at the default volumes: the events of play a little above it, the clicks of the menus
// and the running water a little below, and nothing reaches full scale.
constexpr double kMusicLoudness = -22.0;
constexpr double kCeilingDb = -1.0;

void Save(const std::string& dir, const char* name, Buffer b, double aboveMusic,
          double defaultAttenuation) {
    FadeEdges(b, 0.002, 0.02);
    const double loudest = kMusicLoudness + aboveMusic + defaultAttenuation;
    Level(b, static_cast<float>(std::pow(10.0, loudest / 20.0)),
          static_cast<float>(std::pow(10.0, kCeilingDb / 20.0)), 0.05);
    // The limiter may lift the first samples a hair; the fades keep them silent.
    FadeEdges(b, 0.002, 0.02);
    WriteWav(dir + "/" + name, b);
}

}  // namespace

void GenerateWaves(const std::string& resDir) {
    const std::string dir = resDir + "/waves";
    std::filesystem::create_directories(dir);
    // Name, effect, dB over the music, and the game's attenuation at the default volume.
    Save(dir, "explgr.wav", GroupExplosion(), 2, 8);
    Save(dir, "expl2.wav", StoneBurst(), 2, 13);  // the tip hit must be heard
    Save(dir, "tast1.wav", MenuClick(), -4, 10);
    Save(dir, "tast2.wav", MenuHover(), -5, 10);
    Save(dir, "einsamm.wav", CatchExtra(), 1, 8);
    Save(dir, "schies.wav", CannonShot(), 0, 8);
    Save(dir, "hahn.wav", TapSqueak(), 0, 13);
    Save(dir, "holz1.wav", WoodKnock(), 2, 8);  // so is a stone coming to rest
    // Played again and again while the water runs, so it overlaps itself.
    Save(dir, "wasser3.wav", RunningWater(), -7, 13);
    Save(dir, "blubber2.wav", Bubbles(101, 1.2, 14, 350, 500), 0, 13);
    Save(dir, "blubber1.wav", Bubbles(103, 0.9, 7, 180, 250), 0, 13);
    Save(dir, "ballsplit.wav", ColourSplash(), 1, 13);
    // The bomb and the dynamite sound together.
    Save(dir, "bomb.wav", Bomb(), 3, 8);
    Save(dir, "dynamit2.wav", Dynamite(), 0, 8);
    Save(dir, "kantemetall.wav", MetalEdge(), 0, 8);
}

}  // namespace assetgen
