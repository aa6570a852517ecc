#include "runner/dump.h"

#include <array>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/game.h"
#include "platform/headless/headless_platform.h"

namespace {

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

// The scalars every dump and trace line carries, by the game's own names.
std::vector<std::pair<const char*, long long>> Scalars(const Game& g) {
    return {
        {"FrameCounter", g.shell.FrameCounter},
        {"ScreenId", g.shell.ScreenId},
        {"GameMode", g.play.GameMode},
        {"LevelNumber", g.play.LevelNumber},
        {"LapNumber", g.play.LapNumber},
        {"Score", g.play.Score},
        {"ShownScore", g.play.ShownScore},
        {"TimeLeft", g.play.TimeLeft},
        {"LevelCleared", g.play.LevelCleared},
        {"TimeUp", g.play.TimeUp},
        {"ClearedTimer", g.play.ClearedTimer},
        {"TimeUpTimer", g.play.TimeUpTimer},
        {"StonesLeft", g.play.StonesLeft},
        {"GameInProgress", g.shell.GameInProgress},
        {"PauseState", g.play.PauseState},
        {"Language", g.shell.Language},
        {"MusicVolumeSetting", g.shell.MusicVolumeSetting},
        {"MusicVolumeTarget", g.shell.MusicVolumeTarget},
        {"SoundVolume", g.shell.SoundVolume},
        {"SoundOn", g.shell.SoundOn},
        {"MusicOn", g.shell.MusicOn},
        {"FieldCentreX", g.play.FieldCentreX},
        {"StoneCount", g.stones.StoneCount},
        {"CannonX", g.cannon.CannonX},
        {"CannonTargetX", g.cannon.CannonTargetX},
        {"CannonLoad", g.cannon.CannonLoad},
        {"LoadedStone", g.cannon.LoadedStone},
        {"NeedReload", g.cannon.NeedReload},
        {"NothingFlying", g.cannon.NothingFlying},
        {"DoubleFrames", g.play.DoubleFrames},
        {"FlashFrames", g.play.FlashFrames},
        {"ShakeFrames", g.play.ShakeFrames},
        {"EndlessOffset", g.play.EndlessOffset},
        {"PageNumber", g.buttons.PageNumber},
        {"MenuSelection", g.buttons.MenuSelection},
        {"QuitRequested", g.shell.QuitRequested},
        {"NewHighscore", g.menus.NewHighscore},
        {"EntryRank", g.menus.EntryRank},
        {"TypedCount", g.menus.TypedCount},
        {"MouseX", g.input.MouseX},
        {"MouseY", g.input.MouseY},
        {"MouseButtonDown", g.input.MouseButtonDown},
        {"PipeChoice", g.pipe.PipeChoice},
        {"PipeChoicePrev", g.pipe.PipeChoicePrev},
        {"WaterRunning", g.pipe.WaterRunning},
        {"WaterHead", g.pipe.WaterHead},
        {"TapSoundsLeft", g.pipe.TapSoundsLeft},
        {"SourceWater", g.pipe.SourceWater},
        {"DrainWater", g.pipe.DrainWater},
        {"SourceX", g.pipe.SourceX},
        {"SourceY", g.pipe.SourceY},
        {"DrainX", g.pipe.DrainX},
        {"DrainY", g.pipe.DrainY},
        {"LevelWinCounted", g.match.LevelWinCounted},
        {"OpponentChoice", g.computer.OpponentChoice},
    };
}

// The match players' values, indexed like the game: [null, player 1, player 2].
std::vector<std::pair<const char*, std::array<long long, 2>>> MatchArrays(const Game& g) {
    const MatchState& m = g.match;
    auto both = [](auto value) { return std::array<long long, 2>{value(1), value(2)}; };
    auto cannon = [&](int CannonState::*field) {
        return both([&](int p) { return m.MatchCannon[p].*field; });
    };
    return {
        {"MatchCentreX", both([&](int p) { return m.MatchCentreX[p]; })},
        {"MatchCannonX", cannon(&CannonState::CannonX)},
        {"MatchCannonTargetX", cannon(&CannonState::CannonTargetX)},
        {"MatchAimX", cannon(&CannonState::AimX)},
        {"MatchAimY", cannon(&CannonState::AimY)},
        {"MatchCannonLoad", cannon(&CannonState::CannonLoad)},
        {"MatchLoadedStone", cannon(&CannonState::LoadedStone)},
        {"MatchNeedReload", cannon(&CannonState::NeedReload)},
        {"MatchNothingFlying", both([&](int p) { return m.MatchCannon[p].NothingFlying; })},
        {"MatchFire", both([&](int p) { return m.MatchFire[p]; })},
        {"MatchTimeLeft", both([&](int p) { return m.MatchTimeLeft[p]; })},
        {"MatchStonesLeft", both([&](int p) { return m.MatchStonesLeft[p]; })},
        {"MatchScore", both([&](int p) { return m.MatchScore[p]; })},
        {"MatchShownScore", both([&](int p) { return m.MatchShownScore[p]; })},
        {"MatchDoubleFrames", both([&](int p) { return m.MatchDoubleFrames[p]; })},
        {"MatchFlashFrames", both([&](int p) { return m.MatchFlashFrames[p]; })},
        {"MatchShakeFrames", both([&](int p) { return m.MatchShakeFrames[p]; })},
        {"LevelsWon", both([&](int p) { return m.LevelsWon[p]; })},
        {"ComputerStrength", both([&](int p) { return g.computer.Strength[p]; })},
    };
}

void AppendScalars(std::string& out, const Game& game) {
    bool first = true;
    for (const auto& [name, value] : Scalars(game)) {
        if (!first) out += ", ";
        first = false;
        out += Quote(name) + ": " + std::to_string(value);
    }
}

}  // namespace

