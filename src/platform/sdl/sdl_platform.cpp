#include "platform/sdl/sdl_platform.h"

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/file_bytes.h"
#include "platform/wave_gain.h"

SdlPlatform::~SdlPlatform() {
    AudioShutdown();
    CloseWindow();
}

bool SdlPlatform::Open(bool fullscreen) {
    // A name typed through an input method (Chinese, Japanese, Korean) is composed in the input
    // method's own window: the game draws only what it commits.
    SDL_SetHint(SDL_HINT_IME_INTERNAL_EDITING, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "rhombulus2: no display: %s\n", SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing; a game nobody can see is
    // no use, unless such a driver was asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (asked == nullptr || asked[0] == '\0') &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0 ||
         SDL_strcmp(driver, "evdev") == 0)) {
        std::fprintf(stderr,
                     "rhombulus2: no display: start the game on a desktop (DISPLAY or "
                     "WAYLAND_DISPLAY is not set)\n");
        return false;
    }
    // Game controllers are welcome but not needed.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    // The window opens at the largest whole factor of the picture that fits the desktop.
    int scale = 1;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        scale = std::max(1, std::min(usable.w / 800, (usable.h - 40) / 600));
    }
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_ = SDL_CreateWindow("Rhombulus2", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               800 * scale, 600 * scale, flags);
    if (window_ == nullptr) {
        std::fprintf(stderr, "rhombulus2: cannot open the window: %s\n", SDL_GetError());
        return false;
    }
    SDL_SetWindowMinimumSize(window_, 200, 150);
    if (!OpenRenderer()) {
        // No GPU: the frames go straight into the window's own pixels, which costs least.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_GetWindowSurface(window_) == nullptr) {
            std::fprintf(stderr, "rhombulus2: cannot draw into the window: %s\n", SDL_GetError());
            return false;
        }
        surfacePath_ = true;
        presentPath_ = "window surface";
    }
    // Under X: the connection's input is looked at before SDL's pump; on the surface path small
    // updates go out directly.
    if (xSender_.Attach(window_) && surfacePath_) {
        presentPath_ += " (small updates sent without waiting)";
    }
    WindowSizeChanged();
    SDL_ShowCursor(SDL_DISABLE);
    SDL_StartTextInput();
    Surface black;
    SetSurfaceSize(black, 800, 600);
    FlipDisplay(black);
    return true;
}

namespace {

// Whether a renderer draws with the processor after all: SDL's own software renderer, or OpenGL
// on a software rasteriser (what a machine without a GPU, a VM or a remote desktop gets).
bool DrawsInSoftware(SDL_Renderer* renderer, std::string& name) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
    name = info.name != nullptr ? info.name : "";
    if ((info.flags & SDL_RENDERER_SOFTWARE) != 0) return true;
    if (name.rfind("opengl", 0) != 0) return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto glGetString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int kGlRenderer = 0x1F01;
    const char* gl =
        glGetString != nullptr ? reinterpret_cast<const char*>(glGetString(kGlRenderer)) : nullptr;
    if (gl == nullptr) return true;
    name += std::string(" (") + gl + ")";
    for (const char* soft : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (SDL_strstr(gl, soft) != nullptr) return true;
    }
    return false;
}

}  // namespace

bool SdlPlatform::OpenRenderer() {
    // RHOMBULUS2_PRESENT=surface or =gpu overrides the choice.
    const char* forced = SDL_getenv("RHOMBULUS2_PRESENT");
    const bool forceSurface = forced != nullptr && SDL_strcmp(forced, "surface") == 0;
    const bool forceGpu = forced != nullptr && SDL_strcmp(forced, "gpu") == 0;
    if (forceSurface) return false;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (renderer_ == nullptr) return false;
    std::string name;
    if (DrawsInSoftware(renderer_, name) && !forceGpu) {
        SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
        return false;
    }
    texture_ =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    if (texture_ == nullptr) {
        SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
        return false;
    }
    presentPath_ = "renderer " + name;
    return true;
}

void SdlPlatform::SetIcon(const Surface& icon) {
    if (window_ == nullptr || icon.width <= 0 || icon.height <= 0) return;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(icon.pixels.data()), icon.width, icon.height, 32, icon.width * 4,
        SDL_PIXELFORMAT_RGB888);
    if (s == nullptr) return;
    SDL_SetColorKey(s, SDL_TRUE, SDL_MapRGB(s->format, 255, 0, 255));
    SDL_SetWindowIcon(window_, s);
    SDL_FreeSurface(s);
}

