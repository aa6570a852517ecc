// The platform without a window: keys are set by the runner, frames are kept for screenshots,
// and every wave and music call is recorded instead of heard.
#pragma once

#include <array>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

struct WaveRecord {
    std::string name;
    int pan = 0;
    int volume = 0;
};

class HeadlessPlatform : public Platform {
  public:
    void FlipDisplay(const Surface& backBuffer) override;
    void FlipChanged(const Surface& backBuffer, const std::vector<Rect>& changed) override {
        lastChanged = changed;
        FlipDisplay(backBuffer);
    }
    // The rectangles the last FlipChanged named.
    std::vector<Rect> lastChanged;
    void ShowMessage(const std::string& text) override;
    void CloseWindow() override { closed = true; }

    void PlayWave(const std::string& name, int pan, int volumeCentibel) override;

    bool MusicOpen(const std::string& path) override;
    void MusicPlay() override;
    void MusicPause() override;
    void MusicFree() override;
    int MusicGetVolume() const override { return musicVolume; }
    void MusicSetVolume(int volume) override { musicVolume = volume; }
    double MusicPositionSeconds() const override { return hasStream ? musicPosition : 0.0; }
    double MusicLengthSeconds() const override { return hasStream ? musicLength : 0.0; }
    void MusicSetPositionSeconds(double seconds) override;
    void SuspendAudio(bool suspend) override;

    // Where the waves lie; when set, a wave that is missing there is reported once on stderr.
    std::string waveDir;
    // The picture shown by the last flip: the game's back buffer, which stays as it is until
    // the next tick starts drawing (no copy per tick).
    const Surface& LastFrame() const { return shown_ != nullptr ? *shown_ : empty_; }
    std::vector<std::string> messages;
    std::vector<WaveRecord> wavesThisTick;
    bool closed = false;

    // The music as the game left it.
    std::string musicFile;
    bool hasStream = false;
    bool musicPlaying = false;
    int musicVolume = 0;
    double musicPosition = 0.0;
    double musicLength = 0.0;
    // The music was playing when the focus went and plays on when it comes back.
    bool musicSuspended = false;

  private:
    const Surface* shown_ = nullptr;
    Surface empty_;
    std::set<std::string> checkedSounds_;  // sound files checked, or reported missing
};

// Length in seconds of an MPEG audio file, counted from its frame headers (0 if none).
double Mp3LengthSeconds(const std::string& path);
