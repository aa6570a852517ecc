// The command record: everything one player did since the last tick, in the order it happened.
// The window, the browser and the runner's scripts only fill it; the tick takes it whole before
// anything else, so a record gives the same game on every front end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/input_state.h"

// Where a held key comes from: a key let go on the keyboard stays down while a pad holds it.
enum KeySource : std::uint8_t { kFromKeyboard = 1, kFromPadButton = 2, kFromPadStick = 4 };

// The keys a command names: the game's eight (KeyButton numbers) and the keys of the level
// editor and the name editors.
enum CommandKey : std::uint8_t {
    kKeyDelete = 8,
    kKeyBackspace = 9,
    kKeyTab = 10,
    kKeyBackTab = 11,
    kKeyUndo = 12,  // Ctrl+Z
    kKeyRedo = 13,  // Ctrl+Y
};
constexpr int kCommandKeys = 14;

// A pad's buttons, as every pad names them.
enum PadButton : std::uint8_t {
    kPadA,
    kPadB,
    kPadX,
    kPadStart,
    kPadLeftShoulder,
    kPadRightShoulder,
    kPadLeft,
    kPadRight,
    kPadUp,
    kPadDown,
};

enum class CommandKind : std::uint8_t {
    kMove,         // a, b: the pointer's place in the picture
    kButton,       // a: 1 pressed, 0 let go (the left or any but the right button)
    kRightButton,  // a: 1 pressed, 0 let go
    kKey,          // a: KeyButton or CommandKey, b: 1 down, 0 up; source; repeat
    kPadButton,    // a: PadButton, b: 1 down, 0 up; role: 0 the first pad, 1 the second
    kPadStick,     // a: the stick's direction as a key (KeyButton), b: down; role
    kPadStep,      // a, b: the second pad's stick (-32768..32767), once a tick
    kText,         // a: a typed code point
    kLetGo,        // source: every key held from these sources is let go (a pad gone quiet)
};

struct CommandEvent {
    CommandKind kind = CommandKind::kMove;
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::uint8_t source = kFromKeyboard;
    std::uint8_t role = 0;
    bool repeat = false;
};

// Bounded: a window left without ticks (no focus) keeps only the last of a run of moves once
// the record is full, and drops what comes after.
constexpr std::size_t kMaxCommandEvents = 4096;

struct Command {
    std::vector<CommandEvent> events;

    void Add(const CommandEvent& e) {
        if (events.size() < kMaxCommandEvents) {
            events.push_back(e);
            return;
        }
        if (e.kind == CommandKind::kMove && events.back().kind == CommandKind::kMove)
            events.back() = e;
    }
    void Move(int x, int y) { Add({CommandKind::kMove, x, y}); }
    void Button(bool down) { Add({CommandKind::kButton, down ? 1 : 0}); }
    void RightButton(bool down) { Add({CommandKind::kRightButton, down ? 1 : 0}); }
    void Key(int key, bool down, KeySource source = kFromKeyboard, bool repeat = false) {
        Add({CommandKind::kKey, key, down ? 1 : 0, source, 0, repeat});
    }
    void Pad(PadButton button, bool down, int role) {
        Add({CommandKind::kPadButton, button, down ? 1 : 0, kFromPadButton,
             static_cast<std::uint8_t>(role)});
    }
    void Stick(int key, bool down, int role) {
        Add({CommandKind::kPadStick, key, down ? 1 : 0, kFromPadStick,
             static_cast<std::uint8_t>(role)});
    }
    void PadStep(int axisX, int axisY) { Add({CommandKind::kPadStep, axisX, axisY}); }
    void Text(char32_t c) { Add({CommandKind::kText, static_cast<std::int32_t>(c)}); }
    void LetGo(std::uint8_t sources) { Add({CommandKind::kLetGo, 0, 0, sources}); }
};

// The game's eight keys as the commands left them: who holds each, and which went down since
// the last tick (a press and release between two ticks still reaches one tick).
struct KeysHeld {
    std::array<std::uint8_t, 8> holders{};
    std::array<bool, 8> tapped{};
    std::array<bool, 8> seen{};  // what the last tick read

    void Event(int button, std::uint8_t source, bool down) {
        if (button < 0 || button >= 8) return;
        if (down) {
            holders[button] |= source;
            tapped[button] = true;
        } else {
            holders[button] &= static_cast<std::uint8_t>(~source);
        }
    }
    void LetGo(std::uint8_t sources) {
        for (auto& h : holders) h &= static_cast<std::uint8_t>(~sources);
    }
    // Once a tick: what the tick reads.
    void Take() {
        for (int i = 0; i < 8; ++i) seen[i] = holders[i] != 0 || tapped[i];
        tapped.fill(false);
    }
    bool Down(int button) const { return button >= 0 && button < 8 && seen[button]; }
};
