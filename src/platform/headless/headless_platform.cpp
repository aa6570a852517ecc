#include "platform/headless/headless_platform.h"

#include <cstdio>
#include <vector>

#include "platform/file_bytes.h"

void HeadlessPlatform::FlipDisplay(const Surface& backBuffer) {
    shown_ = &backBuffer;
    // The stream moves on by one tick of 15 ms while it plays.
    if (hasStream && musicPlaying) musicPosition += 0.015;
}

void HeadlessPlatform::ShowMessage(const std::string& text) {
    messages.push_back(text);
    std::fprintf(stderr, "message: %s\n", text.c_str());
}

void HeadlessPlatform::PlayWave(const std::string& name, int pan, int volumeCentibel) {
    wavesThisTick.push_back(WaveRecord{name, pan, volumeCentibel});
    if (waveDir.empty() || checkedSounds_.count(waveDir + "/" + name) != 0) return;
    const std::string path = waveDir + "/" + name;
    if (!ReadFileBytes(path, kMaxWaveBytes).Ok()) ReportMissingSound(checkedSounds_, "wave", path);
    // Checked once: the file is known to be there or has been reported.
    checkedSounds_.insert(path);
}

bool HeadlessPlatform::MusicOpen(const std::string& path) {
    MusicFree();
    musicFile = path;
    const double length = Mp3LengthSeconds(path);
    if (length <= 0.0) {
        ReportMissingSound(checkedSounds_, "tune", path);
        return false;
    }
    hasStream = true;
    musicLength = length;
    musicPosition = 0.0;
    return true;
}

void HeadlessPlatform::MusicPlay() {
    if (hasStream) musicPlaying = true;
}

void HeadlessPlatform::MusicPause() {
    musicPlaying = false;
}

void HeadlessPlatform::MusicFree() {
    hasStream = false;
    musicPlaying = false;
    musicPosition = 0.0;
    musicLength = 0.0;
}

void HeadlessPlatform::MusicSetPositionSeconds(double seconds) {
    if (hasStream) musicPosition = seconds;
}

void HeadlessPlatform::SuspendAudio(bool suspend) {
    if (suspend && musicPlaying) {
        musicPlaying = false;
        musicSuspended = true;
    } else if (!suspend && musicSuspended) {
        musicPlaying = hasStream;
        musicSuspended = false;
    }
}

double Mp3LengthSeconds(const std::string& path) {
    const FileBytes file = ReadFileBytes(path, kMaxTuneBytes);
    if (!file.Ok()) return 0.0;
    const std::vector<std::uint8_t>& d = file.bytes;
    size_t i = 0;
    if (d.size() >= 10 && d[0] == 'I' && d[1] == 'D' && d[2] == '3') {
        i = 10 + ((d[6] & 0x7F) << 21 | (d[7] & 0x7F) << 14 | (d[8] & 0x7F) << 7 | (d[9] & 0x7F));
    }
    static constexpr int kBitrateV1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                           112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int kBitrateV2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                           64, 80, 96, 112, 128, 144, 160, 0};
    static constexpr int kRateV1[4] = {44100, 48000, 32000, 0};
    double seconds = 0.0;
    while (i + 4 <= d.size()) {
        if (d[i] != 0xFF || (d[i + 1] & 0xE0) != 0xE0) {
            ++i;
            continue;
        }
        const int version = (d[i + 1] >> 3) & 3;  // 3 = MPEG1, 2 = MPEG2, 0 = MPEG2.5
        const int layer = (d[i + 1] >> 1) & 3;    // 1 = layer III
        const int bitrateIndex = d[i + 2] >> 4;
        const int rateIndex = (d[i + 2] >> 2) & 3;
        const int padding = (d[i + 2] >> 1) & 1;
        if (version == 1 || layer != 1 || rateIndex == 3 || bitrateIndex == 0 ||
            bitrateIndex == 15) {
            ++i;
            continue;
        }
        const bool mpeg1 = version == 3;
        int rate = kRateV1[rateIndex];
        if (version == 2) rate /= 2;
        if (version == 0) rate /= 4;
        const int bitrate = (mpeg1 ? kBitrateV1 : kBitrateV2)[bitrateIndex] * 1000;
        const int samples = mpeg1 ? 1152 : 576;
        const int length = samples / 8 * bitrate / rate + padding;
        if (length <= 4) {
            ++i;
            continue;
        }
        seconds += static_cast<double>(samples) / rate;
        i += length;
    }
    return seconds;
}
