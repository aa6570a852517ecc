// The generated effects and tunes as the game will load them.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music_score.h"
#include "presentation/sound.h"
#include "synth.h"
#include "test_support.h"

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

// Appends what the decoder gives until the stream ends or `frames` are read.
void ReadFrames(mpg123_handle* h, Decoded& out, size_t frames = SIZE_MAX) {
    std::vector<unsigned char> buf(1 << 16);
    size_t got = 0, read = 0;
    int r;
    do {
        r = mpg123_read(h, buf.data(), buf.size(), &got);
        const float* f = reinterpret_cast<const float*>(buf.data());
        const size_t n = got / sizeof(float);
        for (size_t i = 0; out.channels > 0 && i + out.channels <= n && read < frames;
             i += out.channels, ++read) {
            out.left.push_back(f[i]);
            out.right.push_back(f[i + out.channels - 1]);
        }
    } while ((r == MPG123_OK || r == MPG123_NEW_FORMAT) && read < frames);
}

// The tune as SDL_mixer's decoder plays it: through mpg123, which drops the encoder's delay
// and padding as the file's tag announces them (without `gapless`, as a decoder ignoring the
// tag would). `again` more frames are read after seeking back to the start at the end, as the
// mixer does when it repeats the tune.
Decoded DecodeMp3(const std::string& path, bool gapless = true, size_t again = 0) {
    Decoded out;
    mpg123_init();
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h) return out;
    mpg123_param(h, gapless ? MPG123_ADD_FLAGS : MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT, 0.0);
    if (mpg123_open(h, path.c_str()) == MPG123_OK) {
        int enc = 0;
        mpg123_getformat(h, &out.rate, &out.channels, &enc);
        ReadFrames(h, out);
        if (again > 0 && mpg123_seek(h, 0, SEEK_SET) == 0) ReadFrames(h, out, again);
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

// Whole seconds as the game's music player reports them: to the nearest, ties to even.
long WholeSeconds(double seconds) {
    return std::lrint(seconds);
}

// What a player hears where the tune repeats: its last samples, then its first again.
struct Seam {
    double jump = 0;         // the step from the last sample to the first
    double largestStep = 0;  // the largest step between neighbouring samples inside the tune
    double silence = 0;      // the longest run of silence around the seam, in seconds
};

Seam MeasureSeam(const Decoded& d) {
    Seam s;
    const size_t n = d.left.size();
    for (const std::vector<float>* ch : {&d.left, &d.right}) {
        for (size_t i = 1; i < n; ++i)
            s.largestStep = std::max(s.largestStep, double(std::fabs((*ch)[i] - (*ch)[i - 1])));
        s.jump = std::max(s.jump, double(std::fabs(ch->front() - ch->back())));
    }
    // The last and first 100 ms, joined as they are heard.
    const size_t edge = std::min(n, size_t(d.rate / 10));
    size_t run = 0, longest = 0;
    for (size_t k = 0; k < 2 * edge; ++k) {
        const size_t i = k < edge ? n - edge + k : k - edge;
        const bool quiet = std::fabs(d.left[i]) < 1e-3 && std::fabs(d.right[i]) < 1e-3;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    s.silence = double(longest) / d.rate;
    return s;
}

bool SeamIsClean(const Seam& s) {
    return s.jump <= s.largestStep && s.silence <= 0.005;
}

// The mixer plays the file over and over: at its end it seeks back to the start, which must
// give the tune's first samples again, and the end must join the start without a jump or a gap.
// The game restarts the tune on the first tick its position in whole seconds reaches its length
// in whole seconds. A loop of k + 0.5 seconds, k odd, reports the even k + 1, which only its very
// end reaches: the game never cuts the loop short.
TEST_P(Tune, RepeatsSampleForSampleWithoutAGapOrAClick) {
    const size_t again = 4096;
    Decoded d = DecodeMp3(kRes + "/Musik/" + GetParam(), true, again);
    ASSERT_EQ(d.rate, 44100);
    ASSERT_GT(d.left.size(), 2 * again);
    const size_t frames = d.left.size() - again;
    for (size_t i = 0; i < again; ++i) {
        ASSERT_FLOAT_EQ(d.left[frames + i], d.left[i]) << i;
        ASSERT_FLOAT_EQ(d.right[frames + i], d.right[i]) << i;
    }
    d.left.resize(frames);
    d.right.resize(frames);

    ASSERT_EQ(frames % 22050, 0u) << frames;
    EXPECT_EQ(frames / 22050 % 4, 3u) << "k + 0.5 seconds with k odd, " << frames << " samples";
    const double length = double(frames) / d.rate;
    EXPECT_EQ(WholeSeconds(length), WholeSeconds(length - 1.0 / d.rate) + 1);

    const Seam s = MeasureSeam(d);
    std::printf("%s: step over the seam %.4f, largest inside %.4f, silence %.1f ms\n", GetParam(),
                s.jump, s.largestStep, s.silence * 1000);
    EXPECT_TRUE(SeamIsClean(s)) << "jump " << s.jump << " (largest step " << s.largestStep
                                << "), silence " << s.silence * 1000 << " ms";
}

// The seam check catches a decoder that keeps the encoder's delay: a gap at the start.
TEST(Tunes, SeamWithTheEncodersDelayFails) {
    const Decoded d = DecodeMp3(kRes + "/Musik/vi02.mp3", false);
    const Seam s = MeasureSeam(d);
    EXPECT_FALSE(SeamIsClean(s)) << "silence " << s.silence * 1000 << " ms";
}

INSTANTIATE_TEST_SUITE_P(All, Tune, ::testing::Values("sr06.mp3", "vi02.mp3", "sr02.mp3"));

// The median over 400 ms steps of the loudness of both channels, in dBFS.
double MedianLoudnessDb(const Decoded& d) {
    const size_t n = static_cast<size_t>(0.4 * d.rate);
    std::vector<double> power;
    for (size_t from = 0; from + n <= d.left.size(); from += n) {
        double sum = 0;
        for (size_t i = from; i < from + n; ++i)
            sum += double(d.left[i]) * d.left[i] + double(d.right[i]) * d.right[i];
        power.push_back(sum / (2.0 * n));
    }
    std::sort(power.begin(), power.end());
    return 10 * std::log10(power.at(power.size() / 2));
}

// The RMS of the loudest 50 ms of a sound, in dBFS, looked for in steps of 5 ms.
double LoudestDb(const std::vector<double>& s, int rate, double gain = 1.0) {
    const size_t n = static_cast<size_t>(0.05 * rate), step = n / 10;
    double best = 0;
    for (size_t from = 0; from < s.size(); from += step) {
        double sum = 0;
        for (size_t i = from; i < std::min(s.size(), from + n); ++i) sum += s[i] * s[i];
        best = std::max(best, sum / n);
        if (from + n >= s.size()) break;
    }
    return Db(std::sqrt(best) * gain);
}

// Every wave the game plays, with its attenuation in dB at the default effects volume, as
// the game's sound slots ask the platform for it.
std::vector<std::pair<std::string, double>> PlayedAtDefaultVolume() {
    TestGame t;
    EXPECT_EQ(t.game.shell.SoundVolume, 80) << "the default effects volume";
    t.game.shell.SoundOn = 1;
    std::vector<std::pair<std::string, double>> played;
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        t.platform.wavesThisTick.clear();
        RequestSound(t.game, slot, 400);
        PlaySounds(t.game);
        for (const WaveRecord& w : t.platform.wavesThisTick) {
            EXPECT_EQ(w.pan, 0);
            played.emplace_back(w.name, w.volume / 100.0);
        }
    }
    return played;
}

// The menu clicks and the running water sit a little lower than the events of play.
bool Soft(const std::string& wave) {
    return wave == "tast1.wav" || wave == "tast2.wav" || wave == "wasser3.wav";
}

// An effect's loudest 50 ms at the default volume against the loudest tune's median: events
// from 3 dB below to 6 dB above it, clicks and water from 9 dB below to 3 dB above.
bool SitsOverTheMusic(const std::string& wave, double aboveMusic) {
    return Soft(wave) ? aboveMusic >= -9 && aboveMusic <= 3 : aboveMusic >= -3 && aboveMusic <= 6;
}

double LoudestTuneDb() {
    double loudest = -200;
    for (const char* tune : {"sr06.mp3", "vi02.mp3", "sr02.mp3"}) {
        const Decoded d = DecodeMp3(kRes + "/Musik/" + tune);
        EXPECT_GT(d.Seconds(), 1.0) << tune;
        const double median = MedianLoudnessDb(d);
        std::printf("%-12s median loudness %6.1f dBFS\n", tune, median);
        loudest = std::max(loudest, median);
    }
    return loudest;
}

TEST(Mix, EveryEffectSitsOverTheMusicAtTheDefaultVolumes) {
    const double music = LoudestTuneDb();
    const auto played = PlayedAtDefaultVolume();
    ASSERT_EQ(played.size(), 13u);
    std::printf("%-14s %9s %14s %12s %12s\n", "effect", "peak dBFS", "loudest 50 ms", "at default",
                "over music");
    for (const auto& [wave, attenuation] : played) {
        const Pcm w = ReadWav(kRes + "/waves/" + wave);
        ASSERT_FALSE(w.samples.empty()) << wave;
        const double loudest = LoudestDb(w.samples, w.rate);
        const double atDefault = loudest + attenuation;
        std::printf("%-14s %9.1f %14.1f %12.1f %+12.1f\n", wave.c_str(), Db(PeakOf(w.samples)),
                    loudest, atDefault, atDefault - music);
        EXPECT_TRUE(SitsOverTheMusic(wave, atDefault - music))
            << wave << " at " << atDefault << " dBFS against the music's " << music;
        EXPECT_LT(Db(PeakOf(w.samples)), -0.5) << wave << " clips";
    }
}

// The check refuses an effect as quiet as the tip hit used to be, and one far too loud.
TEST(Mix, TooQuietOrTooLoudAnEffectFails) {
    const double music = -22;  // what the tunes are made to
    for (const auto& [wave, attenuation] : PlayedAtDefaultVolume()) {
        if (wave != "expl2.wav" && wave != "tast1.wav") continue;
        const Pcm w = ReadWav(kRes + "/waves/" + wave);
        const double quiet = LoudestDb(w.samples, w.rate, std::pow(10.0, -10 / 20.0));
        const double loud = LoudestDb(w.samples, w.rate, std::pow(10.0, 8 / 20.0));
        EXPECT_FALSE(SitsOverTheMusic(wave, quiet + attenuation - music)) << wave;
        EXPECT_FALSE(SitsOverTheMusic(wave, loud + attenuation - music)) << wave;
    }
}

}  // namespace
