// A small synthesiser for the game's sound effects and tunes: oscillators, envelopes,
// filters, a reverb, and writers for 16-bit WAV and MP3.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen::synth {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Buffer = std::vector<float>;

struct Stereo {
    Buffer l, r;
    void Resize(size_t n) {
        l.assign(n, 0.0f);
        r.assign(n, 0.0f);
    }
    size_t Size() const { return l.size(); }
};

inline size_t Samples(double seconds) {
    return static_cast<size_t>(seconds * kRate + 0.5);
}

// Deterministic noise so every build writes the same files.
class Rng {
  public:
    explicit Rng(uint32_t seed) : s_(seed ? seed : 0x9e3779b9u) {}
    uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    // Uniform in [-1, 1).
    float Bipolar() { return static_cast<float>(Next() >> 8) / 8388608.0f - 1.0f; }
    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }

  private:
    uint32_t s_;
};

// Robert Bristow-Johnson's biquads, transposed direct form II.
class Biquad {
  public:
    enum Kind { kLowPass, kHighPass, kBandPass, kPeak };
    Biquad() = default;
    Biquad(Kind kind, double freq, double q, double gainDb = 0.0) { Set(kind, freq, q, gainDb); }
    void Set(Kind kind, double freq, double q, double gainDb = 0.0);
    float Run(float x) {
        const float y = b0_ * x + z1_;
        z1_ = b1_ * x - a1_ * y + z2_;
        z2_ = b2_ * x - a2_ * y;
        return y;
    }

  private:
    float b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    float z1_ = 0, z2_ = 0;
};

// One-pole smoothing low pass; cheap enough to retune every sample.
class OnePole {
  public:
    void SetCutoff(double freq);
    float Run(float x) {
        y_ += a_ * (x - y_);
        return y_;
    }

  private:
    float a_ = 1.0f, y_ = 0.0f;
};

// Attack / decay / sustain / release in seconds; `gate` is how long the note is held.
float Adsr(double t, double gate, double a, double d, double s, double r);

// Band-limited-enough waveforms of phase p in [0, 1) with a polyBLEP step correction.
float Saw(double p, double dp);
float Square(double p, double dp, double width = 0.5);
inline float Sine(double p) {
    return static_cast<float>(std::sin(2.0 * kPi * p));
}
float Triangle(double p);

double NoteFrequency(int midi);

// Freeverb-style room: combs in parallel then all-passes, mono in, stereo out.
class Reverb {
  public:
    Reverb(double roomSize, double damping);
    void Process(const Buffer& in, Stereo& out, float wet);
    // Runs the reverb over `in` treated as a loop: the tail past the end wraps to the start.
    void ProcessLooped(const Buffer& in, Stereo& out, float wet);

  private:
    struct Comb {
        std::vector<float> buf;
        size_t i = 0;
        float store = 0;
    };
    struct AllPass {
        std::vector<float> buf;
        size_t i = 0;
    };
    float feedback_, damp_;
    std::vector<Comb> combsL_, combsR_;
    std::vector<AllPass> allL_, allR_;
    void Tick(float x, float& l, float& r);
};

float Peak(const Buffer& b);
float Rms(const Buffer& b);
// RMS of the loudest window of the given length (in steps of a tenth of it).
float LoudestRms(const Buffer& b, double window);
// Median over consecutive windows of the RMS of both channels together.
float MedianLoudness(const Stereo& s, double window);
void Scale(Buffer& b, float g);
// Scales the buffer so its largest sample is `peak`.
void Normalize(Buffer& b, float peak);
// Brings the loudest `window` seconds to `rms` while no sample exceeds `ceiling` (both linear):
// scaled, and where the peaks stand in the way, their gain turned down smoothly over a couple
// of milliseconds around them, until both hold.
void Level(Buffer& b, float rms, float ceiling, double window);
// Raised-cosine fade in and fade out, in seconds, so nothing clicks at the edges.
void FadeEdges(Buffer& b, double in, double out);

// 16-bit PCM mono WAV at kRate.
void WriteWav(const std::string& path, const Buffer& b);
// Joint-stereo MP3 at kRate through libmp3lame of a sound that repeats: the encoder also hears
// the loop's end before its start and its start after its end, and the gapless tag tells the
// decoder to drop those, so the decoded file is the loop sample for sample and its end joins
// its start as smoothly as any two samples inside it.
void WriteLoopMp3(const std::string& path, const Stereo& loop, int kbps);

}  // namespace assetgen::synth
