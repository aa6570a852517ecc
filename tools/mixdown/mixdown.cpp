// rhombulus2-mixdown [--res DIR] [--seed N] [--seconds S] OUT.wav
// Plays the game without a window for S seconds (default 60): the menus, then an Endless game
// shot into by a clicking robot. Every wave the game plays and the music it runs are mixed the
// way the SDL mixer mixes them (channel volume and panning, music volume, the tune repeating
// without a gap) into a 16-bit stereo WAV to listen to. Prints, per effect, how far its loudest
// 50 ms stood above the music at that moment, and how often the mix went past full scale; the
// exit status is 1 if it did.
#include <mpg123.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "platform/wave_gain.h"
#include "shell/frame_loop.h"
#include "core/game.h"
#include "shell/input.h"

namespace {

constexpr int kRate = 44100;
constexpr double kTick = 0.015;

std::string ResBesideBinary() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "res";
    std::string exe(buf, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/')) + "/res";
}

struct Stereo {
    std::vector<float> l, r;
};

// A 16-bit mono or stereo WAV as mono samples; empty when it cannot be read.
std::vector<float> ReadWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    auto le = [&](size_t at, int bytes) {
        unsigned v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = v << 8 | d[at + i];
        return v;
    };
    std::vector<float> out;
    int channels = 1;
    for (size_t at = 12; at + 8 <= d.size();) {
        const std::string id(d.begin() + at, d.begin() + at + 4);
        const size_t size = le(at + 4, 4);
        if (id == "fmt ") channels = static_cast<int>(le(at + 10, 2));
        if (id == "data") {
            const size_t frames = std::min(size, d.size() - at - 8) / (2 * channels);
            for (size_t f = 0; f < frames; ++f) {
                out.push_back(static_cast<int16_t>(le(at + 8 + f * 2 * channels, 2)) / 32768.0f);
            }
        }
        at += 8 + size + (size & 1);
    }
    return out;
}

// The tune as the mixer's decoder gives it: the encoder's delay and padding dropped.
Stereo DecodeTune(const std::string& path) {
    Stereo out;
    mpg123_init();
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (h == nullptr) return out;
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_GAPLESS, 0.0);
    if (mpg123_open(h, path.c_str()) == MPG123_OK) {
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_getformat(h, &rate, &channels, &encoding);
        std::vector<unsigned char> buf(1 << 16);
        size_t got = 0;
        int r;
        do {
            r = mpg123_read(h, buf.data(), buf.size(), &got);
            const float* f = reinterpret_cast<const float*>(buf.data());
            for (size_t i = 0; channels > 0 && i + channels <= got / sizeof(float); i += channels) {
                out.l.push_back(f[i]);
                out.r.push_back(f[i + channels - 1]);
            }
        } while (r == MPG123_OK || r == MPG123_NEW_FORMAT);
        mpg123_close(h);
    }
    mpg123_delete(h);
    return out;
}

double Db(double v) {
    return 20 * std::log10(std::max(v, 1e-9));
}

// RMS of both channels over [from, from + n).
double Rms(const Stereo& s, size_t from, size_t n) {
    double sum = 0;
    size_t count = 0;
    for (size_t i = from; i < std::min(s.l.size(), from + n); ++i, ++count)
        sum += double(s.l[i]) * s.l[i] + double(s.r[i]) * s.r[i];
    return count ? std::sqrt(sum / (2.0 * count)) : 0;
}

struct Event {
    std::string wave;
    size_t at;           // first sample
    double left, right;  // gains as the mixer applies them
};

