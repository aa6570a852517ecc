#include "runner/runner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>

#include "core/game.h"
#include "core/languages.h"
#include "core/mode_facts.h"
#include "core/state_io.h"
#include "platform/file_bytes.h"
#include "platform/headless/headless_platform.h"
#include "presentation/bitmaps.h"
#include "presentation/text.h"
#include "runner/dump.h"
#include "runner/game_replays.h"
#include "runner/png_writer.h"
#include "shell/frame_loop.h"
#include "shell/input.h"
#include "shell/net_commands.h"
#include "shell/net_match_driver.h"
#include "shell/recorder.h"
#include "shell/screens.h"

namespace {

int KeyButtonOf(const std::string& name) {
    static const char* kNames[8] = {"left",  "right",  "up",     "down",
                                    "space", "return", "escape", "p"};
    for (int i = 0; i < 8; ++i) {
        if (name == kNames[i]) return i;
    }
    return -1;
}

bool IsKeyName(const std::string& name) {
    return KeyButtonOf(name) >= 0 || name == "backspace" || name == "tab" || name == "backtab" ||
           name == "ctrl+z" || name == "ctrl+y" || name == "delete";
}

// The command key of a script's key name; -1 for none.
int CommandKeyOf(const std::string& name) {
    const int button = KeyButtonOf(name);
    if (button >= 0) return button;
    if (name == "delete") return kKeyDelete;
    if (name == "backspace") return kKeyBackspace;
    if (name == "tab") return kKeyTab;
    if (name == "backtab") return kKeyBackTab;
    if (name == "ctrl+z") return kKeyUndo;
    if (name == "ctrl+y") return kKeyRedo;
    return -1;
}

}  // namespace

void ApplyScriptEvent(Game& game, const ScriptEvent& e, bool& focused) {
    Command& command = game.command;
    if (e.kind == "move") {
        // The pointer never leaves the picture, as in the window.
        command.Move(std::clamp(e.x, 0, kScreenWidth - 1), std::clamp(e.y, 0, kScreenHeight - 1));
    } else if (e.kind == "down" || e.kind == "up") {
        command.Button(e.kind == "down");
    } else if (e.kind == "rdown" || e.kind == "rup") {
        command.RightButton(e.kind == "rdown");
    } else if (e.kind == "keydown" || e.kind == "keyup") {
        const int key = CommandKeyOf(e.arg);
        if (key >= 0) command.Key(key, e.kind == "keydown");
    } else if (e.kind == "text") {
        AddText(command, e.arg);
    } else if (e.kind == "close") {
        WindowCloseRequested(game);
    } else if (e.kind == "resize") {
        DXDraw1Resize(game);
    } else if (e.kind == "focus") {
        if (focused != (e.x != 0)) FocusChanged(game, e.x != 0);
        focused = e.x != 0;
    } else if (e.kind == "opponent") {
        // The recording game's remembered opponent, in place of this runner's own.
        game.computer.OpponentChoice = e.x;
    } else if (e.kind == "net") {
        // A network match's tick: both players' commands, as both machines ran it.
        net::WireCommand h, g;
        TakeCommand(game);
        if (ParseNetRecords(e.arg, h.bytes.data(), g.bytes.data())) ApplyNetCommands(game, h, g);
    }
}

namespace {

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

bool WriteShot(const Surface& frame, const std::string& path) {
    const bool bmp = path.size() >= 4 && path.compare(path.size() - 4, 4, ".bmp") == 0;
    return bmp ? SaveBmp(frame, path) : SavePng(frame, path);
}

}  // namespace

std::string NetTickLine(long long tick, const std::uint8_t* host, const std::uint8_t* guest) {
    char buf[64];
    std::string line = std::to_string(tick) + " net ";
    for (int i = 0; i < 8; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", host[i]);
        line += buf;
    }
    line += ' ';
    for (int i = 0; i < 8; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", guest[i]);
        line += buf;
    }
    return line;
}

namespace {

// Eight bytes from 16 small hex digits. (One loop over both records, choosing the record with
// `?:` inside the subscript, was miscompiled by GCC 12 under -fsanitize=undefined: the guest's
// bytes stayed zero and the sanitizer build's replays of a network match went astray.)
bool HexRecord(std::string_view digits, std::uint8_t* out) {
    auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (digits.size() != 16) return false;
    for (std::size_t i = 0; i < 8; ++i) {
        const int a = hex(digits[2 * i]);
        const int b = hex(digits[2 * i + 1]);
        if (a < 0 || b < 0) return false;
        out[i] = static_cast<std::uint8_t>(a * 16 + b);
    }
    return true;
}

}  // namespace

