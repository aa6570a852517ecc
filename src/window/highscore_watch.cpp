#include "window/highscore_watch.h"

#include <algorithm>
#include <chrono>

#include "core/catalogue.h"
#include "core/game.h"
#include "core/words.h"
#include "platform/file_bytes.h"
#include "platform/sdl/sdl_platform.h"
#include "presentation/render.h"
#include "presentation/text.h"
#include "runner/replay_watch.h"
#include "shell/command_line.h"
#include "window/outline.h"

namespace {

// The rows as the highscore screen lays them out: place r at PageTop + 12 + 25 (r - 1).
constexpr int kRowsTop = 12;
constexpr int kRowStep = 25;
constexpr int kRowsLeft = 245;
constexpr int kRowsRight = 560;
constexpr int kMarkX = 548;
constexpr int kWatchHalfWidth = 70;

int RowTop(const Game& game, int place) {
    return game.buttons.PageTop + kRowsTop + kRowStep * (place - 1);
}

std::string Key(const HighscoreReplay& link) {
    return link.file + " " + std::to_string(link.table) + " " + std::to_string(link.place) + " " +
           std::to_string(link.score) + " " + std::to_string(link.level);
}

// Texts drawn over the picture after the scene: laid out, drawn, and gone from this tick's
// calls again, so that the game's own record of the tick is as it drew it.
template <typename F>
void DrawOver(Game& game, F texts) {
    const std::size_t calls = game.text.calls.size();
    const std::size_t queued = game.font.callsQueued;
    texts();
    DrawTextQueue(game);
    game.text.calls.resize(calls);
    game.font.callsQueued = queued;
}

// A small diamond: filled for a verified game, only its outline for one that is not.
void DrawMark(Surface& picture, int cx, int cy, bool filled) {
    const std::uint32_t edge = filled ? Rgb(120, 230, 120) : Rgb(230, 110, 90);
    const std::uint32_t inside = Rgb(40, 150, 60);
    constexpr int kRadius = 6;
    for (int dy = -kRadius; dy <= kRadius; ++dy) {
        const int span = kRadius - std::abs(dy);
        for (int dx = -span; dx <= span; ++dx) {
            const int x = cx + dx, y = cy + dy;
            if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) continue;
            const bool border = std::abs(dx) == span;
            if (border || filled) picture.At(x, y) = border ? edge : inside;
        }
    }
}

}  // namespace

const HighscoreReplay* HighscoreWatch::LinkOf(int place) const {
    return FindHighscoreReplay(links_, table_, place);
}

const ReplayVerdict* HighscoreWatch::VerdictOf(int place) const {
    const HighscoreReplay* link = LinkOf(place);
    if (link == nullptr) return nullptr;
    const auto it = verdicts_.find(Key(*link));
    return it == verdicts_.end() ? nullptr : &it->second;
}

void HighscoreWatch::BeforeTick(Game& game, SdlPlatform& platform) {
    if (game.shell.ScreenId != kScreenHighscores) {
        onScreen_ = false;
        chosen_ = 0;
        return;
    }
    const int table = std::clamp(game.buttons.PageNumber, 1, kHighscoreTables);
    if (onScreen_ && table == table_) return;
    onScreen_ = true;
    if (table != table_) chosen_ = 0;
    table_ = table;
    links_.clear();
    // Only a link that still names the entry shown: a table replaced since proves nothing.
    for (const HighscoreReplay& link : ReadHighscoreReplays(game)) {
        if (link.table == table && link.place >= 1 && link.place <= kHighscorePlaces &&
            game.own.HighscoreScore[table][link.place] == link.score)
            links_.push_back(link);
    }
    Verify(game, platform);
}

