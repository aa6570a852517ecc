// The real window: SDL2 for the picture, keyboard and mouse, SDL2_mixer for waves and music.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

class SdlPlatform : public Platform {
  public:
    explicit SdlPlatform(std::string resDir) : resDir_(std::move(resDir)) {}
    ~SdlPlatform() override;

    // Opens the window; false (with a message on stderr) when no display can be had.
    bool Open();
    SDL_Window* Window() const { return window_; }
    // Whether a reported window size is the one the window was opened with.
    bool IsOpenedSize(int width, int height) const {
        return width == openedWidth_ && height == openedHeight_;
    }

    void FlipDisplay(const Surface& backBuffer) override;
    void HideSystemPointer() override;
    void FocusDisplay() override;
    void UpdateKeyboard() override;
    bool KeyboardButton(int n) const override { return n >= 0 && n < 8 && keys_[n]; }
    void ShowMessage(const std::string& text) override;
    void CloseWindow() override;

    bool AudioVersionOk() const override;
    void AudioInit() override;
    void AudioShutdown() override;
    void PlayWave(const std::string& name, int pan, int volumeCentibel) override;

    bool MusicOpen(const std::string& path) override;
    void MusicPlay() override;
    void MusicPause() override;
    void MusicFree() override;
    int MusicGetVolume() const override { return musicVolume_; }
    void MusicSetVolume(int volume) override;
    double MusicPositionSeconds() const override;
    double MusicLengthSeconds() const override;
    void MusicSetPositionSeconds(double seconds) override;

  private:
    std::string resDir_;
    SDL_Window* window_ = nullptr;
    int openedWidth_ = 0;
    int openedHeight_ = 0;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::array<bool, 8> keys_{};
    bool audioOpen_ = false;
    std::map<std::string, Mix_Chunk*> waves_;
    Mix_Music* music_ = nullptr;
    std::vector<std::uint8_t> musicBytes_;  // the tune's file, which the stream plays from
    std::set<std::string> reportedSounds_;
    int musicVolume_ = 0;
    bool musicPaused_ = false;
};
