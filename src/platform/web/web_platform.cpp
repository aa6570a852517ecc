#include "platform/web/web_platform.h"

#include <emscripten.h>

#include <algorithm>

#include "platform/wave_gain.h"

namespace {

// The game's picture.
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

}  // namespace

WebPlatform::WebPlatform() : rgba_(static_cast<size_t>(kScreenWidth) * kScreenHeight * 4, 0) {
    for (size_t i = 3; i < rgba_.size(); i += 4) rgba_[i] = 255;
}

// Converts the rectangle into the RGBA copy and has the page put it on the canvas.
void WebPlatform::Send(const Surface& backBuffer, const Rect& r) {
    const int left = std::max(r.left, 0), top = std::max(r.top, 0);
    const int right = std::min({r.right, backBuffer.width, kScreenWidth});
    const int bottom = std::min({r.bottom, backBuffer.height, kScreenHeight});
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* src = &backBuffer.pixels[static_cast<size_t>(y) * backBuffer.width];
        std::uint8_t* dst = &rgba_[(static_cast<size_t>(y) * kScreenWidth + left) * 4];
        for (int x = left; x < right; ++x, dst += 4) {
            const std::uint32_t p = src[x];
            dst[0] = static_cast<std::uint8_t>(p >> 16);
            dst[1] = static_cast<std::uint8_t>(p >> 8);
            dst[2] = static_cast<std::uint8_t>(p);
        }
    }
    // clang-format off
    EM_ASM({ Module.rhombulusBlit($0, $1, $2, $3, $4); },
           rgba_.data(), left, top, right - left, bottom - top);
    // clang-format on
}

void WebPlatform::FlipDisplay(const Surface& backBuffer) {
    HeadlessPlatform::FlipDisplay(backBuffer);
    whole_ = false;
    Send(backBuffer, Rect{0, 0, kScreenWidth, kScreenHeight});
}

void WebPlatform::FlipChanged(const Surface& backBuffer, const std::vector<Rect>& changed) {
    if (whole_) {
        FlipDisplay(backBuffer);
        return;
    }
    HeadlessPlatform::FlipDisplay(backBuffer);
    lastChanged = changed;
    for (const Rect& r : changed) Send(backBuffer, r);
}

void WebPlatform::ShowMessage(const std::string& text) {
    messages.push_back(text);
    messageOpen = true;
    EM_ASM({ Module.rhombulusMessage(UTF8ToString($0)); }, text.c_str());
}

void WebPlatform::CloseWindow() {
    closed = true;
    EM_ASM({ Module.rhombulusClosed(); });
}

void WebPlatform::PlayWave(const std::string& name, int pan, int volumeCentibel) {
    HeadlessPlatform::PlayWave(name, pan, volumeCentibel);
    const StereoGain gain = WaveGain(pan, volumeCentibel);
    // clang-format off
    EM_ASM({ Module.rhombulusSound.wave(UTF8ToString($0), $1, $2); },
           (waveDir + "/" + name).c_str(), gain.left, gain.right);
    // clang-format on
}

bool WebPlatform::MusicOpen(const std::string& path) {
    const bool ok = HeadlessPlatform::MusicOpen(path);
    if (ok) EM_ASM({ Module.rhombulusSound.open(UTF8ToString($0)); }, path.c_str());
    return ok;
}

void WebPlatform::MusicPlay() {
    HeadlessPlatform::MusicPlay();
    if (hasStream) EM_ASM({ Module.rhombulusSound.play(); });
}

void WebPlatform::MusicPause() {
    HeadlessPlatform::MusicPause();
    EM_ASM({ Module.rhombulusSound.pause(); });
}

void WebPlatform::MusicFree() {
    HeadlessPlatform::MusicFree();
    EM_ASM({ Module.rhombulusSound.free(); });
}

void WebPlatform::MusicSetVolume(int volume) {
    if (volume != musicVolume)
        EM_ASM({ Module.rhombulusSound.volume($0); }, std::clamp(volume, 0, 100));
    HeadlessPlatform::MusicSetVolume(volume);
}

void WebPlatform::MusicSetPositionSeconds(double seconds) {
    HeadlessPlatform::MusicSetPositionSeconds(seconds);
    if (hasStream) EM_ASM({ Module.rhombulusSound.seek($0); }, seconds);
}

void WebPlatform::SuspendAudio(bool suspend) {
    HeadlessPlatform::SuspendAudio(suspend);
    EM_ASM({ Module.rhombulusSound.suspend($0); }, suspend ? 1 : 0);
}
