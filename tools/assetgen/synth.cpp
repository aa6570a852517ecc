#include "synth.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace assetgen::synth {

void Biquad::Set(Kind kind, double freq, double q, double gainDb) {
    freq = std::clamp(freq, 10.0, kRate * 0.45);
    const double w = 2.0 * kPi * freq / kRate;
    const double cw = std::cos(w), sw = std::sin(w);
    const double alpha = sw / (2.0 * q);
    double b0, b1, b2, a0, a1, a2;
    switch (kind) {
        case kLowPass:
            b0 = (1 - cw) / 2, b1 = 1 - cw, b2 = (1 - cw) / 2;
            a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
            break;
        case kHighPass:
            b0 = (1 + cw) / 2, b1 = -(1 + cw), b2 = (1 + cw) / 2;
            a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
            break;
        case kBandPass:
            b0 = alpha, b1 = 0, b2 = -alpha;
            a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
            break;
        default: {
            const double A = std::pow(10.0, gainDb / 40.0);
            b0 = 1 + alpha * A, b1 = -2 * cw, b2 = 1 - alpha * A;
            a0 = 1 + alpha / A, a1 = -2 * cw, a2 = 1 - alpha / A;
            break;
        }
    }
    b0_ = static_cast<float>(b0 / a0);
    b1_ = static_cast<float>(b1 / a0);
    b2_ = static_cast<float>(b2 / a0);
    a1_ = static_cast<float>(a1 / a0);
    a2_ = static_cast<float>(a2 / a0);
}

void OnePole::SetCutoff(double freq) {
    freq = std::clamp(freq, 1.0, kRate * 0.45);
    a_ = static_cast<float>(1.0 - std::exp(-2.0 * kPi * freq / kRate));
}

float Adsr(double t, double gate, double a, double d, double s, double r) {
    auto held = [&](double u) {
        if (u < 0) return 0.0;
        if (u < a) return u / a;
        if (u < a + d) return 1.0 - (1.0 - s) * (u - a) / d;
        return s;
    };
    if (t < gate) return static_cast<float>(held(t));
    const double level = held(gate);
    const double u = t - gate;
    if (u >= r) return 0.0f;
    return static_cast<float>(level * (1.0 - u / r) * (1.0 - u / r));
}

