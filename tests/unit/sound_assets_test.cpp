// The generated effects and tunes as the game will load them.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music_score.h"
#include "synth.h"

namespace {

const std::string kRes = RHOMBULUS_RES_DIR;

const char* const kWaves[] = {"wasser3.wav",     "blubber2.wav", "bomb.wav",   "dynamit2.wav",
                              "einsamm.wav",     "expl2.wav",    "explgr.wav", "holz1.wav",
                              "kantemetall.wav", "schies.wav",   "tast1.wav",  "tast2.wav",
                              "ballsplit.wav",   "blubber1.wav", "hahn.wav"};

struct Pcm {
    int rate = 0, channels = 0, bits = 0, format = 0;
    std::vector<double> samples;  // mono mix, -1..1
};

uint32_t Le(const std::vector<unsigned char>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | d.at(at + i);
    return v;
}

// A plain RIFF reader: walks the chunks, so extra chunks before "data" are fine.
Pcm ReadWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    Pcm pcm;
    if (d.size() < 12 || std::string(d.begin(), d.begin() + 4) != "RIFF" ||
        std::string(d.begin() + 8, d.begin() + 12) != "WAVE")
        return pcm;
    for (size_t at = 12; at + 8 <= d.size();) {
        const std::string id(d.begin() + at, d.begin() + at + 4);
        const size_t size = Le(d, at + 4, 4);
        if (id == "fmt ") {
            pcm.format = Le(d, at + 8, 2);
            pcm.channels = Le(d, at + 10, 2);
            pcm.rate = Le(d, at + 12, 4);
            pcm.bits = Le(d, at + 22, 2);
        } else if (id == "data" && pcm.bits == 16 && pcm.channels > 0) {
            const size_t frames = std::min(size, d.size() - at - 8) / (2 * pcm.channels);
            for (size_t f = 0; f < frames; ++f) {
                double sum = 0;
                for (int c = 0; c < pcm.channels; ++c)
                    sum += int16_t(Le(d, at + 8 + (f * pcm.channels + c) * 2, 2)) / 32768.0;
                pcm.samples.push_back(sum / pcm.channels);
            }
        }
        at += 8 + size + (size & 1);
    }
    return pcm;
}

double Db(double v) {
    return 20 * std::log10(std::max(v, 1e-12));
}

double PeakOf(const std::vector<double>& s, size_t from = 0, size_t to = SIZE_MAX) {
    double p = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i) p = std::max(p, std::fabs(s[i]));
    return p;
}

class Wave : public ::testing::TestWithParam<const char*> {};

TEST_P(Wave, IsShortCleanPcmNormalisedBelowFullScale) {
    const Pcm w = ReadWav(kRes + "/waves/" + GetParam());
    ASSERT_EQ(w.format, 1);  // PCM
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.rate, 44100);
    ASSERT_FALSE(w.samples.empty());
    const double seconds = double(w.samples.size()) / w.rate;
    EXPECT_GT(seconds, 0.04);
    EXPECT_LT(seconds, 1.5);
    const double peak = PeakOf(w.samples);
    EXPECT_LE(Db(peak), -0.5) << "no headroom";
    EXPECT_GE(Db(peak), -12.0) << "too quiet for its slot's level";
    // No click: the sound fades in over its first samples and out over its last millisecond.
    EXPECT_LT(PeakOf(w.samples, 0, 11), 0.25 * peak);
    EXPECT_LT(PeakOf(w.samples, w.samples.size() - 44), 0.05 * peak);
    EXPECT_LT(std::fabs(w.samples.front()), 0.002);
    EXPECT_LT(std::fabs(w.samples.back()), 0.002);
}

INSTANTIATE_TEST_SUITE_P(All, Wave, ::testing::ValuesIn(kWaves));

// Envelope in 10 ms frames, scaled to its own peak, for telling sounds apart.
std::vector<double> Envelope(const std::vector<double>& s) {
    std::vector<double> e;
    for (size_t i = 0; i < s.size(); i += 441) e.push_back(PeakOf(s, i, i + 441));
    const double p = *std::max_element(e.begin(), e.end());
    for (double& v : e) v /= p;
    return e;
}

// Share of the energy in each octave band from 125 Hz to 8 kHz, in dB.
std::vector<double> BandProfile(const std::vector<double>& s) {
    using assetgen::synth::Biquad;
    std::vector<double> bands;
    double total = 0;
    for (double centre = 125; centre <= 8000; centre *= 2) {
        Biquad bp(Biquad::kBandPass, centre, 1.4);
        double e = 0;
        for (double v : s) {
            const double y = bp.Run(static_cast<float>(v));
            e += y * y;
        }
        bands.push_back(e);
        total += e;
    }
    for (double& b : bands) b = 10 * std::log10(std::max(b / total, 1e-9));
    return bands;
}