std::string DumpJson(const Game& game, const HeadlessPlatform& platform) {
    std::string out = "{";
    AppendScalars(out, game);
    out += ",\n";
    bool first = true;
    for (const auto& [name, values] : MatchArrays(game)) {
        out += first ? " " : ", ";
        first = false;
        out += Quote(name) + ": [null, " + std::to_string(values[0]) + ", " +
               std::to_string(values[1]) + "]";
    }

    out += ",\n \"PipeStock\": [null";
    for (int k = 1; k <= kPipeStockKinds; ++k) out += ", " + std::to_string(game.pipe.PipeStock[k]);
    out += "]";

    out += ",\n \"Stones\": [";
    const StoneTable& st = game.stones;
    first = true;
    for (int s = 1; s <= kMaxStones; ++s) {
        if (st.StoneState[s] <= 0) continue;
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += "{\"slot\": " + std::to_string(s) + ", \"StoneX\": " + std::to_string(st.StoneX[s]) +
               ", \"StoneY\": " + std::to_string(st.StoneY[s]) +
               ", \"StoneColour\": " + std::to_string(st.StoneColour[s]) +
               ", \"StoneExtra\": " + std::to_string(st.StoneExtra[s]) +
               ", \"StoneMotion\": " + std::to_string(st.StoneMotion[s]) +
               ", \"StoneLook\": " + std::to_string(st.StoneLook[s]) +
               ", \"StoneFilled\": " + std::to_string(st.StoneFilled[s]) +
               ", \"StonePreset\": " + std::to_string(st.StonePreset[s]) + "}";
    }
    out += "]";

    out += ",\n \"Extras\": [";
    const ExtrasTable& ex = game.extras;
    first = true;
    for (int i = 1; i <= kMaxExtras; ++i) {
        if (ex.ExtraType[i] <= 0) continue;
        out += first ? "" : ", ";
        first = false;
        out += "{\"slot\": " + std::to_string(i) +
               ", \"ExtraType\": " + std::to_string(ex.ExtraType[i]) +
               ", \"ExtraX\": " + std::to_string(ex.ExtraX[i]) +
               ", \"ExtraY\": " + std::to_string(ex.ExtraY[i]) +
               ", \"ExtraPhase\": " + std::to_string(ex.ExtraPhase[i]) + "}";
    }
    out += "]";

    out += ",\n \"Buttons\": [";
    first = true;
    for (int b = 1; b <= kButtonSlots; ++b) {
        if (game.buttons.ButtonActive[b] <= 0) continue;
        out += first ? "" : ", ";
        first = false;
        out += "{\"slot\": " + std::to_string(b) +
               ", \"ButtonX\": " + std::to_string(game.buttons.ButtonX[b]) +
               ", \"ButtonY\": " + std::to_string(game.buttons.ButtonY[b]) +
               ", \"ButtonState\": " + std::to_string(game.buttons.ButtonState[b]) + "}";
    }
    out += "]";

    out += ",\n \"Texts\": [";
    first = true;
    for (const TextCall& t : game.text.calls) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += "{\"x\": " + std::to_string(t.x) + ", \"y\": " + std::to_string(t.y) +
               ", \"align\": " + std::to_string(t.align) +
               ", \"colour\": " + std::to_string(t.colour) + ", \"text\": " + Quote(t.text) + "}";
    }
    out += "]";

    out += ",\n \"Sounds\": [";
    first = true;
    for (const WaveRecord& w : platform.wavesThisTick) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"name\": " + Quote(w.name) + ", \"pan\": " + std::to_string(w.pan) +
               ", \"volume\": " + std::to_string(w.volume) + "}";
    }
    out += "]";

    out += ",\n \"Music\": {\"file\": " + Quote(game.music.lastFile) +
           ", \"volume\": " + std::to_string(platform.musicVolume) +
           ", \"playing\": " + (platform.musicPlaying ? "true" : "false") + "}";
    out += "\n}\n";
    return out;
}

std::string TraceLine(const Game& game) {
    std::string out = "{";
    AppendScalars(out, game);
    return out + "}";
}
