// The one interface between the game and the machine: showing a finished frame, the keyboard,
// wave effects, the music stream, a message box and closing the window. Two implementations:
// SDL2 + SDL2_mixer for the real game and a headless one that records what was asked.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "platform/surface.h"

// The largest wave and tune files the game reads.
constexpr std::size_t kMaxWaveBytes = 16u << 20;
constexpr std::size_t kMaxTuneBytes = 64u << 20;

// A wave or tune that cannot be read: one line on stderr naming it (once per file in `reported`);
// the game goes on without that sound.
void ReportMissingSound(std::set<std::string>& reported, const char* what, const std::string& path);

class Platform {
  public:
    virtual ~Platform() = default;

    // Display: show the finished 800 x 600 back buffer (once per tick).
    virtual void FlipDisplay(const Surface& backBuffer) = 0;
    // The same when the caller knows which rectangles changed since the last flip (the
    // renderer's changed tiles); the display sends only those.
    virtual void FlipChanged(const Surface& backBuffer, const std::vector<Rect>& /*changed*/) {
        FlipDisplay(backBuffer);
    }
    // The system pointer is hidden over the window; the game draws its own.
    virtual void HideSystemPointer() {}
    // Give the game's picture the keyboard focus (second tick).
    virtual void FocusDisplay() {}
    // A modal message box (blocks in the real window).
    virtual void ShowMessage(const std::string& text) = 0;
    // Close the window at the end of the quitting tick.
    virtual void CloseWindow() = 0;

    // Wave effects by file name ("explgr.wav") from res/waves; pan -800 (left) .. +800 (right) and
    // volume in hundredths of a decibel (0 full, negative quieter). A new instance starts each
    // call.
    virtual void PlayWave(const std::string& name, int pan, int volumeCentibel) = 0;

    // True when the audio library found at run time is at least the one the game was built for.
    virtual bool AudioVersionOk() const { return true; }
    // Start the audio output (44100 Hz); a machine without audio device stays silent.
    virtual void AudioInit() {}

    // The music stream, by file system path. MusicOpen replaces the current stream; false when
    // the file could not be opened (later calls then do nothing and report 0).
    virtual bool MusicOpen(const std::string& path) = 0;
    virtual void MusicPlay() = 0;
    virtual void MusicPause() = 0;
    virtual void MusicFree() = 0;
    virtual int MusicGetVolume() const = 0;  // 0..100
    virtual void MusicSetVolume(int volume) = 0;
    virtual double MusicPositionSeconds() const = 0;
    virtual double MusicLengthSeconds() const = 0;
    virtual void MusicSetPositionSeconds(double seconds) = 0;
    // Shutdown of the audio output at quit.
    virtual void AudioShutdown() {}
    // While the window has lost the focus the music and the effects pause, and go on after.
    virtual void SuspendAudio(bool /*suspend*/) {}
};
