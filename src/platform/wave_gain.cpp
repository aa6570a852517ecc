#include "platform/wave_gain.h"

#include <algorithm>
#include <cmath>

namespace {
double CentibelToGain(int centibel) {
    return std::pow(10.0, centibel / 2000.0);
}
}  // namespace

StereoGain WaveGain(int pan, int volumeCentibel) {
    // Neither control can make a wave louder than it was recorded.
    const double volume = CentibelToGain(std::min(0, volumeCentibel));
    const double far = CentibelToGain(-std::abs(pan));
    return StereoGain{volume * (pan > 0 ? far : 1.0), volume * (pan < 0 ? far : 1.0)};
}

MixerLevels ToMixerLevels(const StereoGain& gain) {
    const double loud = std::max(gain.left, gain.right);
    MixerLevels m;
    m.volume = std::clamp(static_cast<int>(std::ceil(loud * 128.0 - 1e-9)), 0, 128);
    if (m.volume == 0) return MixerLevels{0, 0, 0};
    const double channel = m.volume / 128.0;
    auto level = [&](double g) {
        return std::clamp(static_cast<int>(std::lround(255.0 * g / channel)), 0, 255);
    };
    m.left = level(gain.left);
    m.right = level(gain.right);
    return m;
}