namespace {
// Smooths the jump of a naive waveform at phase 0 over one sample on each side.
double PolyBlep(double p, double dp) {
    if (p < dp) {
        const double t = p / dp;
        return t + t - t * t - 1.0;
    }
    if (p > 1.0 - dp) {
        const double t = (p - 1.0) / dp;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}
}  // namespace

float Saw(double p, double dp) {
    return static_cast<float>(2.0 * p - 1.0 - PolyBlep(p, dp));
}

float Square(double p, double dp, double width) {
    double v = p < width ? 1.0 : -1.0;
    v += PolyBlep(p, dp);
    double q = p - width;
    if (q < 0) q += 1.0;
    v -= PolyBlep(q, dp);
    return static_cast<float>(v);
}

float Triangle(double p) {
    return static_cast<float>(p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p);
}

double NoteFrequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

Reverb::Reverb(double roomSize, double damping)
    : feedback_(static_cast<float>(0.7 + 0.28 * roomSize)), damp_(static_cast<float>(damping)) {
    static const int kCombs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAll[] = {556, 441, 341, 225};
    const int spread = 23;
    for (int c : kCombs) {
        combsL_.push_back({std::vector<float>(c, 0.0f)});
        combsR_.push_back({std::vector<float>(c + spread, 0.0f)});
    }
    for (int a : kAll) {
        allL_.push_back({std::vector<float>(a, 0.0f)});
        allR_.push_back({std::vector<float>(a + spread, 0.0f)});
    }
}

void Reverb::Tick(float x, float& l, float& r) {
    auto runCombs = [&](std::vector<Comb>& combs) {
        float sum = 0;
        for (Comb& c : combs) {
            const float y = c.buf[c.i];
            c.store = y * (1 - damp_) + c.store * damp_;
            c.buf[c.i] = x + c.store * feedback_;
            if (++c.i == c.buf.size()) c.i = 0;
            sum += y;
        }
        return sum;
    };
    auto runAll = [](std::vector<AllPass>& all, float v) {
        for (AllPass& a : all) {
            const float b = a.buf[a.i];
            a.buf[a.i] = v + b * 0.5f;
            if (++a.i == a.buf.size()) a.i = 0;
            v = b - v;
        }
        return v;
    };
    l = runAll(allL_, runCombs(combsL_)) * 0.03f;
    r = runAll(allR_, runCombs(combsR_)) * 0.03f;
}

void Reverb::Process(const Buffer& in, Stereo& out, float wet) {
    for (size_t i = 0; i < in.size() && i < out.Size(); ++i) {
        float l, r;
        Tick(in[i], l, r);
        out.l[i] += wet * l;
        out.r[i] += wet * r;
    }
}

void Reverb::ProcessLooped(const Buffer& in, Stereo& out, float wet) {
    // Two passes: the first fills the delay lines with the end of the piece, so the
    // second starts with the tail the loop point would carry over. The room has died away
    // long before eight seconds, so the first pass needs no more than that.
    const size_t n = std::min(in.size(), out.Size());
    float l, r;
    for (size_t i = n - std::min(n, Samples(8.0)); i < n; ++i) Tick(in[i], l, r);
    for (size_t i = 0; i < n; ++i) {
        Tick(in[i], l, r);
        out.l[i] += wet * l;
        out.r[i] += wet * r;
    }
}

float Peak(const Buffer& b) {
    float p = 0;
    for (float v : b) p = std::max(p, std::fabs(v));
    return p;
}

float Rms(const Buffer& b) {
    if (b.empty()) return 0;
    double s = 0;
    for (float v : b) s += double(v) * v;
    return static_cast<float>(std::sqrt(s / b.size()));
}

float LoudestRms(const Buffer& b, double window) {
    const size_t n = std::max<size_t>(1, Samples(window));
    const size_t step = std::max<size_t>(1, n / 10);
    double best = 0;
    for (size_t from = 0; from < b.size(); from += step) {
        const size_t to = std::min(b.size(), from + n);
        double sum = 0;
        for (size_t i = from; i < to; ++i) sum += double(b[i]) * b[i];
        best = std::max(best, sum / n);
        if (to == b.size()) break;
    }
    return static_cast<float>(std::sqrt(best));
}

float MedianLoudness(const Stereo& s, double window) {
    const size_t n = std::max<size_t>(1, Samples(window));
    std::vector<double> power;
    for (size_t from = 0; from + n <= s.Size(); from += n) {
        double sum = 0;
        for (size_t i = from; i < from + n; ++i) sum += double(s.l[i]) * s.l[i] + double(s.r[i]) * s.r[i];
        power.push_back(sum / (2.0 * n));
    }
    if (power.empty()) return 0;
    std::nth_element(power.begin(), power.begin() + power.size() / 2, power.end());
    return static_cast<float>(std::sqrt(power[power.size() / 2]));
}

void Scale(Buffer& b, float g) {
    for (float& v : b) v *= g;
}

void Normalize(Buffer& b, float peak) {
    const float p = Peak(b);
    if (p > 0) Scale(b, peak / p);
}

void Level(Buffer& b, float rms, float ceiling, double window) {
    // Gains ramp over 2 ms towards a peak and recover over 40 ms after it.
    const size_t reach = Samples(0.002);
    const float attack = static_cast<float>(1.0 / reach);
    const float release = static_cast<float>(1.0 / Samples(0.04));
    for (int round = 0; round < 12; ++round) {
        const float loud = LoudestRms(b, window);
        if (loud <= 0) return;
        Scale(b, rms / loud);
        if (Peak(b) <= ceiling) return;
        std::vector<float> gain(b.size(), 1.0f);
        for (size_t i = 0; i < b.size(); ++i) {
            if (std::fabs(b[i]) > ceiling) gain[i] = ceiling / std::fabs(b[i]);
        }
        // Each sample's gain may rise from the one before only slowly and must already be low
        // `reach` samples before a peak: a backward pass for the attack, a forward one for the
        // release, each never above what a sample needs.
        for (size_t i = b.size() - 1; i-- > 0;) gain[i] = std::min(gain[i], gain[i + 1] + attack);
        for (size_t i = 1; i < b.size(); ++i) gain[i] = std::min(gain[i], gain[i - 1] + release);
        for (size_t i = 0; i < b.size(); ++i) b[i] *= gain[i];
    }
    // The last round's peaks are under the ceiling; the level may end a little short of rms.
    Scale(b, std::min(1.0f, ceiling / std::max(Peak(b), 1e-9f)));
}

void FadeEdges(Buffer& b, double in, double out) {
    const size_t ni = std::min(b.size(), Samples(in));
    const size_t no = std::min(b.size(), Samples(out));
    for (size_t i = 0; i < ni; ++i)
        b[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * double(i) / ni));
    for (size_t i = 0; i < no; ++i)
        b[b.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * double(i) / no));
}

namespace {
void Put16(std::ofstream& f, uint16_t v) {
    const char c[2] = {char(v & 0xff), char(v >> 8)};
    f.write(c, 2);
}
void Put32(std::ofstream& f, uint32_t v) {
    const char c[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff),
                       char(v >> 24)};
    f.write(c, 4);
}
}  // namespace

void WriteWav(const std::string& path, const Buffer& b) {
    std::ofstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot write " + path);
    const uint32_t data = static_cast<uint32_t>(b.size() * 2);
    f.write("RIFF", 4);
    Put32(f, 36 + data);
    f.write("WAVEfmt ", 8);
    Put32(f, 16);
    Put16(f, 1);  // PCM
    Put16(f, 1);  // mono
    Put32(f, kRate);
    Put32(f, kRate * 2);
    Put16(f, 2);
    Put16(f, 16);
    f.write("data", 4);
    Put32(f, data);
    for (float v : b) {
        const long s = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        Put16(f, static_cast<uint16_t>(static_cast<int16_t>(s)));
    }
    if (!f) throw std::runtime_error("cannot write " + path);
}