// Presses the mouse at (x, y) in this tick and lets go in the next.
struct Robot {
    int pressAt = -1;
    void Act(Game& game, int tick) {
        if (tick == pressAt + 1) DXDraw1MouseUp(game);
        auto click = [&](int x, int y) {
            DXDraw1MouseMove(game, x, y);
            DXDraw1MouseDown(game);
            pressAt = tick;
        };
        if (tick == 226) click(400, 345);  // "Spiel starten"
        if (tick == 251) click(400, 345);  // "Endlos"
        if (tick > 280 && tick % 40 == 0) click(100 + (tick / 40 * 173) % 440, 300);
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::string res = ResBesideBinary(), out;
    std::uint64_t seed = 1;
    double seconds = 60;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--res" && i + 1 < argc) {
            res = argv[++i];
        } else if (a == "--seed" && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (a == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (out.empty() && a[0] != '-') {
            out = a;
        } else {
            std::fprintf(stderr,
                         "usage: rhombulus2-mixdown [--res DIR] [--seed N] "
                         "[--seconds S] OUT.wav\n");
            return 2;
        }
    }
    if (out.empty() || seconds <= 0) {
        std::fprintf(stderr, "rhombulus2-mixdown: name the WAV to write\n");
        return 2;
    }

    HeadlessPlatform platform;
    auto owned = std::make_unique<Game>();
    Game& game = *owned;
    InitGame(game, platform, res, seed);
    const int ticks = static_cast<int>(seconds / kTick);
    const size_t total = static_cast<size_t>(seconds * kRate) + 2 * kRate;
    Stereo music{std::vector<float>(total), std::vector<float>(total)};
    std::vector<Event> events;
    std::map<std::string, Stereo> tunes;
    std::string tune;
    double clock = 0;  // where the mixer is in the tune
    Robot robot;
    for (int tick = 1; tick <= ticks && !game.session.WindowClosed; ++tick) {
        robot.Act(game, tick);
        platform.wavesThisTick.clear();
        FrameTick(game);
        const size_t at = static_cast<size_t>(std::lround((tick - 1) * kTick * kRate));
        for (const WaveRecord& w : platform.wavesThisTick) {
            const MixerLevels m = ToMixerLevels(WaveGain(w.pan, w.volume));
            events.push_back({w.name, at, m.volume / 128.0 * m.left / 255.0,
                              m.volume / 128.0 * m.right / 255.0});
        }
        if (!platform.musicPlaying) continue;
        if (platform.musicFile != tune) {
            tune = platform.musicFile;
            if (!tunes.count(tune)) tunes[tune] = DecodeTune(tune);
            clock = platform.musicPosition - kTick;
        }
        const Stereo& t = tunes[tune];
        if (t.l.empty()) continue;
        const double length = double(t.l.size()) / kRate;
        // A restart by the game moves the position; the mixer's own turn at the end does not.
        const double reported = platform.musicPosition - kTick;
        if (std::fabs(reported - clock) > 0.05 && clock < length - 0.05) clock = reported;
        const double gain = (platform.musicVolume * 128 / 100) / 128.0;
        const size_t n = static_cast<size_t>(std::lround(tick * kTick * kRate)) - at;
        size_t from = static_cast<size_t>(std::lround(clock * kRate)) % t.l.size();
        for (size_t i = 0; i < n && at + i < total; ++i, from = (from + 1) % t.l.size()) {
            music.l[at + i] += static_cast<float>(gain * t.l[from]);
            music.r[at + i] += static_cast<float>(gain * t.r[from]);
        }
        clock = std::fmod(clock + kTick, length);
    }

    // The effects on top, and what each one stood out by.
    std::map<std::string, std::vector<float>> waves;
    Stereo mix = music;
    struct Heard {
        int count = 0;
        std::vector<double> over;
    };
    std::map<std::string, Heard> heard;
    const size_t window = kRate / 20;
    for (const Event& e : events) {
        if (!waves.count(e.wave)) waves[e.wave] = ReadWave(res + "/waves/" + e.wave);
        const std::vector<float>& w = waves[e.wave];
        Stereo alone{std::vector<float>(w.size()), std::vector<float>(w.size())};
        for (size_t i = 0; i < w.size() && e.at + i < total; ++i) {
            alone.l[i] = static_cast<float>(e.left * w[i]);
            alone.r[i] = static_cast<float>(e.right * w[i]);
            mix.l[e.at + i] += alone.l[i];
            mix.r[e.at + i] += alone.r[i];
        }
        double loudest = 0;
        size_t loudestAt = 0;
        for (size_t from = 0; from < w.size(); from += window / 10) {
            const double rms = Rms(alone, from, window);
            if (rms > loudest) loudest = rms, loudestAt = from;
        }
        Heard& h = heard[e.wave];
        ++h.count;
        const double under = Rms(music, e.at + loudestAt, window);
        if (under > 0) h.over.push_back(Db(loudest) - Db(under));
    }

    size_t clipped = 0;
    float peak = 0;
    std::ofstream f(out, std::ios::binary);
    const size_t frames = std::min(total, static_cast<size_t>(seconds * kRate));
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) f.put(static_cast<char>(v >> (8 * i) & 255));
    };
    f.write("RIFF", 4);
    put(36 + static_cast<uint32_t>(frames * 4), 4);
    f.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(2, 2), put(kRate, 4), put(kRate * 4, 4), put(4, 2), put(16, 2);
    f.write("data", 4);
    put(static_cast<uint32_t>(frames * 4), 4);
    for (size_t i = 0; i < frames; ++i) {
        for (float v : {mix.l[i], mix.r[i]}) {
            peak = std::max(peak, std::fabs(v));
            if (std::fabs(v) > 1.0f) ++clipped;
            put(static_cast<uint16_t>(
                    static_cast<int16_t>(std::lround(32767 * std::clamp(v, -1.0f, 1.0f)))),
                2);
        }
    }
    if (!f) {
        std::fprintf(stderr, "rhombulus2-mixdown: cannot write %s\n", out.c_str());
        return 2;
    }

    std::vector<double> blocks;
    for (size_t from = 0; from + kRate * 2 / 5 <= frames; from += kRate * 2 / 5) {
        const double rms = Rms(music, from, kRate * 2 / 5);
        if (rms > 0) blocks.push_back(Db(rms));
    }
    std::sort(blocks.begin(), blocks.end());
    std::printf("%.0f s of play: music median %.1f dBFS, mix peak %.1f dBFS\n", seconds,
                blocks.empty() ? -200.0 : blocks[blocks.size() / 2], Db(peak));
    std::printf("%-14s %6s %22s %16s\n", "effect", "played", "over the music, median", "quietest");
    for (auto& [name, h] : heard) {
        std::sort(h.over.begin(), h.over.end());
        if (h.over.empty()) {
            std::printf("%-14s %6d %22s %16s\n", name.c_str(), h.count, "(no music)", "");
        } else {
            std::printf("%-14s %6d %+21.1f %+15.1f\n", name.c_str(), h.count,
                        h.over[h.over.size() / 2], h.over.front());
        }
    }
    std::printf("clipped samples: %zu\n", clipped);
    return clipped == 0 ? 0 : 1;
}
