#include "online/entry_replay.h"

#include <memory>

#include "core/game.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"

EntryReplay FetchEntryReplay(const OnlineClient& client, long long id) {
    EntryReplay out;
    const HttpReply r = client.Get("/replay/" + std::to_string(id) + ".r2replay",
                                   kMaxEntryReplayBytes, kEntryReplaySeconds);
    if (!r.reached || r.status >= 500 || r.status == 429) return out;
    if (r.cut || r.status != 200) {
        out.kind = EntryReplay::Kind::kMissing;
        return out;
    }
    out.kind = EntryReplay::Kind::kGot;
    out.text = r.body;
    return out;
}

EntryCheck CheckEntryReplay(const std::string& text, const std::string& resDir,
                            long long boardScore) {
    EntryCheck c;
    const ReplayHeader here = ThisGamesReplayHeader(resDir, 0, 0);
    ReplayWatch watch;
    if (!watch.Load(text, here.version, here.levels, c.why)) {
        c.trouble = watch.Trouble();
        return c;
    }
    // A board's game starts from its state; anything else is no entry of a board.
    if (watch.Header().state.empty() || watch.Header().hasEnd) {
        c.trouble = ReplayTrouble::kDamaged;
        c.why = "damaged: it is no online game";
        return c;
    }
    ScratchFolder scratch;
    HeadlessPlatform platform;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, resDir, watch.Header().seed);
    if (!watch.Prepare(*game, scratch.Path(), c.why)) {
        c.trouble = watch.Trouble();
        return c;
    }
    game->session.GameOverScore = -1;
    while (watch.Step(*game, false) && game->session.GameOverScore < 0) {
    }
    c.score = game->session.GameOverScore;
    c.ok = c.score >= 0 && c.score == boardScore;
    if (!c.ok) {
        c.trouble = ReplayTrouble::kDamaged;
        c.why = c.score < 0 ? "damaged: it does not end in a game over"
                            : "damaged: it ends at " + std::to_string(c.score) +
                                  " points, the board says " + std::to_string(boardScore);
    }
    return c;
}