void HighscoreWatch::Verify(Game& game, SdlPlatform& platform) {
    std::vector<const HighscoreReplay*> todo;
    for (int place = 1; place <= kHighscorePlaces; ++place) {
        const HighscoreReplay* link = LinkOf(place);
        if (link == nullptr || verdicts_.count(Key(*link)) != 0) continue;
        todo.push_back(link);
    }
    if (todo.empty()) return;
    const std::string version = GameVersion();
    const std::uint64_t levels = LevelFilesHash(game.env.resDir + "/Levelz");
    const auto start = std::chrono::steady_clock::now();
    int done = 0;
    for (const HighscoreReplay* link : todo) {
        ReplayVerdict verdict;
        const FileBytes file = ReadFileBytes(replaysDir_ + "/" + link->file, kMaxInputScriptBytes);
        if (!file.Ok()) {
            verdict = {false, "its replay " + link->file + " " + DescribeFileProblem(file.problem)};
        } else {
            ScratchFolder scratch;
            verdict = VerifyReplay(std::string(file.bytes.begin(), file.bytes.end()), *link,
                                   game.env.resDir, scratch.Path(), version, levels);
        }
        verdicts_[Key(*link)] = verdict;
        ++done;
        // Longer than a second: the player sees how far the check is.
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(1) &&
            game.bitmaps.loaded && done < static_cast<int>(todo.size())) {
            DrawOver(game, [&] {
                DrawText(game, 400, 560, kAlignCentre,
                         FillIn(Tr(game, "Checking the replays %s"),
                                {std::to_string(done) + "/" + std::to_string(todo.size())}),
                         2);
            });
            ForgetShownScene(game);
            platform.FlipDisplay(game.backBuffer);
            SDL_PumpEvents();
        }
    }
}

bool HighscoreWatch::Event(const Game& game, const SdlPlatform& platform, const SDL_Event& e) {
    if (game.shell.ScreenId != kScreenHighscores || !onScreen_) return false;
    if (e.type == SDL_KEYDOWN && e.key.repeat == 0) {
        const SDL_Keycode k = e.key.keysym.sym;
        if (k >= SDLK_1 && k < SDLK_1 + kHighscorePlaces && LinkOf(k - SDLK_1 + 1) != nullptr)
            chosen_ = k - SDLK_1 + 1;
        return k == SDLK_w && chosen_ != 0;
    }
    if (e.type != SDL_MOUSEBUTTONDOWN || e.button.button != SDL_BUTTON_LEFT) return false;
    int x = 0, y = 0;
    platform.WindowToPicturePoint(e.button.x, e.button.y, x, y);
    if (chosen_ != 0 && std::abs(x - kWatchX) < kWatchHalfWidth && y >= kWatchY - 3 &&
        y < kWatchY + 22)
        return true;
    if (x < kRowsLeft || x > kRowsRight) return false;
    for (int place = 1; place <= kHighscorePlaces; ++place) {
        const int top = RowTop(game, place);
        if (y >= top - 3 && y < top + kRowStep - 3 && LinkOf(place) != nullptr) chosen_ = place;
    }
    return false;
}

bool HighscoreWatch::Draw(Game& game) const {
    if (game.shell.ScreenId != kScreenHighscores || !onScreen_) return false;
    for (int place = 1; place <= kHighscorePlaces; ++place) {
        const ReplayVerdict* verdict = VerdictOf(place);
        if (verdict != nullptr)
            DrawMark(game.backBuffer, kMarkX, RowTop(game, place) + 9, verdict->verified);
    }
    if (chosen_ == 0) return true;
    const int top = RowTop(game, chosen_);
    DrawOutline(game.backBuffer, kRowsLeft, top - 4, kRowsRight, top + 21, Rgb(255, 204, 51));
    DrawOver(game, [&] { DrawText(game, kWatchX, kWatchY, kAlignCentre, Tr(game, "Watch"), 3); });
    return true;
}

std::string HighscoreWatch::ChosenFile() const {
    const HighscoreReplay* link = chosen_ != 0 ? LinkOf(chosen_) : nullptr;
    return link != nullptr ? replaysDir_ + "/" + link->file : "";
}

std::string HighscoreWatch::ChosenWhy() const {
    const ReplayVerdict* verdict = chosen_ != 0 ? VerdictOf(chosen_) : nullptr;
    return verdict == nullptr || verdict->verified ? "" : verdict->why;
}
