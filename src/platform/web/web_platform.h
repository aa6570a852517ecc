// The platform in a browser tab: the back buffer goes to the page's canvas (only the changed
// rectangles), keys come from the page's events, the waves and the tune play through the page's
// Web Audio. What the game reads back of the tune (its position and length) is kept as the
// headless platform keeps it, by the tick, so the game runs exactly as it does there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"

class WebPlatform : public HeadlessPlatform {
  public:
    WebPlatform();
    void FlipDisplay(const Surface& backBuffer) override;
    void FlipChanged(const Surface& backBuffer, const std::vector<Rect>& changed) override;
    void ShowMessage(const std::string& text) override;
    void CloseWindow() override;

    void PlayWave(const std::string& name, int pan, int volumeCentibel) override;
    bool MusicOpen(const std::string& path) override;
    void MusicPlay() override;
    void MusicPause() override;
    void MusicFree() override;
    void MusicSetVolume(int volume) override;
    void MusicSetPositionSeconds(double seconds) override;
    void SuspendAudio(bool suspend) override;

    // The next flip sends the whole picture (the page was shown again or resized).
    void Exposed() { whole_ = true; }
    // The picture as the canvas shows it: 800 x 600 pixels of R, G, B, 255.
    const std::uint8_t* Rgba() const { return rgba_.data(); }
    // A message box is open on the page; the game waits for its OK as the window's does.
    bool messageOpen = false;

  private:
    void Send(const Surface& backBuffer, const Rect& r);
    std::vector<std::uint8_t> rgba_;
    bool whole_ = true;
};