namespace {

// CRC-16 with the reversed polynomial 0xA001, as the encoder's tag uses it.
uint16_t TagCrc(const unsigned char* data, size_t n) {
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

// Adds `extra` samples to the encoder delay and the padding that the tag frame announces, and
// renews the tag's checksum.
void WidenGaplessTrim(std::vector<unsigned char>& tag, int extra) {
    size_t at = 0;
    while (at + 8 < tag.size() && std::memcmp(&tag[at], "Info", 4) != 0 &&
           std::memcmp(&tag[at], "Xing", 4) != 0)
        ++at;
    if (at + 8 >= tag.size()) throw std::runtime_error("no Info tag in the first frame");
    const unsigned flags = tag[at + 7];
    size_t lame = at + 8;
    if (flags & 1) lame += 4;    // frame count
    if (flags & 2) lame += 4;    // byte count
    if (flags & 4) lame += 100;  // seek table
    if (flags & 8) lame += 4;    // quality
    if (lame + 36 > tag.size() || std::memcmp(&tag[lame], "LAME", 4) != 0)
        throw std::runtime_error("no encoder tag after the Info tag");
    const size_t crcAt = lame + 34;
    if (TagCrc(tag.data(), crcAt) != (tag[crcAt] << 8 | tag[crcAt + 1]))
        throw std::runtime_error("encoder tag checksum not understood");
    unsigned char* trim = &tag[lame + 21];
    const int delay = (trim[0] << 4 | trim[1] >> 4) + extra;
    const int padding = ((trim[1] & 0x0F) << 8 | trim[2]) + extra;
    if (delay > 0xFFF || padding > 0xFFF) throw std::runtime_error("gapless trim out of range");
    trim[0] = static_cast<unsigned char>(delay >> 4);
    trim[1] = static_cast<unsigned char>((delay & 0x0F) << 4 | padding >> 8);
    trim[2] = static_cast<unsigned char>(padding & 0xFF);
    const uint16_t crc = TagCrc(tag.data(), crcAt);
    tag[crcAt] = static_cast<unsigned char>(crc >> 8);
    tag[crcAt + 1] = static_cast<unsigned char>(crc & 0xFF);
}

}  // namespace

void WriteLoopMp3(const std::string& path, const Stereo& loop, int kbps) {
    // Enough of the loop's other end on each side to cover the coder's overlapping windows.
    const size_t context = std::min<size_t>(2048, loop.Size());
    Stereo s;
    for (auto [in, out] : {std::pair{&loop.l, &s.l}, std::pair{&loop.r, &s.r}}) {
        out->assign(in->end() - context, in->end());
        out->insert(out->end(), in->begin(), in->end());
        out->insert(out->end(), in->begin(), in->begin() + context);
    }

    std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> gf(lame_init(), lame_close);
    if (!gf) throw std::runtime_error("lame_init failed");
    lame_set_in_samplerate(gf.get(), kRate);
    lame_set_out_samplerate(gf.get(), kRate);
    lame_set_num_channels(gf.get(), 2);
    lame_set_mode(gf.get(), JOINT_STEREO);
    lame_set_brate(gf.get(), kbps);
    lame_set_quality(gf.get(), 7);
    lame_set_bWriteVbrTag(gf.get(), 1);
    if (lame_init_params(gf.get()) < 0) throw std::runtime_error("lame_init_params failed");

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    const int chunk = 8192;
    std::vector<unsigned char> out(chunk + chunk / 4 + 7200);
    bool ok = true;
    for (size_t pos = 0; pos < s.Size() && ok; pos += chunk) {
        const int n = static_cast<int>(std::min<size_t>(chunk, s.Size() - pos));
        const int bytes =
            lame_encode_buffer_ieee_float(gf.get(), s.l.data() + pos, s.r.data() + pos, n,
                                          out.data(), static_cast<int>(out.size()));
        ok = bytes >= 0 && std::fwrite(out.data(), 1, bytes, f) == size_t(bytes);
    }
    if (ok) {
        const int bytes = lame_encode_flush(gf.get(), out.data(), static_cast<int>(out.size()));
        ok = bytes >= 0 && std::fwrite(out.data(), 1, bytes, f) == size_t(bytes);
    }
    if (ok) {
        // The tag frame at the start carries the exact length and the samples to drop.
        const size_t tag = lame_get_lametag_frame(gf.get(), out.data(), out.size());
        ok = tag > 0 && tag <= out.size();
        if (ok) {
            std::vector<unsigned char> frame(out.begin(), out.begin() + tag);
            try {
                WidenGaplessTrim(frame, static_cast<int>(context));
            } catch (...) {
                std::fclose(f);
                throw;
            }
            ok = std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(frame.data(), 1, tag, f) == tag;
        }
    }
    if (std::fclose(f) != 0) ok = false;
    if (!ok) throw std::runtime_error("cannot encode " + path);
}

}  // namespace assetgen::synth