// Each event must be recognisable: no two effects share both their shape in time and their
// spread over the octaves.
TEST(Waves, NoTwoEffectsSoundAlike) {
    std::vector<std::vector<double>> env, bands;
    for (const char* name : kWaves) {
        const Pcm w = ReadWav(kRes + "/waves/" + name);
        ASSERT_FALSE(w.samples.empty()) << name;
        env.push_back(Envelope(w.samples));
        bands.push_back(BandProfile(w.samples));
    }
    for (size_t a = 0; a < env.size(); ++a) {
        for (size_t b = a + 1; b < env.size(); ++b) {
            const size_t n = std::max(env[a].size(), env[b].size());
            double shape = 0;
            for (size_t i = 0; i < n; ++i) {
                const double x = i < env[a].size() ? env[a][i] : 0;
                const double y = i < env[b].size() ? env[b][i] : 0;
                shape += std::fabs(x - y);
            }
            double colour = 0;
            for (size_t i = 0; i < bands[a].size(); ++i)
                colour += std::fabs(bands[a][i] - bands[b][i]) / bands[a].size();
            EXPECT_TRUE(shape / n > 0.08 || colour > 3.0)
                << kWaves[a] << " ~ " << kWaves[b] << ": shape " << shape / n << ", colour "
                << colour << " dB";
        }
    }
}

struct Decoded {
    long rate = 0;
    int channels = 0;
    std::vector<float> left, right;
    double Seconds() const { return rate ? double(left.size()) / rate : 0; }
};

Decoded DecodeMp3(const std::string& path) {
    Decoded out;
    mpg123_init();
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h) return out;
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_GAPLESS, 0.0);
    if (mpg123_open(h, path.c_str()) == MPG123_OK) {
        int enc = 0;
        mpg123_getformat(h, &out.rate, &out.channels, &enc);
        std::vector<unsigned char> buf(1 << 16);
        size_t got = 0;
        int r;
        do {
            r = mpg123_read(h, buf.data(), buf.size(), &got);
            const float* f = reinterpret_cast<const float*>(buf.data());
            const size_t n = got / sizeof(float);
            for (size_t i = 0; out.channels > 0 && i + out.channels <= n; i += out.channels) {
                out.left.push_back(f[i]);
                out.right.push_back(f[i + out.channels - 1]);
            }
        } while (r == MPG123_OK || r == MPG123_NEW_FORMAT);
        mpg123_close(h);
    }
    mpg123_delete(h);
    return out;
}

class Tune : public ::testing::TestWithParam<const char*> {};

TEST_P(Tune, DecodesToAPleasantLevelAndLength) {
    const Decoded d = DecodeMp3(kRes + "/Musik/" + GetParam());
    ASSERT_EQ(d.rate, 44100);
    ASSERT_EQ(d.channels, 2);
    EXPECT_GE(d.Seconds(), 60.0);
    EXPECT_LE(d.Seconds(), 120.0);
    double peak = 0, sum = 0;
    for (size_t i = 0; i < d.left.size(); ++i) {
        peak = std::max({peak, double(std::fabs(d.left[i])), double(std::fabs(d.right[i]))});
        sum += double(d.left[i]) * d.left[i] + double(d.right[i]) * d.right[i];
    }
    const double rms = std::sqrt(sum / (2.0 * d.left.size()));
    EXPECT_LT(peak, 1.0) << "clipped";
    EXPECT_GT(Db(rms), -24.0);
    EXPECT_LT(Db(rms), -10.0);
}

// The game restarts a tune half a second before its length rounded to whole seconds; that
// point must be the loop's end, and the audio just past it the loop's beginning again.
TEST_P(Tune, RestartPointIsTheLoopPointInsideTheOverlap) {
    const Decoded d = DecodeMp3(kRes + "/Musik/" + GetParam());
    ASSERT_GT(d.Seconds(), 1.0);
    const double restart = std::nearbyint(d.Seconds()) - 0.5;
    const double loop = d.Seconds() - assetgen::music::kLoopOverlap;
    EXPECT_NEAR(restart, loop, 0.01);
    // The overlap repeats the start: compare 0.25 s after the loop point with the beginning.
    const size_t at = static_cast<size_t>(std::lround(loop * d.rate));
    const size_t n = static_cast<size_t>(0.25 * d.rate);
    ASSERT_LE(at + n, d.left.size());
    double dot = 0, a2 = 0, b2 = 0;
    for (size_t i = 0; i < n; ++i) {
        dot += double(d.left[at + i]) * d.left[i];
        a2 += double(d.left[at + i]) * d.left[at + i];
        b2 += double(d.left[i]) * d.left[i];
    }
    EXPECT_GT(dot / std::sqrt(a2 * b2), 0.9);
}

INSTANTIATE_TEST_SUITE_P(All, Tune, ::testing::Values("sr06.mp3", "vi02.mp3", "sr02.mp3"));

}  // namespace
