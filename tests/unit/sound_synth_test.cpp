// The synthesiser's levelling of an effect against the music, and the encoding of a loop that
// the decoder plays back sample for sample.
#include <gtest/gtest.h>
#include <mpg123.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "synth.h"

namespace {

using namespace assetgen::synth;

double Db(double v) {
    return 20 * std::log10(std::max(v, 1e-12));
}

// A sound with the given crest: a decaying noise burst, a struck tone or a steady hum.
Buffer Sound(int kind) {
    Rng rng(7);
    Buffer b(Samples(0.4));
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        if (kind == 0) b[i] = rng.Bipolar() * static_cast<float>(std::exp(-t / 0.05));
        if (kind == 1) b[i] = static_cast<float>(std::sin(2 * kPi * 400 * t) * std::exp(-t / 0.08));
        if (kind == 2) b[i] = static_cast<float>(0.3 * std::sin(2 * kPi * 150 * t));
    }
    return b;
}

struct LevelCase {
    int kind;
    double rmsDb, ceilingDb;
};

class LevelTo : public ::testing::TestWithParam<LevelCase> {};

// The loudest 50 ms reach the level asked for, no sample passes the ceiling, and the gain moves
// no faster than its 2 ms ramp, so the limiting does not click.
TEST_P(LevelTo, ReachesTheLevelUnderTheCeilingWithoutAJump) {
    const LevelCase c = GetParam();
    const Buffer original = Sound(c.kind);
    Buffer b = original;
    Level(b, static_cast<float>(std::pow(10.0, c.rmsDb / 20)),
          static_cast<float>(std::pow(10.0, c.ceilingDb / 20)), 0.05);
    EXPECT_NEAR(Db(LoudestRms(b, 0.05)), c.rmsDb, 0.3);
    EXPECT_LE(Db(Peak(b)), c.ceilingDb + 1e-4);
    double previous = -1;
    for (size_t i = 0; i < b.size(); ++i) {
        if (std::fabs(original[i]) < 1e-3) continue;
        const double gain = b[i] / original[i];
        if (previous >= 0) {
            EXPECT_LT(std::fabs(gain - previous), 0.05 * previous + 0.02) << i;
        }
        previous = gain;
    }
}

INSTANTIATE_TEST_SUITE_P(Sounds, LevelTo,
                         ::testing::Values(LevelCase{0, -20, -1}, LevelCase{0, -7, -1},
                                           LevelCase{1, -12, -1}, LevelCase{1, -5, -1},
                                           LevelCase{2, -9, -6}, LevelCase{2, -30, -1}));

// Decodes as SDL_mixer does, through mpg123 with the gapless tag honoured.
std::vector<float> DecodeLeft(const std::string& path) {
    std::vector<float> out;
    mpg123_init();
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_GAPLESS, 0.0);
    if (mpg123_open(h, path.c_str()) == MPG123_OK) {
        std::vector<unsigned char> buf(1 << 15);
        size_t got = 0;
        int r;
        do {
            r = mpg123_read(h, buf.data(), buf.size(), &got);
            const float* f = reinterpret_cast<const float*>(buf.data());
            for (size_t i = 0; i + 1 < got / sizeof(float); i += 2) out.push_back(f[i]);
        } while (r == MPG123_OK || r == MPG123_NEW_FORMAT);
        mpg123_close(h);
    }
    mpg123_delete(h);
    return out;
}

class LoopMp3 : public ::testing::TestWithParam<double> {};

// A loop of whole periods of a chord, encoded and decoded: as many samples as the loop, the
// same waveform, and its end joining its start like any two samples inside.
TEST_P(LoopMp3, DecodesToTheLoopSampleForSample) {
    const size_t n = Samples(GetParam());
    Stereo loop;
    loop.Resize(n);
    for (size_t i = 0; i < n; ++i) {
        // 630 Hz and 945 Hz repeat every 70 and 140 samples; n is a multiple of 1050.
        const double t = double(i) / kRate;
        loop.l[i] = static_cast<float>(0.3 * std::sin(2 * kPi * 630 * t) +
                                       0.2 * std::sin(2 * kPi * 945 * t));
        loop.r[i] = loop.l[i];
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("rhombulus-loop-" + std::to_string(::getpid()) + ".mp3"))
                                 .string();
    WriteLoopMp3(path, loop, 128);
    const std::vector<float> d = DecodeLeft(path);
    std::filesystem::remove(path);
    ASSERT_EQ(d.size(), n);
    double error = 0, step = 0;
    for (size_t i = 0; i < n; ++i) {
        error = std::max(error, double(std::fabs(d[i] - loop.l[i])));
        if (i > 0) step = std::max(step, double(std::fabs(d[i] - d[i - 1])));
    }
    EXPECT_LT(error, 0.03);
    EXPECT_LE(std::fabs(d.front() - d.back()), step);
}

INSTANTIATE_TEST_SUITE_P(Lengths, LoopMp3, ::testing::Values(0.5, 1.5, 3.5));

}  // namespace
