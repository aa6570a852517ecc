// What the player does in the window, written tick by tick in the headless runner's input-script
// format, with the game's seed on the first line: rhombulus2-headless --input FILE replays the
// very game that was seen.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

class InputRecorder {
  public:
    ~InputRecorder();
    // Starts the file with the seed and the language a first start takes; false when it cannot
    // be written.
    bool Open(const std::string& path, std::uint64_t seed, int firstStartLanguage);
    // Keeps the recording in memory too, behind `header` (the replay kept of each game); what
    // was kept before is dropped. From `tick` on (0: the start) the keys held then are down.
    void KeepText(const std::string& header, int tick = 0);
    // Ends what is kept with an "end" line at `tick` (the last tick of the game) and keeps no
    // more until the next KeepText.
    void EndKept(int tick);
    // What was kept so far; empty without KeepText.
    const std::string& Text() const { return text_; }
    // An event of the window, seen by tick `tick`.
    void Line(int tick, const std::string& event);
    // The keys as the keyboard poll of `tick` found them (buttons 0..7); changes become
    // keydown / keyup lines.
    void Keys(int tick, const std::array<bool, 8>& down);
    // A typed character (a code point; 8 is Backspace), written as UTF-8.
    void Typed(int tick, char32_t ch);

  private:
    std::FILE* file_ = nullptr;
    bool keep_ = false;
    std::string text_;
    std::array<bool, 8> keys_{};
};
