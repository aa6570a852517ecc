#include "runner/dump.h"

#include <array>
#include <cstdio>
#include <string>
#include <type_traits>
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

// The values the dumps and traces show, in their places, from the fields' own lists.
class DumpValues {
  public:
    struct PerPlayer {
        std::string key;
        std::array<long long, 2> values{};
    };

    template <typename T>
    void Field(const char* key, T& field, const Bounds&, DumpAt dump, FieldPlace place) {
        if constexpr (kIsStdArray<T>) {
            if constexpr (std::is_integral_v<typename T::value_type>) {
                if (place.player < 0 && dump.perPlayer > 0 && field.size() == kMatchPlayers + 1)
                    Put(perPlayer, dump.perPlayer, {key, {field[1], field[2]}});
            }
        } else if constexpr (std::is_integral_v<T>) {
            if (place.player < 0 && dump.at > 0) Put(scalars, dump.at, {key, field});
            if (place.player >= 1 && place.player <= kMatchPlayers && dump.perPlayer > 0) {
                if (perPlayer.size() <= static_cast<size_t>(dump.perPlayer))
                    perPlayer.resize(dump.perPlayer + 1);
                PerPlayer& row = perPlayer[dump.perPlayer];
                row.key = std::string(place.prefix) + key;
                row.values[place.player - 1] = field;
            }
        }
    }
    template <typename List>
    void ListBegin(const char*, List&, size_t) {}

    std::vector<std::pair<std::string, long long>> scalars;
    std::vector<PerPlayer> perPlayer;

  private:
    template <typename Row>
    static void Put(std::vector<Row>& rows, int at, Row row) {
        if (rows.size() <= static_cast<size_t>(at)) rows.resize(at + 1);
        rows[at] = std::move(row);
    }
};

DumpValues Collect(const Game& game) {
    DumpValues values;
    FieldWalker<DumpValues> walker(values);
    VisitFields(const_cast<Game&>(game).sim(), walker);
    return values;
}

void AppendScalars(std::string& out, const DumpValues& values) {
    bool first = true;
    for (const auto& [name, value] : values.scalars) {
        if (name.empty()) continue;
        if (!first) out += ", ";
        first = false;
        out += Quote(name) + ": " + std::to_string(value);
    }
}

}  // namespace

std::string DumpJson(const Game& game, const HeadlessPlatform& platform) {
    const DumpValues values = Collect(game);
    std::string out = "{";
    AppendScalars(out, values);
    out += ",\n";
    bool first = true;
    for (const auto& [name, perPlayer] : values.perPlayer) {
        if (name.empty()) continue;
        out += first ? " " : ", ";
        first = false;
        out += Quote(name) + ": [null, " + std::to_string(perPlayer[0]) + ", " +
               std::to_string(perPlayer[1]) + "]";
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
    AppendScalars(out, Collect(game));
    return out + "}";
}
