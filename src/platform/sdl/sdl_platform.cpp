#include "platform/sdl/sdl_platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/file_bytes.h"
#include "presentation/wave_gain.h"

SdlPlatform::~SdlPlatform() {
    AudioShutdown();
    CloseWindow();
}

bool SdlPlatform::Open() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "rhombulus2: no display: %s\n", SDL_GetError());
        return false;
    }
    // The picture is 800 x 600, scaled by the largest whole factor that fits the desktop.
    int scale = 1;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        scale = std::max(1, std::min(usable.w / 800, (usable.h - 40) / 600));
    }
    openedWidth_ = 800 * scale;
    openedHeight_ = 600 * scale;
    window_ = SDL_CreateWindow("Rhombulus2", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               openedWidth_, openedHeight_, 0);
    if (window_ == nullptr) {
        std::fprintf(stderr, "rhombulus2: cannot open the window: %s\n", SDL_GetError());
        return false;
    }
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_ == nullptr) {
        std::fprintf(stderr, "rhombulus2: no renderer: %s\n", SDL_GetError());
        return false;
    }
    // Mouse coordinates arrive in picture pixels thanks to the logical size.
    SDL_RenderSetLogicalSize(renderer_, 800, 600);
    SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
    texture_ =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    if (texture_ == nullptr) {
        std::fprintf(stderr, "rhombulus2: no texture: %s\n", SDL_GetError());
        return false;
    }
    SDL_ShowCursor(SDL_DISABLE);
    SDL_StartTextInput();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return true;
}

void SdlPlatform::FlipDisplay(const Surface& backBuffer) {
    if (texture_ == nullptr || backBuffer.width != 800 || backBuffer.height != 600) return;
    SDL_UpdateTexture(texture_, nullptr, backBuffer.pixels.data(), 800 * 4);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlPlatform::HideSystemPointer() {
    SDL_ShowCursor(SDL_DISABLE);
}

void SdlPlatform::FocusDisplay() {
    if (window_ != nullptr) SDL_RaiseWindow(window_);
}

void SdlPlatform::UpdateKeyboard() {
    SDL_PumpEvents();
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    static constexpr SDL_Scancode kKeys[8] = {
        SDL_SCANCODE_LEFT,  SDL_SCANCODE_RIGHT,  SDL_SCANCODE_UP,     SDL_SCANCODE_DOWN,
        SDL_SCANCODE_SPACE, SDL_SCANCODE_RETURN, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_P};
    const bool focused =
        window_ != nullptr && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS);
    for (int i = 0; i < 8; ++i) keys_[i] = focused && state[kKeys[i]] != 0;
}

void SdlPlatform::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "rhombulus2: %s\n", text.c_str());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Rhombulus2", text.c_str(), window_);
}

void SdlPlatform::CloseWindow() {
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
    // A machine without an audio device plays in silence.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) return;
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
    return music_ != nullptr;
}

void SdlPlatform::MusicPlay() {
    if (music_ == nullptr) return;
    // The game loops the tune itself; looping here too keeps it from stopping while the game
    // does not tick (window without focus).
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
    const double p = Mix_GetMusicPosition(music_);
    return p < 0 ? 0.0 : p;
}

double SdlPlatform::MusicLengthSeconds() const {
    if (music_ == nullptr) return 0.0;
    const double d = Mix_MusicDuration(music_);
    return d < 0 ? 0.0 : d;
}

void SdlPlatform::MusicSetPositionSeconds(double seconds) {
    if (music_ == nullptr) return;
    Mix_SetMusicPosition(seconds);
}
