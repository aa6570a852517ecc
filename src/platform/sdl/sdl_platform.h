// The real window: SDL2 for the picture, keyboard, mouse and game controllers, SDL2_mixer for
// waves and music.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/changed_tiles.h"
#include "platform/picture_fit.h"
#include "platform/platform.h"
#include "platform/sdl/x_window_sender.h"

class SdlPlatform : public Platform {
  public:
    explicit SdlPlatform(std::string resDir) : resDir_(std::move(resDir)) {}
    ~SdlPlatform() override;

    // Opens the window; false (with a message on stderr) when no display can be had.
    bool Open(bool fullscreen);
    SDL_Window* Window() const { return window_; }
    // The window's icon from a bitmap with magenta as its transparent colour.
    void SetIcon(const Surface& icon);

    bool IsFullscreen() const;
    void SetFullscreen(bool fullscreen);
    // The window has a new size: the picture is fitted to it again.
    void WindowSizeChanged();
    const PictureFit& Fit() const { return windowFit_; }
    // SDL's pump, once a tick: at once when the X server sent something or a game controller is
    // open, else every 8th tick (for controllers plugged in, signals and input methods). SDL's
    // pump costs a dozen system calls, the look at the X connection one.
    void PumpEvents();
    // Ticks whose pump was left out, since the window opened.
    long PumpsLeftOut() const { return pumpsLeftOut_; }
    // The window must be painted whole again (it was uncovered, or the focus changed).
    void Exposed() { bordersDirty_ = true; }
    // What the last flip found changed and sent.
    const ChangedTiles& Changes() const { return changed_; }
    // Flips whose few changed pixels went to the X server without waiting for it.
    long DirectSends() const { return directSends_; }
    // The GPU path's renderer and the texture that holds the picture (null on the surface path).
    SDL_Renderer* Renderer() const { return renderer_; }
    SDL_Texture* Texture() const { return texture_; }
    // How frames reach the screen: "window surface" or the GPU renderer's name.
    const std::string& PresentPath() const { return presentPath_; }
    // The picture pixel under a point of the window, clamped to the picture.
    void WindowToPicturePoint(int wx, int wy, int& px, int& py) const;

    // Game controllers: opened as they come, closed as they go. The first is the first
    // player's, the second the second player's (0, 1; -1 for a pad not open).
    void PadAdded(int deviceIndex);
    // False for a pad that was not open; what an open one held is the player's to let go.
    bool PadRemoved(SDL_JoystickID id);
    int PadRole(SDL_JoystickID id) const;
    // The left stick of the pad of the given role (0 when there is none).
    int PadAxis(int role, SDL_GameControllerAxis axis) const;
    int PadCount() const { return static_cast<int>(pads_.size()); }

    void FlipDisplay(const Surface& backBuffer) override;
    void FlipChanged(const Surface& backBuffer, const std::vector<Rect>& changed) override;
    void HideSystemPointer() override;
    void FocusDisplay() override;
    void ShowMessage(const std::string& text) override;
    void CloseWindow() override;

    bool AudioVersionOk() const override;
    void AudioInit() override;
    void AudioShutdown() override;
    void SuspendAudio(bool suspend) override;
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
    bool OpenRenderer();
    void FlipToSurface(const Surface& backBuffer);
    const std::vector<Rect>& Changed(const Surface& backBuffer);
    struct Pad {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID id = -1;
    };

    std::string resDir_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    // Frames are copied straight into the window's own pixels (no renderer).
    bool surfacePath_ = false;
    // The next flip sends the whole window, borders included.
    bool bordersDirty_ = true;
    ChangedTiles changed_;
    const std::vector<Rect>* known_ = nullptr;  // during FlipChanged
    std::vector<SDL_Rect> sendRects_;
    XWindowSender xSender_;  // the surface path under X
    long directSends_ = 0;
    int pumpsSinceLast_ = 0;
    long pumpsLeftOut_ = 0;
    std::string presentPath_;
    PictureFit windowFit_;  // in window coordinates, for the pointer
    PictureFit outputFit_;  // in output pixels, for drawing
    std::vector<Pad> pads_;
    bool audioOpen_ = false;
    bool audioSuspended_ = false;
    std::map<std::string, Mix_Chunk*> waves_;
    Mix_Music* music_ = nullptr;
    std::vector<std::uint8_t> musicBytes_;  // the tune's file, which the stream plays from
    std::set<std::string> reportedSounds_;
    double musicLength_ = 0.0;  // seconds, of music_
    // The mixer's position, read again every 16th time it is asked: reading it locks the
    // audio thread, and an older position can only put the restart at the tune's end later.
    mutable double musicPosition_ = 0.0;
    mutable int musicPositionAge_ = 0;
    int musicVolume_ = 0;
    bool musicPaused_ = false;
};