bool ParseNetRecords(const std::string& arg, std::uint8_t* host, std::uint8_t* guest) {
    if (arg.size() != 33 || arg[16] != ' ') return false;
    const std::string_view text(arg);
    return HexRecord(text.substr(0, 16), host) && HexRecord(text.substr(17), guest);
}

bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>& events,
                      std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    int order = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::istringstream words(line);
        long long tick = 0;
        std::string kind;
        if (!(words >> tick) || tick < 1 || tick > kMaxTick)
            return fail("expected a tick 1..2147483647");
        if (!(words >> kind)) return fail("expected an event");
        ScriptEvent e;
        e.tick = tick;
        e.order = order++;
        e.kind = kind;
        if (kind == "move") {
            if (!(words >> e.x >> e.y)) return fail("move needs X Y");
        } else if (kind == "down" || kind == "up" || kind == "rdown" || kind == "rup" ||
                   kind == "close" || kind == "resize" || kind == "end") {
        } else if (kind == "click" || kind == "rclick") {
            const bool right = kind == "rclick";
            e.kind = right ? "rdown" : "down";
            events.push_back(e);
            e.kind = right ? "rup" : "up";
            e.tick += 1;
        } else if (kind == "keydown" || kind == "keyup" || kind == "key") {
            if (!(words >> e.arg) || !IsKeyName(e.arg)) return fail("unknown key name");
            if (kind == "key") {
                e.kind = "keydown";
                events.push_back(e);
                e.kind = "keyup";
                e.tick += 1;
            }
        } else if (kind == "text") {
            std::string rest;
            std::getline(words, rest);
            if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
            e.arg = rest;
        } else if (kind == "focus") {
            if (!(words >> e.x) || (e.x != 0 && e.x != 1)) return fail("focus needs 0 or 1");
        } else if (kind == "net") {
            std::string host, guest;
            if (!(words >> host >> guest) || host.size() != 16 || guest.size() != 16)
                return fail("net needs two 16-digit records");
            e.arg = host + " " + guest;
            std::uint8_t h[8], g[8];
            if (!ParseNetRecords(e.arg, h, g)) return fail("net needs two 16-digit records");
        } else if (kind == "opponent") {
            if (!(words >> e.x) || e.x < 0 || e.x > 3) return fail("opponent needs 0..3");
        } else {
            return fail("unknown event \"" + kind + "\"");
        }
        events.push_back(e);
    }
    std::stable_sort(events.begin(), events.end(), [](const ScriptEvent& a, const ScriptEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    return true;
}

bool ScriptSeed(const std::string& text, std::uint64_t& seed) {
    std::istringstream first(text.substr(0, text.find('\n')));
    std::string hash, word;
    unsigned long long n = 0;
    if (!(first >> hash >> word >> n) || hash != "#" || word != "seed") return false;
    seed = n;
    return true;
}

namespace {

// The number a heading comment of a recording names ("# WORD N"), within low..high.
bool HeadingNumber(const std::string& text, const char* name, int low, int high, int& value) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && !line.empty() && line[0] == '#') {
        std::istringstream words(line);
        std::string hash, word;
        int n = 0;
        if (words >> hash >> word >> n && hash == "#" && word == name && n >= low && n <= high) {
            value = n;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ScriptLanguage(const std::string& text, int& language) {
    return HeadingNumber(text, "language", 1, kLanguages, language);
}

bool ScriptMatchLevel(const std::string& text, int& level) {
    return HeadingNumber(text, "match-level", 1, FactsOfMode(kModeMatch).lastLevel, level);
}

bool GameFilesPresent(const std::string& resDir, std::string& missing) {
    Bitmaps pictures;
    const bool ok = LoadBitmaps(pictures, resDir, &missing);
    FreeBitmaps(pictures);
    if (!ok) return false;
    const std::string fontPath = resDir + "/font1.txt";
    const FileBytes chars = ReadFileBytes(fontPath, kFontCharFileBytes);
    auto font = std::make_unique<FontState>();
    if ((chars.Ok() || chars.problem == FileProblem::kTooLong) && ReadFontChars(*font, chars.bytes))
        return true;
    missing = fontPath;
    return false;
}

int RunHeadless(const RunnerOptions& options) {
    HeadlessPlatform platform;
    platform.waveDir = options.resDir + "/waves";
    Game game;
    InitGame(game, platform, options.resDir, options.seed);
    game.shell.FirstStartLanguage = options.firstStartLanguage;
    game.checkRedraw = options.checkRedraw;
    if (options.fullRedraw) game.draw.fullRedraw = true;
    std::FILE* trace = nullptr;
    if (!options.tracePath.empty()) {
        trace = std::fopen(options.tracePath.c_str(), "w");
        if (trace == nullptr) {
            std::fprintf(stderr, "cannot write %s\n", options.tracePath.c_str());
            return 2;
        }
    }
    // Kept as the window keeps its games: the recorder writes what the script does.
    InputRecorder recorder;
    GameReplays replays{
        recorder, ThisGamesReplayHeader(options.resDir, options.seed, options.firstStartLanguage),
        options.keepReplaysDir};
    if (!options.keepReplaysDir.empty() || options.afterTick) game.recorder = &recorder;
    bool focused = true;
    size_t next = 0;
    int status = 0;
    // A network match's recording: its ticks are the match's, after start-up.
    long long lastNetTick = 0;
    if (options.netMatchLevel > 0) {
        StartNetMatch(game, options.netMatchLevel, !options.noDraw);
        for (const ScriptEvent& e : options.events)
            if (e.kind == "net") lastNetTick = e.tick;
    }
    for (int tick = 1; options.ticks == 0 || tick <= options.ticks; ++tick) {
        platform.wavesThisTick.clear();
        game.text.calls.clear();
        for (const auto& [t, path] : options.dropPacks) {
            if (t != tick) continue;
            std::error_code ec;
            const std::filesystem::path from(path);
            std::filesystem::create_directories(game.env.levelsDir, ec);
            std::filesystem::copy_file(from,
                                       std::filesystem::path(game.env.levelsDir) / from.filename(),
                                       std::filesystem::copy_options::overwrite_existing, ec);
            if (ec) {
                std::fprintf(stderr, "cannot copy %s into %s\n", path.c_str(),
                             game.env.levelsDir.c_str());
                status = 2;
            }
        }
        while (next < options.events.size() && options.events[next].tick <= tick) {
            const ScriptEvent& e = options.events[next];
            if (e.kind == "net") {
                net::WireCommand h, g;
                ParseNetRecords(e.arg, h.bytes.data(), g.bytes.data());
                TakeCommand(game);
                ApplyNetCommands(game, h, g);
            } else if (!game.session.WindowClosed) {
                ApplyScriptEvent(game, e, focused);
            }
            ++next;
        }
        // A window closed by an event before this tick: the tick never runs.
        if (game.session.WindowClosed) break;
        bool draw = !options.noDraw;
        for (const auto& shot : options.shots) draw = draw || shot.first == tick;
        // No ticks while the window does not have the focus; what the player does meanwhile
        // reaches the game at once, as the window's events do then.
        if (focused)
            FrameTick(game, draw);
        else
            TakeCommand(game);
        if (game.recorder != nullptr) replays.AfterTick(game);
        if (options.afterTick) options.afterTick(game, replays);
        for (const auto& [t, path] : options.shots) {
            if (t == tick && !WriteShot(platform.LastFrame(), path)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                status = 2;
            }
        }
        for (const auto& [t, path] : options.dumps) {
            if (t == tick && !WriteText(path, DumpJson(game, platform))) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                status = 2;
            }
        }
        if (trace != nullptr) std::fprintf(trace, "%s\n", TraceLine(game).c_str());
        if (options.hashEvery > 0 && tick % options.hashEvery == 0)
            std::printf("tick %d hash %016llx\n", tick,
                        static_cast<unsigned long long>(StateHash(game)));
        if (game.session.WindowClosed) break;
        // The recorded match is over: where both players' machines stopped.
        // The recorded match is over where both players' machines stopped; a dump named for a
        // later tick gets the state it ended in.
        if (options.netMatchLevel > 0 && (tick >= lastNetTick || NetMatchOver(game))) {
            for (const auto& [t, path] : options.dumps) {
                if (t > tick && !WriteText(path, DumpJson(game, platform))) status = 2;
            }
            break;
        }
    }
    if (trace != nullptr) std::fclose(trace);
    if (game.recorder != nullptr) replays.Keep(game);
    if (status == 0) status = game.session.ExitStatus;
    if (game.redrawDiffers > 0) {
        std::fprintf(stderr,
                     "the changed tiles drew %lld frames otherwise than a full redraw, "
                     "first frame %lld\n",
                     game.redrawDiffers, game.firstRedrawDiffers);
        if (status == 0) status = 3;
    }
    return status;
}
