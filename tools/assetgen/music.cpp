// The three tunes, rendered by the synthesiser and encoded to MP3.
#include <filesystem>
#include <string>

#include "assetgen.h"
#include "synth.h"

namespace assetgen {
namespace {

using namespace synth;

Stereo SimpleTune(const int* roots, int bars, double barSeconds) {
    Stereo s;
    s.Resize(Samples(bars * barSeconds));
    for (int bar = 0; bar < bars; ++bar) {
        const int root = roots[bar % 4];
        const int chord[] = {root, root + 4, root + 7, root - 12};
        const size_t start = Samples(bar * barSeconds);
        for (size_t i = 0; i < Samples(barSeconds) && start + i < s.Size(); ++i) {
            const double t = double(i) / kRate;
            double v = 0;
            for (int n : chord) v += std::sin(2 * kPi * NoteFrequency(n) * t);
            v *= 0.15 * std::min(1.0, t / 0.05) * std::min(1.0, (barSeconds - t) / 0.05);
            s.l[start + i] += float(v);
            s.r[start + i] += float(v);
        }
    }
    return s;
}

}  // namespace

void GenerateMusic(const std::string& resDir) {
    const std::string dir = resDir + "/Musik";
    std::filesystem::create_directories(dir);
    const int a[] = {57, 53, 48, 55}, b[] = {60, 57, 53, 55}, c[] = {55, 60, 62, 55};
    WriteMp3(dir + "/sr06.mp3", SimpleTune(a, 36, 1.8), 128);
    WriteMp3(dir + "/vi02.mp3", SimpleTune(b, 32, 2.2), 128);
    WriteMp3(dir + "/sr02.mp3", SimpleTune(c, 40, 1.7), 128);
}

}  // namespace assetgen
