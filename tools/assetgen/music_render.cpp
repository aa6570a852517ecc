// Plays a parsed tune: instruments, drum kit, mix, room and master.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "music_score.h"

namespace assetgen::music {
namespace {

using namespace synth;

constexpr float kCeiling = 0.84f;  // about -1.5 dBFS

// Adds into a buffer that is one loop of the tune: what rings past the end wraps around.
struct LoopBuffer {
    Buffer& b;
    void Add(size_t i, float v) { b[i % b.size()] += v; }
};

float Vibrato(double t, double delay, double rate, double cents) {
    if (t < delay) return 1.0f;
    const double depth = cents * std::min(1.0, (t - delay) / 0.2);
    return static_cast<float>(std::pow(2.0, depth * std::sin(2 * kPi * rate * (t - delay)) / 1200));
}

// True on every 16th sample of a note: sweeping filters are retuned that often, which is
// smooth to the ear and spares a sine and cosine per sample.
bool Every16(double t) {
    return std::lround(t * kRate) % 16 == 0;
}

// One melodic note of `instrument` from `start` seconds, held `gate` seconds.
void PlayNote(const std::string& instrument, LoopBuffer out, double start, double gate, int midi,
              float vel, Rng& rng) {
    const double f = NoteFrequency(midi);
    const size_t first = Samples(start);
    auto run = [&](double release, auto&& sample) {
        const size_t n = Samples(gate + release);
        for (size_t i = 0; i < n; ++i) out.Add(first + i, vel * sample(double(i) / kRate));
    };

    if (instrument == "bass") {
        Biquad lp;
        double p = 0;
        run(0.08, [&](double t) {
            if (Every16(t)) lp.Set(Biquad::kLowPass, 220 + 900 * std::exp(-t / 0.09) * vel, 1.1);
            p += f / kRate;
            p -= std::floor(p);
            const float osc = 0.55f * Saw(p, f / kRate) + 0.7f * Sine(p);
            return 0.9f * lp.Run(osc) * Adsr(t, gate, 0.004, 0.25, 0.65, 0.07);
        });
    } else if (instrument == "pad") {
        OnePole lp1, lp2;
        lp1.SetCutoff(1400);
        lp2.SetCutoff(1400);
        double p[3] = {rng.Unit(), rng.Unit(), rng.Unit()};
        const double det[3] = {0.996, 1.0, 1.0045};
        run(0.7, [&](double t) {
            float v = 0;
            for (int k = 0; k < 3; ++k) {
                const double df = f * det[k] / kRate;
                p[k] += df;
                p[k] -= std::floor(p[k]);
                v += Saw(p[k], df);
            }
            return 0.11f * lp2.Run(lp1.Run(v)) * Adsr(t, gate, 0.35, 0.6, 0.8, 0.7);
        });
    } else if (instrument == "stab") {
        Biquad lp;
        double p1 = rng.Unit(), p2 = rng.Unit();
        run(0.12, [&](double t) {
            if (Every16(t)) lp.Set(Biquad::kLowPass, 700 + 2600 * std::exp(-t / 0.07), 0.9);
            p1 += f * 0.997 / kRate;
            p2 += f * 1.003 / kRate;
            p1 -= std::floor(p1);
            p2 -= std::floor(p2);
            const float v = Saw(p1, f / kRate) + Saw(p2, f / kRate);
            return 0.16f * lp.Run(v) * Adsr(t, gate, 0.004, 0.18, 0.35, 0.12);
        });
    } else if (instrument == "epiano") {
        run(0.25, [&](double t) {
            const double idx = 1.4 * std::exp(-t / 0.5) * vel;
            const double m = idx * std::sin(2 * kPi * f * t);
            const double tine = 0.12 * std::exp(-t / 0.05) * std::sin(2 * kPi * f * 7.0 * t);
            const double body = std::sin(2 * kPi * f * t + m) * std::exp(-t / 1.6);
            return static_cast<float>(0.32 * (body + tine)) * Adsr(t, gate, 0.002, 0.0, 1.0, 0.25);
        });
    } else if (instrument == "square") {
        Biquad lp(Biquad::kLowPass, 2600, 0.8);
        double p = 0;
        run(0.09, [&](double t) {
            const double ff = f * Vibrato(t, 0.18, 5.5, 18);
            p += ff / kRate;
            p -= std::floor(p);
            return 0.22f * lp.Run(Square(p, ff / kRate, 0.5)) *
                   Adsr(t, gate, 0.01, 0.12, 0.75, 0.09);
        });
    } else if (instrument == "saw") {
        Biquad lp;
        double p1 = 0, p2 = 0.3;
        run(0.1, [&](double t) {
            if (Every16(t)) lp.Set(Biquad::kLowPass, 1800 + 2200 * std::exp(-t / 0.12), 0.8);
            const double ff = f * Vibrato(t, 0.2, 5.2, 15);
            p1 += ff * 0.998 / kRate;
            p2 += ff * 1.002 / kRate;
            p1 -= std::floor(p1);
            p2 -= std::floor(p2);
            const float v = Saw(p1, ff / kRate) + Saw(p2, ff / kRate);
            return 0.13f * lp.Run(v) * Adsr(t, gate, 0.008, 0.15, 0.7, 0.1);
        });
    } else if (instrument == "bell") {
        run(0.6, [&](double t) {
            const double m = 1.6 * std::exp(-t / 0.25) * std::sin(2 * kPi * f * 3.5 * t);
            const double v = std::sin(2 * kPi * f * t + m) * std::exp(-t / 0.9);
            return static_cast<float>(0.26 * v) * Adsr(t, gate, 0.002, 0.0, 1.0, 0.6);
        });
    } else if (instrument == "flute") {
        Biquad breath(Biquad::kBandPass, f * 2, 2.0);
        double p = 0;
        run(0.12, [&](double t) {
            const double ff = f * Vibrato(t, 0.25, 4.8, 14);
            p += ff / kRate;
            p -= std::floor(p);
            const float tone = Sine(p) + 0.18f * Sine(2 * p) + 0.06f * Sine(3 * p);
            const float air =
                breath.Run(rng.Bipolar()) * (0.25f + 0.6f * float(std::exp(-t / 0.06)));
            return 0.3f * (tone + air) * Adsr(t, gate, 0.05, 0.15, 0.85, 0.12);
        });
    } else if (instrument == "pluck") {
        // Karplus-Strong string: a burst of noise circulating in a delay of one period. The
        // averaging adds half a sample to the loop and an all-pass the fraction left over, so
        // the string is in tune with the other voices even high up.
        const double period = kRate / f;
        const size_t whole = std::max<size_t>(2, static_cast<size_t>(period - 0.6));
        const double frac = period - 0.5 - static_cast<double>(whole);
        const float a = static_cast<float>((1.0 - frac) / (1.0 + frac));
        std::vector<float> line(whole);
        Biquad soften(Biquad::kLowPass, 4000, 0.7);
        for (float& s : line) s = soften.Run(rng.Bipolar());
        size_t k = 0;
        float previous = 0, apIn = 0, apOut = 0;
        run(0.15, [&](double t) {
            const float v = line[k];
            const float avg = 0.4985f * (v + previous);
            previous = v;
            apOut = a * avg + apIn - a * apOut;
            apIn = avg;
            line[k] = apOut;
            k = (k + 1) % line.size();
            return 0.45f * v * Adsr(t, gate, 0.001, 0.0, 1.0, 0.15);
        });
    } else if (instrument == "marimba") {
        run(0.2, [&](double t) {
            const double v = std::sin(2 * kPi * f * t) * std::exp(-t / 0.4) +
                             0.3 * std::sin(2 * kPi * f * 3.93 * t) * std::exp(-t / 0.06) +
                             0.1 * std::sin(2 * kPi * f * 9.5 * t) * std::exp(-t / 0.015);
            return static_cast<float>(0.34 * v) * Adsr(t, gate, 0.001, 0.0, 1.0, 0.2);
        });
    } else if (instrument == "organ") {
        run(0.08, [&](double t) {
            const double ph = 2 * kPi * f * t * Vibrato(t, 0.0, 6.0, 4);
            const double v = std::sin(ph) + 0.5 * std::sin(2 * ph) + 0.25 * std::sin(3 * ph) +
                             0.12 * std::sin(4 * ph);
            return static_cast<float>(0.16 * v) * Adsr(t, gate, 0.012, 0.1, 0.85, 0.08);
        });
    } else {
        throw std::runtime_error("unknown instrument " + instrument);
    }
}

// One drum hit into a stereo pair of loop buffers.
void PlayDrum(const std::string& name, LoopBuffer out, double start, float vel, Rng& rng) {
    const size_t first = Samples(start);
    auto run = [&](double length, auto&& sample) {
        const size_t n = Samples(length);
        for (size_t i = 0; i < n; ++i) {
            const double t = double(i) / kRate;
            const float fadeOut = static_cast<float>(std::min(1.0, (length - t) / 0.01));
            out.Add(first + i, vel * fadeOut * sample(t));
        }
    };
    if (name == "kick") {
        double p = 0;
        run(0.45, [&](double t) {
            p += (48 + 110 * std::exp(-t / 0.03)) / kRate;
            const float click = t < 0.004 ? 0.3f * rng.Bipolar() : 0.0f;
            return 0.95f * Sine(p) * float(std::exp(-t / 0.22)) + click;
        });
    } else if (name == "snare") {
        Biquad bp(Biquad::kBandPass, 2800, 0.7), hp(Biquad::kHighPass, 1500, 0.7);
        run(0.3, [&](double t) {
            const double tone = (std::sin(2 * kPi * 185 * t) + 0.5 * std::sin(2 * kPi * 330 * t)) *
                                std::exp(-t / 0.05);
            const float noise = hp.Run(bp.Run(rng.Bipolar())) * float(std::exp(-t / 0.09));
            return 0.35f * float(tone) + 0.9f * noise;
        });
    } else if (name == "hat" || name == "ohat") {
        Biquad hp(Biquad::kHighPass, 7500, 0.7);
        const double tau = name == "hat" ? 0.025 : 0.16;
        run(name == "hat" ? 0.12 : 0.5,
            [&](double t) { return 0.5f * hp.Run(rng.Bipolar()) * float(std::exp(-t / tau)); });
    } else if (name == "shaker") {
        Biquad bp(Biquad::kBandPass, 6500, 1.0);
        run(0.09, [&](double t) {
            const double env = std::min(1.0, t / 0.012) * std::exp(-t / 0.03);
            return 0.55f * bp.Run(rng.Bipolar()) * float(env);
        });
    } else if (name == "clap") {
        Biquad bp(Biquad::kBandPass, 1300, 1.2);
        run(0.3, [&](double t) {
            double env = std::exp(-t / 0.08);
            for (double burst : {0.0, 0.011, 0.022})
                if (t >= burst && t < burst + 0.008) env += 1.2 * std::exp(-(t - burst) / 0.004);
            return 0.8f * bp.Run(rng.Bipolar()) * float(env);
        });
    } else if (name == "rim") {
        run(0.08, [&](double t) {
            const double v = std::sin(2 * kPi * 1750 * t) * std::exp(-t / 0.012) +
                             0.6 * std::sin(2 * kPi * 820 * t) * std::exp(-t / 0.02);
            return static_cast<float>(0.45 * v);
        });
    } else if (name == "tom") {
        double p = 0;
        run(0.4, [&](double t) {
            p += (110 + 60 * std::exp(-t / 0.05)) / kRate;
            return 0.6f * Sine(p) * float(std::exp(-t / 0.15));
        });
    } else {
        throw std::runtime_error("unknown drum " + name);
    }
}

float DrumPan(const std::string& name) {
    if (name == "hat" || name == "ohat") return 0.3f;
    if (name == "shaker") return -0.35f;
    if (name == "rim") return -0.2f;
    if (name == "tom") return -0.25f;
    return 0.0f;
}

const Chord& ChordAt(const Section& s, int step) {
    const Chord* c = &s.chords.front().second;
    for (const auto& [at, chord] : s.chords)
        if (at <= step) c = &chord;
    return *c;
}

// Places a pitch class at the first MIDI number at or above `low`.
int Place(int pitchClass, int low) {
    return low + ((pitchClass - low) % 12 + 12) % 12;
}

int ChordTone(const Chord& c, char symbol, int low) {
    const int base = Place(c.root, low);
    const auto& iv = c.intervals;
    switch (symbol) {
        case '1':
            return base;
        case '3':
            return base + iv[1];
        case '5':
            return base + iv[2];
        case '7':
            return base + (iv.size() > 3 ? iv[3] : 12);
        case '8':
            return base + 12;
        case '9':
            return base + 12 + iv[1];
        case '0':
            return base + iv[2] - 12;
    }
    return base;
}

// Length in steps of the event at `i` of a repeating pattern: itself plus following holds.
int HeldSteps(const std::string& pattern, int step, int limit) {
    int n = 1;
    while (step + n < limit && pattern[(step + n) % pattern.size()] == '-') ++n;
    return n;
}

// Slightly stronger on the beat, so lines breathe instead of ticking.
float Accent(int step) {
    if (step % 16 == 0) return 1.0f;
    if (step % 4 == 0) return 0.9f;
    if (step % 2 == 0) return 0.8f;
    return 0.72f;
}

}  // namespace

double LoopTempo(const Tune& tune) {
    const double quarters = tune.TotalBars() * kStepsPerBar / 4.0;
    const double nominal = quarters * 60.0 / tune.tempo;
    // The odd number of whole seconds nearest to the written length less half a second.
    const double odd = std::max(1.0, 2 * std::round((nominal - 1.5) / 2) + 1);
    return quarters * 60.0 / (odd + 0.5);
}

Stereo RenderTune(const Tune& tune, std::map<std::string, float>* levels) {
    const int totalSteps = tune.TotalBars() * kStepsPerBar;
    const double stepSec = 60.0 / LoopTempo(tune) / 4.0;
    const size_t n = Samples(totalSteps * stepSec);
    auto timeOf = [&](int step) {
        double t = step * stepSec;
        if (step % 4 == 2) t += tune.swing * stepSec;
        return t;
    };

    const char* roles[] = {"lead", "counter", "arp", "comp", "bass"};
    std::map<std::string, Buffer> dry;
    for (const char* r : roles) dry[r].assign(n, 0.0f);
    std::map<std::string, Buffer> kit;
    Rng rng(20061);

    auto voice = [&](const std::string& role) -> const Voice& {
        const auto it = tune.voices.find(role);
        if (it == tune.voices.end()) throw std::runtime_error("tune has no voice " + role);
        return it->second;
    };

    int offset = 0;
    for (const std::string& name : tune.order) {
        const Section& s = tune.sections.at(name);
        const int steps = s.bars * kStepsPerBar;
        for (const auto& [role, notes] : {std::pair{"lead", &s.lead}, {"counter", &s.counter}}) {
            for (const Note& note : *notes) {
                if (note.midi < 0) continue;
                const int at = offset + note.start;
                const double gate = timeOf(at + note.length) - timeOf(at) - 0.2 * stepSec;
                PlayNote(voice(role).instrument, LoopBuffer{dry[role]}, timeOf(at), gate, note.midi,
                         0.85f + 0.15f * Accent(note.start), rng);
            }
        }
        auto playPattern = [&](const std::string& role, const std::string& patternName, int low) {
            if (patternName.empty()) return;
            const std::string& p = tune.patterns.at(patternName);
            for (int step = 0; step < steps; ++step) {
                const char c = p[step % p.size()];
                if (c == '-' || c == '.') continue;
                const Chord& chord = ChordAt(s, step);
                const int held = HeldSteps(p, step, steps);
                const int at = offset + step;
                const double gate = timeOf(at + held) - timeOf(at) - 0.15 * stepSec;
                const float vel = Accent(step);
                if (c == 'x') {
                    for (int iv : chord.intervals)
                        PlayNote(voice(role).instrument, LoopBuffer{dry[role]}, timeOf(at), gate,
                                 Place((chord.root + iv) % 12, low), vel * 0.8f, rng);
                } else if (role == "bass" && c == '1') {
                    PlayNote(voice(role).instrument, LoopBuffer{dry[role]}, timeOf(at), gate,
                             Place(chord.bass, low), vel, rng);
                } else {
                    PlayNote(voice(role).instrument, LoopBuffer{dry[role]}, timeOf(at), gate,
                             ChordTone(chord, c, low), vel, rng);
                }
            }
        };
        playPattern("bass", s.bass, 33);
        playPattern("arp", s.arp, 57);
        playPattern("comp", s.comp, 53);
        if (!s.drums.empty()) {
            for (const auto& [drum, lane] : tune.drumPatterns.at(s.drums).lanes) {
                Buffer& b = kit[drum];
                if (b.empty()) b.assign(n, 0.0f);
                for (int step = 0; step < steps; ++step) {
                    const char c = lane[step % lane.size()];
                    if (c == '.') continue;
                    const float vel = c == 'X' ? 1.0f : c == 'x' ? 0.75f : 0.4f;
                    PlayDrum(drum, LoopBuffer{b}, timeOf(offset + step), vel, rng);
                }
            }
        }
        offset += steps;
    }

    Stereo mix;
    mix.Resize(n);
    Buffer send(n, 0.0f);
    auto add = [&](const std::string& role, const Buffer& b, float gain, float pan, float reverb) {
        if (levels) {
            // Uncorrelated parts add by power; a centred mono part shows at 1/sqrt(2) per side.
            const float part = gain * Rms(b) / std::sqrt(2.0f);
            (*levels)[role] = std::hypot((*levels)[role], part);
        }
        const float gl = gain * static_cast<float>(std::cos((pan + 1) * kPi / 4));
        const float gr = gain * static_cast<float>(std::sin((pan + 1) * kPi / 4));
        for (size_t i = 0; i < n; ++i) {
            mix.l[i] += gl * b[i];
            mix.r[i] += gr * b[i];
            send[i] += gain * reverb * b[i];
        }
    };
    for (const char* r : roles) {
        const auto it = tune.voices.find(r);
        if (it != tune.voices.end())
            add(r, dry[r], it->second.gain, it->second.pan, it->second.reverb);
    }
    if (!kit.empty()) {
        const Voice& d = voice("drums");
        for (const auto& [drum, b] : kit)
            add("drums", b, d.gain, DrumPan(drum), d.reverb * (drum == "kick" ? 0.2f : 1.0f));
    }
    Reverb room(0.75, 0.45);
    room.ProcessLooped(send, mix, 1.0f);

    if (levels) {
        const float all = std::hypot(Rms(mix.l), Rms(mix.r)) / std::sqrt(2.0f);
        for (auto& [role, rms] : *levels) rms = 20 * std::log10(std::max(rms, 1e-9f) / all);
    }

    // Master: gentle saturation on the loudest peaks, then the tune's loudness, kept a little
    // below full scale so the MP3 encoder's ripple cannot clip.
    const float peak = std::max(Peak(mix.l), Peak(mix.r));
    const float drive = peak > 0 ? 1.2f / peak : 1.0f;
    for (Buffer* ch : {&mix.l, &mix.r})
        for (float& v : *ch) v = std::tanh(v * drive);
    const float after = std::max(Peak(mix.l), Peak(mix.r));
    const float target = static_cast<float>(std::pow(10.0, tune.loudness / 20.0));
    const float gain = std::min(target / MedianLoudness(mix, 0.4), kCeiling / after);
    for (Buffer* ch : {&mix.l, &mix.r}) Scale(*ch, gain);
    return mix;
}

}  // namespace assetgen::music