bool SdlPlatform::IsFullscreen() const {
    return window_ != nullptr && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SdlPlatform::SetFullscreen(bool fullscreen) {
    if (window_ == nullptr) return;
    SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    WindowSizeChanged();
}

void SdlPlatform::WindowSizeChanged() {
    if (window_ == nullptr) return;
    const bool fullscreen = IsFullscreen();
    int w = 800, h = 600;
    SDL_GetWindowSize(window_, &w, &h);
    windowFit_ = FitPicture(w, h, fullscreen);
    int ow = w, oh = h;
    if (renderer_ != nullptr) SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    if (surfacePath_) SDL_GetWindowSizeInPixels(window_, &ow, &oh);
    outputFit_ = FitPicture(ow, oh, fullscreen);
    // Whole factors stay sharp; a fraction of a factor is filtered smoothly.
    if (texture_ != nullptr)
        SDL_SetTextureScaleMode(
            texture_, outputFit_.factor != 0 ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    bordersDirty_ = true;
}

void SdlPlatform::WindowToPicturePoint(int wx, int wy, int& px, int& py) const {
    WindowToPicture(windowFit_, wx, wy, px, py);
}

void SdlPlatform::PadAdded(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (PadRole(id) >= 0) {
        SDL_GameControllerClose(controller);  // already open: SDL reports some pads twice
        return;
    }
    pads_.push_back(Pad{controller, id});
}

bool SdlPlatform::PadRemoved(SDL_JoystickID id) {
    for (size_t i = 0; i < pads_.size(); ++i) {
        if (pads_[i].id != id) continue;
        SDL_GameControllerClose(pads_[i].controller);
        pads_.erase(pads_.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
    }
    return false;
}

int SdlPlatform::PadRole(SDL_JoystickID id) const {
    for (size_t i = 0; i < pads_.size(); ++i) {
        if (pads_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

int SdlPlatform::PadAxis(int role, SDL_GameControllerAxis axis) const {
    if (role < 0 || role >= static_cast<int>(pads_.size())) return 0;
    return SDL_GameControllerGetAxis(pads_[role].controller, axis);
}

namespace {

SDL_Rect ToSdlRect(const Rect& r) {
    return SDL_Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

void SdlPlatform::FlipToSurface(const Surface& backBuffer) {
    SDL_Surface* ws = SDL_GetWindowSurface(window_);
    if (ws == nullptr) return;
    if (ws->w != outputFit_.x * 2 + outputFit_.width ||
        ws->h != outputFit_.y * 2 + outputFit_.height) {
        outputFit_ = FitPicture(ws->w, ws->h, IsFullscreen());
        bordersDirty_ = true;
    }
    const std::vector<Rect>& changed = Changed(backBuffer);
    // The window still shows this very picture: nothing to copy, nothing to send.
    if (changed.empty()) return;
    const PictureFit& f = outputFit_;
    const Uint32 format = ws->format->format;
    const bool direct = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    if (SDL_MUSTLOCK(ws) && SDL_LockSurface(ws) != 0) {
        bordersDirty_ = true;  // what was compared never arrived
        return;
    }
    if (bordersDirty_) SDL_FillRect(ws, nullptr, SDL_MapRGB(ws->format, 0, 0, 0));
    const SDL_Rect dst{f.x, f.y, f.width, f.height};
    sendRects_.clear();
    if (direct && f.factor >= 1 && f.x + f.width <= ws->w && f.y + f.height <= ws->h) {
        auto* base = static_cast<std::uint32_t*>(ws->pixels);
        const int pitch = ws->pitch / 4;
        for (const Rect& r : changed) {
            CopyPictureRectScaled(backBuffer, r,
                                  base + static_cast<std::ptrdiff_t>(f.y) * pitch + f.x, pitch,
                                  f.factor);
            sendRects_.push_back(ToSdlRect(ScaleRect(r, f.x, f.y, f.factor)));
        }
    } else {
        // A fraction of a factor, smoothly filtered, or a window of another pixel format: the
        // whole picture is scaled as one, and what a changed tile reaches through the filter is
        // sent.
        SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<std::uint32_t*>(backBuffer.pixels.data()), backBuffer.width,
            backBuffer.height, 32, backBuffer.width * 4,
            direct ? format : static_cast<Uint32>(SDL_PIXELFORMAT_RGB888));
        if (picture != nullptr) {
            SDL_Rect to = dst;
            if (!direct || SDL_SoftStretchLinear(picture, nullptr, ws, &to) != 0) {
                to = dst;
                SDL_BlitScaled(picture, nullptr, ws, &to);
            }
            SDL_FreeSurface(picture);
        }
        const Rect whole{dst.x, dst.y, dst.x + dst.w, dst.y + dst.h};
        for (const Rect& r : changed) {
            sendRects_.push_back(
                ToSdlRect(FilteredRect(r, backBuffer.width, backBuffer.height, whole)));
        }
    }
    if (SDL_MUSTLOCK(ws)) SDL_UnlockSurface(ws);
    long long area = 0;
    for (const SDL_Rect& r : sendRects_) area += static_cast<long long>(r.w) * r.h;
    // A few pixels are sent as they are; a large area is better shared with the server than
    // copied to it, and SDL's update does that.
    constexpr long long kDirectArea = 128 * 128;
    if (bordersDirty_) {
        SDL_UpdateWindowSurface(window_);
        bordersDirty_ = false;
    } else if (area <= kDirectArea && xSender_.Send(ws, sendRects_)) {
        ++directSends_;
    } else {
        SDL_UpdateWindowSurfaceRects(window_, sendRects_.data(),
                                     static_cast<int>(sendRects_.size()));
    }
}

const std::vector<Rect>& SdlPlatform::Changed(const Surface& backBuffer) {
    // The renderer's own list of changed tiles, unless the whole window must go again.
    if (known_ != nullptr && !bordersDirty_) return changed_.Take(backBuffer, *known_);
    return changed_.Update(backBuffer, bordersDirty_);
}

void SdlPlatform::FlipChanged(const Surface& backBuffer, const std::vector<Rect>& changed) {
    known_ = &changed;
    FlipDisplay(backBuffer);
    known_ = nullptr;
}

void SdlPlatform::FlipDisplay(const Surface& backBuffer) {
    if (window_ == nullptr || backBuffer.width != 800 || backBuffer.height != 600) return;
    if (surfacePath_) {
        FlipToSurface(backBuffer);
        return;
    }
    if (texture_ == nullptr) return;
    const std::vector<Rect>& changed = Changed(backBuffer);
    // A still picture needs neither an upload nor a present.
    if (changed.empty()) return;
    bordersDirty_ = false;
    for (const Rect& r : changed) {
        const SDL_Rect area = ToSdlRect(r);
        SDL_UpdateTexture(texture_, &area,
                          backBuffer.pixels.data() + static_cast<size_t>(r.top) * 800 + r.left,
                          800 * 4);
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect dst{outputFit_.x, outputFit_.y, outputFit_.width, outputFit_.height};
    SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    SDL_RenderPresent(renderer_);
}

void SdlPlatform::PumpEvents() {
    constexpr int kPumpAtLeastEvery = 8;
    if (++pumpsSinceLast_ < kPumpAtLeastEvery && pads_.empty() && !xSender_.InputWaiting()) {
        ++pumpsLeftOut_;
        return;
    }
    pumpsSinceLast_ = 0;
    SDL_PumpEvents();
}

void SdlPlatform::HideSystemPointer() {
    SDL_ShowCursor(SDL_DISABLE);
}

void SdlPlatform::FocusDisplay() {
    if (window_ != nullptr) SDL_RaiseWindow(window_);
}

void SdlPlatform::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "rhombulus2: %s\n", text.c_str());
    // The box waits for its button in a loop of its own, which never looks at the quit that
    // SDL's handlers note for SIGTERM and SIGINT: meanwhile they end the game at once.
    struct sigaction term {
    }, interrupt{}, plain{};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(SIGTERM, nullptr, &term);
    sigaction(SIGINT, nullptr, &interrupt);
    if (term.sa_handler != SIG_IGN) sigaction(SIGTERM, &plain, nullptr);
    if (interrupt.sa_handler != SIG_IGN) sigaction(SIGINT, &plain, nullptr);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Rhombulus2", text.c_str(), window_);
    sigaction(SIGTERM, &term, nullptr);
    sigaction(SIGINT, &interrupt, nullptr);
}

void SdlPlatform::CloseWindow() {
    for (Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
    pads_.clear();
    xSender_.Detach();
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
}

bool SdlPlatform::AudioVersionOk() const {
    SDL_version built;
    SDL_MIXER_VERSION(&built);
    const SDL_version* linked = Mix_Linked_Version();
    return SDL_VERSIONNUM(linked->major, linked->minor, linked->patch) >=
           SDL_VERSIONNUM(built.major, built.minor, built.patch);
}

void SdlPlatform::AudioInit() {
    // A watched replay starts its game's audio on the window that may have it open already.
    if (audioOpen_) return;
    // A machine without an audio device plays in silence, and says so once.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "rhombulus2: no sound device, playing without sound (%s)\n",
                     SDL_GetError());
        return;
    }
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        std::fprintf(stderr, "rhombulus2: no sound device, playing without sound (%s)\n",
                     Mix_GetError());
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(32);
    audioOpen_ = true;
}

void SdlPlatform::AudioShutdown() {
    MusicFree();
    for (auto& [name, chunk] : waves_) {
        if (chunk != nullptr) Mix_FreeChunk(chunk);
    }
    waves_.clear();
    if (audioOpen_) {
        Mix_CloseAudio();
        Mix_Quit();
        audioOpen_ = false;
    }
}

void SdlPlatform::PlayWave(const std::string& name, int pan, int volumeCentibel) {
    if (!audioOpen_) return;
    auto it = waves_.find(name);
    if (it == waves_.end()) {
        const std::string path = resDir_ + "/waves/" + name;
        const FileBytes file = ReadFileBytes(path, kMaxWaveBytes);
        Mix_Chunk* chunk = nullptr;
        if (file.Ok()) {
            chunk = Mix_LoadWAV_RW(
                SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size())), 1);
        }
        if (chunk == nullptr) ReportMissingSound(reportedSounds_, "wave", path);
        it = waves_.emplace(name, chunk).first;
    }
    if (it->second == nullptr) return;
    // Level and pan are set on a free channel before it starts, so no instance begins at full
    // volume; with every channel busy the oldest sound makes way.
    int channel = Mix_GroupAvailable(-1);
    if (channel < 0) channel = Mix_GroupOldest(-1);
    if (channel < 0) return;
    Mix_HaltChannel(channel);
    const MixerLevels m = ToMixerLevels(WaveGain(pan, volumeCentibel));
    Mix_Volume(channel, m.volume);
    Mix_SetPanning(channel, static_cast<Uint8>(m.left), static_cast<Uint8>(m.right));
    Mix_PlayChannel(channel, it->second, 0);
}

void SdlPlatform::SuspendAudio(bool suspend) {
    if (!audioOpen_ || suspend == audioSuspended_) return;
    audioSuspended_ = suspend;
    if (suspend) {
        Mix_Pause(-1);
        if (music_ != nullptr && !musicPaused_) Mix_PauseMusic();
    } else {
        Mix_Resume(-1);
        if (music_ != nullptr && !musicPaused_) Mix_ResumeMusic();
    }
}

bool SdlPlatform::MusicOpen(const std::string& path) {
    MusicFree();
    if (!audioOpen_) return false;
    // The stream plays from memory, read like every other file of the game.
    FileBytes file = ReadFileBytes(path, kMaxTuneBytes);
    if (file.Ok()) {
        musicBytes_ = std::move(file.bytes);
        music_ = Mix_LoadMUS_RW(
            SDL_RWFromConstMem(musicBytes_.data(), static_cast<int>(musicBytes_.size())), 1);
    }
    if (music_ == nullptr) {
        musicBytes_.clear();
        ReportMissingSound(reportedSounds_, "tune", path);
    }
    // Asked every tick; finding it out stops the mixer for a moment.
    const double length = music_ != nullptr ? Mix_MusicDuration(music_) : 0.0;
    musicLength_ = length < 0 ? 0.0 : length;
    return music_ != nullptr;
}

void SdlPlatform::MusicPlay() {
    musicPositionAge_ = 0;
    if (music_ == nullptr) return;
    // The mixer repeats the tune without a gap. The tunes last k + 0.5 seconds with k odd, so
    // the game's own restart at the rounded length can only fall on the very end of the file.
    Mix_PlayMusic(music_, -1);
    Mix_VolumeMusic(musicVolume_ * MIX_MAX_VOLUME / 100);
    musicPaused_ = false;
}

void SdlPlatform::MusicPause() {
    if (music_ == nullptr) return;
    Mix_PauseMusic();
    musicPaused_ = true;
}

void SdlPlatform::MusicFree() {
    musicPositionAge_ = 0;
    if (music_ == nullptr) return;
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
    music_ = nullptr;
    musicBytes_.clear();
}

void SdlPlatform::MusicSetVolume(int volume) {
    musicVolume_ = std::clamp(volume, 0, 100);
    if (audioOpen_) Mix_VolumeMusic(musicVolume_ * MIX_MAX_VOLUME / 100);
}

double SdlPlatform::MusicPositionSeconds() const {
    if (music_ == nullptr) return 0.0;
    if (musicPositionAge_ > 0) {
        --musicPositionAge_;
        return musicPosition_;
    }
    const double p = Mix_GetMusicPosition(music_);
    musicPosition_ = p < 0 ? 0.0 : p;
    musicPositionAge_ = 15;
    return musicPosition_;
}

double SdlPlatform::MusicLengthSeconds() const {
    return music_ != nullptr ? musicLength_ : 0.0;
}

void SdlPlatform::MusicSetPositionSeconds(double seconds) {
    musicPositionAge_ = 0;
    if (music_ == nullptr) return;
    Mix_SetMusicPosition(seconds);
}
