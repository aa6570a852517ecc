#include "match_bot.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "core/game.h"
#include "core/level_format.h"
#include "modes/match.h"
#include "playfield/field_rules.h"
#include "runner/runner.h"
#include "shell/frame_loop.h"
#include "shell/input.h"
#include "shell/shot_search.h"
#include "shell/trial.h"

namespace levels {

namespace {

constexpr int kSettleLimit = 160;  // ticks a trial shot may take to come to rest
constexpr int kBeam = 4;           // first shots looked at two shots deep
constexpr int kPatience = 25;      // shots without progress before the high stones weigh more
constexpr int kPointerY = 300;     // over the field, clear of the match's buttons
constexpr int kReach = kMatchLeftField.cannonReachLeft;
constexpr int kWaitingY = kMatchLeftField.waitingStoneY;
constexpr int kBottomLine = kMatchLeftField.bottomLineY;
constexpr int kDeepY = 300;  // stones below it fill the room that is left
// Player 1's keys walk the cannon a column every four ticks: a far column costs shots.
constexpr double kWalkCost = 1.0;

const FieldRules& RulesOf(int player) {
    return player == 1 ? kMatchLeftField : kMatchRightField;
}

bool Present(const Game& g, int s) {
    return g.stones.StoneState[s] > 0;
}

bool Mine(const Game& g, int player, int s) {
    return Present(g, s) && OwnsX(RulesOf(player), g.stones.StoneX[s]);
}

int ScanLast(const Game& g) {
    return std::min(2 * g.stones.StoneCount, kMaxStones);
}

bool IsColoured(int colour) {
    return colour >= 1 && colour <= kLastColour;
}

// A trial plays this player's shot alone: no computer moves the other field in it.
void CopyPlay(Game& dst, const Game& src) {
    CopyIntoTrial(dst, src);
    dst.computer = ComputerState{};
}

// Coloured stones of the player's half, leaving out the one waiting on the cannon.
int HalfStones(const Game& g, int player) {
    int n = 0;
    for (int s = 1; s <= ScanLast(g); ++s)
        if (Mine(g, player, s) && IsColoured(g.stones.StoneColour[s]) &&
            g.stones.StoneY[s] < kWaitingY)
            ++n;
    return n;
}

bool RisingInHalf(const Game& g, int player, bool shotsOnly) {
    for (int s = 1; s <= ScanLast(g); ++s) {
        if (!Mine(g, player, s)) continue;
        const int motion = g.stones.StoneMotion[s];
        if (shotsOnly ? motion == 1 : motion > 0) return true;
    }
    return false;
}

// The player's cannon holds something ready to fire and none of the player's shots flies.
bool CanFire(const Game& g, int player) {
    if (g.shell.ScreenId != kScreenMatch || g.play.LevelCleared != 0) return false;
    const CannonState& c = g.players[player].cannon;
    if (c.NeedReload != 0 || c.LoadedStone == 0 || RisingInHalf(g, player, true)) return false;
    if (IsExtraSlot(c.LoadedStone)) {
        const int i = c.LoadedStone - kLoadedExtraBase;
        return g.extras.ExtraType[i] > 0 && g.extras.ExtraPhase[i] == 2;
    }
    const int s = c.LoadedStone;
    return IsStoneSlot(s) && Present(g, s) && g.stones.StoneMotion[s] == 0 &&
           g.stones.StoneY[s] == kWaitingY;
}

// Pairs of diagonal neighbours of one colour in the half (the raw material of the next groups),
// stones with no neighbour of their colour, and how far the half reaches down.
struct Shape {
    int pairs = 0;
    int loners = 0;
    int lonerHeight = 0;  // rows above the bottom line, summed over the loners
    int depth = 0;        // rows below y 300, summed over the stones
};

Shape HalfShape(const Game& g, int player) {
    const StoneTable& t = g.stones;
    const int d = kMatchSpacing;
    Shape shape;
    const int last = ScanLast(g);
    for (int a = 1; a <= last; ++a) {
        if (!Mine(g, player, a) || !IsColoured(t.StoneColour[a]) || t.StoneY[a] >= kWaitingY)
            continue;
        bool partner = false;
        for (int b = 1; b <= last; ++b) {
            if (b == a || !Mine(g, player, b) || t.StoneColour[b] != t.StoneColour[a]) continue;
            if (std::abs(t.StoneX[a] - t.StoneX[b]) == d &&
                std::abs(t.StoneY[a] - t.StoneY[b]) == d) {
                partner = true;
                if (b > a) ++shape.pairs;
            }
        }
        if (!partner) {
            ++shape.loners;
            shape.lonerHeight += (kBottomLine - t.StoneY[a]) / d;
        }
        if (t.StoneY[a] > kDeepY) shape.depth += (t.StoneY[a] - kDeepY) / d;
    }
    return shape;
}

// Extras now falling in the half that the cannon may still catch, weighed by how they help.
double FallingExtrasValue(const Game& g, int player) {
    double v = 0;
    for (int i = 1; i <= kMaxExtras; ++i) {
        if (g.extras.ExtraType[i] == 0 || g.extras.ExtraPhase[i] != 1) continue;
        if (!OwnsX(RulesOf(player), g.extras.ExtraX[i])) continue;
        if (g.extras.ExtraType[i] == kExtraClock)
            v += g.players[player].TimeLeft < 600 ? 60 : 15;
        else
            v += 15;
    }
    return v;
}

// The nearest column of the cannon's to x.
int ColumnNear(int centre, int x) {
    int dx = x - centre;
    dx = dx >= 0 ? (dx + kMatchSpacing / 2) / kMatchSpacing * kMatchSpacing
                 : -((-dx + kMatchSpacing / 2) / kMatchSpacing * kMatchSpacing);
    return centre + std::clamp(dx, -kReach, kReach);
}

}  // namespace

MatchBot::MatchBot(int player)
    : player_(player),
      centre_(RulesOf(player).centreX),
      trial_(std::make_unique<Game>()),
      second_(std::make_unique<Game>()) {
    trial_->platform = &trialPlatform_;
    second_->platform = &trialPlatform_;
}

MatchBot::~MatchBot() = default;

MatchInput MatchBot::Decide(const Game& g) {
    MatchInput in;
    if (g.shell.ScreenId != kScreenMatch || g.play.LevelCleared != 0 || g.play.PauseState != -1) {
        planned_ = 0;
        return in;
    }
    // A new level: the patience starts again.
    if (g.play.LevelNumber != level_ || g.play.LapNumber != lap_) {
        level_ = g.play.LevelNumber;
        lap_ = g.play.LapNumber;
        fewest_ = 1 << 30;
        since_ = 0;
    }
    const CannonState& c = g.players[player_].cannon;
    int target = CatchColumn(g);
    bool fire = false;
    if (CanFire(g, player_)) {
        if (planned_ == 0) planned_ = BestColumn(g);
        target = planned_;
        // The keys walk player 1's column there first; the pointer takes player 2's at once.
        fire = player_ == 2 || c.CannonTargetX == target;
    } else {
        planned_ = 0;
    }
    if (player_ == 1) {
        in.right = c.CannonTargetX < target;
        in.left = c.CannonTargetX > target;
    } else {
        in.pointerX = target;
    }
    if (fire) {
        in.fire = true;
        ++shots_;
        planned_ = 0;
    }
    return in;
}

int MatchBot::TrialShot(Game& t, int x) {
    t.keys = KeysHeld{};
    if (player_ == 1) {
        t.players[1].cannon.CannonTargetX = x;
        t.keys.Event(kButtonSpace, kFromKeyboard, true);
    } else {
        DXDraw1MouseMove(t, x, kPointerY);
        DXDraw1MouseDown(t);
    }
    SimulateTick(t);
    t.sound.SoundRequest.fill(0);
    t.keys.Event(kButtonSpace, kFromKeyboard, false);
    if (player_ == 2) DXDraw1MouseUp(t);
    int ticks = 1;
    while (ticks < kSettleLimit && t.play.LevelCleared == 0 &&
           (!CanFire(t, player_) || RisingInHalf(t, player_, false))) {
        SimulateTick(t);
        t.sound.SoundRequest.fill(0);
        ++ticks;
    }
    return ticks;
}

double MatchBot::Value(const Game& before, const Game& after, int ticks, double urgency) const {
    if (after.play.LevelCleared != 0) {
        if (after.players[player_].StonesLeft == 0) return 1e9 - ticks;
        if (MatchLevelWinner(after) != player_) return -1e9;
    }
    const int removed = HalfStones(before, player_) - HalfStones(after, player_);
    const int timeGain = after.players[player_].TimeLeft - before.players[player_].TimeLeft;
    const Shape shape = HalfShape(after, player_);
    return 12.0 * removed + 1.0 * timeGain + 6.0 * shape.pairs - 5.0 * shape.loners -
           urgency * shape.lonerHeight - 2.0 * shape.depth + FallingExtrasValue(after, player_);
}

int MatchBot::BestColumn(const Game& g) {
    const int stones = HalfStones(g, player_);
    if (stones < fewest_) {
        fewest_ = stones;
        since_ = 0;
    }
    ++since_;
    const double urgency = since_ < kPatience ? 0.5 : 0.5 + (since_ - kPatience) / 10.0;
    const int from = g.players[player_].cannon.CannonTargetX;
    // Only the key player walks the cannon column by column; the mouse player's cannon follows.
    auto walk = [&](int start, int x) {
        if (player_ != 1) return 0.0;
        return kWalkCost * std::abs(x - (start < 0 ? from : start)) / kMatchSpacing;
    };
    ShotSearch search;
    search.firstColumn = centre_ - kReach;
    search.lastColumn = centre_ + kReach;
    search.spacing = kMatchSpacing;
    search.nearest = from;
    search.beam = kBeam;
    return BestColumnTwoShotsDeep(
        g, *trial_, *second_, search, [this](Game& t, int x) { return TrialShot(t, x); },
        [&](const Game& t, int ticks) { return Value(g, t, ticks, urgency); },
        [this](const Game& t) { return t.play.LevelCleared == 0 && CanFire(t, player_); }, walk,
        CopyPlay);
}

int MatchBot::CatchColumn(const Game& g) const {
    const ExtrasTable& e = g.extras;
    const CannonState& c = g.players[player_].cannon;
    const bool holding = IsExtraSlot(c.LoadedStone);
    int target = c.CannonTargetX;
    int lowest = -1;
    for (int i = 1; i <= kMaxExtras; ++i) {
        if (e.ExtraType[i] == 0 || e.ExtraPhase[i] != 1) continue;
        if (!OwnsX(RulesOf(player_), e.ExtraX[i]) || e.ExtraY[i] > c.CannonY + 30) continue;
        const int type = e.ExtraType[i];
        const bool instant = type == kExtraClock || type == kExtraX2;
        if (holding && !instant) continue;
        if (e.ExtraY[i] > lowest) {
            lowest = e.ExtraY[i];
            target = e.ExtraX[i];
        }
    }
    return ColumnNear(centre_, target);
}

void MatchInputWriter::Event(Game& game, const std::string& line) {
    std::vector<ScriptEvent> events;
    std::string error;
    if (!ParseInputScript(line, events, error)) return;
    for (const ScriptEvent& e : events) ApplyScriptEvent(game, e, focused_);
    lines_.push_back(line);
}

void MatchInputWriter::Apply(Game& game, int tick, int player, const MatchInput& input) {
    const std::string t = std::to_string(tick) + " ";
    if (player == 1) {
        if (spaceDown_) Event(game, t + "keyup space");
        spaceDown_ = false;
        for (auto [held, now, name] :
             {std::tuple{&left_, input.left, "left"}, std::tuple{&right_, input.right, "right"}}) {
            if (*held == now) continue;
            Event(game, t + (now ? "keydown " : "keyup ") + name);
            *held = now;
        }
        if (input.fire) {
            Event(game, t + "keydown space");
            spaceDown_ = true;
        }
        return;
    }
    Pointer(game, tick, input.pointerX, kPointerY, input.fire);
}

void MatchInputWriter::Pointer(Game& game, int tick, int x, int y, bool fire) {
    const std::string t = std::to_string(tick) + " ";
    if (buttonDown_) Event(game, t + "up");
    buttonDown_ = false;
    if (x != 0 && (x != pointerX_ || y != pointerY_)) {
        Event(game, t + "move " + std::to_string(x) + " " + std::to_string(y));
        pointerX_ = x;
        pointerY_ = y;
    }
    if (fire) {
        Event(game, t + "down");
        buttonDown_ = true;
    }
}

void MatchInputWriter::Release(Game& game, int tick) {
    const std::string t = std::to_string(tick) + " ";
    if (spaceDown_) Event(game, t + "keyup space");
    if (left_) Event(game, t + "keyup left");
    if (right_) Event(game, t + "keyup right");
    if (buttonDown_) Event(game, t + "up");
    spaceDown_ = left_ = right_ = buttonDown_ = false;
}

MatchLevelRun PlayMatchLevel(const std::string& resDir, int level, int player,
                             const MatchBotOptions& options) {
    HeadlessPlatform platform;
    auto owned = std::make_unique<Game>();
    Game& g = *owned;
    InitGame(g, platform, resDir, options.seed);
    g.rng.Seed(options.seed);
    g.shell.Language = 2;
    g.shell.SoundOn = 0;
    g.shell.FrameCounter = 3;  // past start-up, as in any real game
    MatchLevelRun run;
    run.level = level;
    run.player = player;
    if (!StartMatchLevel(g, g.env, level, 1, false, true)) return run;
    MatchBot bot(player);
    MatchInputWriter writer;
    while (g.play.LevelCleared == 0 && run.ticks < options.maxTicks) {
        writer.Apply(g, g.shell.FrameCounter + 1, player, bot.Decide(g));
        SimulateTick(g);
        g.sound.SoundRequest.fill(0);
        ++run.ticks;
    }
    run.cleared = g.play.LevelCleared != 0 && g.players[player].StonesLeft == 0;
    run.shots = bot.shots();
    run.timeLeft = g.players[player].TimeLeft;
    run.scoreGained = g.players[player].Score;
    return run;
}

MatchCampaign RecordMatchCampaign(const std::string& resDir, std::uint64_t seed) {
    MatchCampaign campaign;
    HeadlessPlatform platform;
    auto owned = std::make_unique<Game>();
    Game& g = *owned;
    // As the runner starts: a first start without settings, saves or a suspended game.
    InitGame(g, platform, resDir, seed);
    const std::filesystem::path saves = std::filesystem::temp_directory_path() /
                                        ("rhombulus-match-replay-" + std::to_string(seed) + "-" +
                                         std::to_string(reinterpret_cast<std::uintptr_t>(&g)));
    std::filesystem::create_directories(saves);
    g.savesDir = saves.string();
    MatchInputWriter writer;
    // The splash, the main menu's "Spiel starten", the game choice's "Puzzle-Match" and the
    // start-level screen's "Level 1"; each screen's buttons wake 20 ticks after it opens.
    const std::vector<std::string> menus = {"5 keydown escape", "6 keyup escape", "30 move 400 350",
                                            "35 down",          "36 up",          "60 move 400 470",
                                            "65 down",          "66 up",          "90 move 400 310",
                                            "95 down",          "96 up"};
    size_t nextMenu = 0;
    MatchBot bots[3] = {MatchBot(1), MatchBot(1), MatchBot(2)};
    int seat = 0;
    int shotsBefore = 0;
    MatchLevelRun run;
    int endTick = 0;
    const int maxTicks = 200 + 60 * 4000;
    int tick = 1;
    for (; tick <= maxTicks; ++tick) {
        platform.wavesThisTick.clear();
        g.text.calls.clear();
        while (nextMenu < menus.size() && std::atoi(menus[nextMenu].c_str()) == tick)
            writer.Event(g, menus[nextMenu++]);
        const bool playing = g.shell.ScreenId == kScreenMatch && g.play.LevelCleared == 0;
        if (playing && seat == 0) {
            seat = g.play.LevelNumber % 2 == 1 ? 1 : 2;
            run = MatchLevelRun{};
            run.level = g.play.LevelNumber;
            run.player = seat;
            shotsBefore = bots[seat].shots();
        }
        if (playing) {
            writer.Apply(g, tick, seat, bots[seat].Decide(g));
            ++run.ticks;
        } else if (seat != 0) {
            // The level has ended: the winner lets go and the level is written down.
            writer.Release(g, tick);
            run.cleared = g.players[seat].StonesLeft == 0;
            run.timeLeft = g.players[seat].TimeLeft;
            run.shots = bots[seat].shots() - shotsBefore;
            run.scoreGained = g.players[seat].Score;
            campaign.levels.push_back(run);
            seat = 0;
        }
        FrameTick(g, false);
        if (g.session.WindowClosed) break;
        if (endTick == 0 && g.play.LapNumber == 2 && g.shell.ScreenId == kScreenMatch)
            endTick = tick + 20;
        if (tick == endTick) break;
    }
    campaign.reachedNextLap = endTick != 0 && g.play.LevelNumber == 1 && g.play.LapNumber == 2;
    campaign.ticks = tick;
    campaign.levelsWon[1] = g.match.LevelsWon[1];
    campaign.levelsWon[2] = g.match.LevelsWon[2];
    std::string script = "# rhombulus2-headless --seed " + std::to_string(seed) + " --ticks " +
                         std::to_string(campaign.ticks) + "\n";
    script +=
        "# A match through every match level: player 1 (keys) wins the odd levels, player 2 "
        "(mouse) the even ones, so the lead never reaches three; it ends in level 1 of lap 2.\n"
        "# Written by levelbot match-replay; the game must replay it exactly.\n";
    for (const std::string& line : writer.lines()) script += line + "\n";
    campaign.script = script;
    std::error_code ec;
    std::filesystem::remove_all(saves, ec);
    return campaign;
}

}  // namespace levels
