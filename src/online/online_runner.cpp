#include "online/online_runner.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/game.h"
#include "menus/record_file.h"
#include "online/entry_replay.h"
#include "online/fresh_game.h"
#include "online/online_client.h"
#include "platform/file_bytes.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "shell/frame_loop.h"
#include "shell/recorder.h"

namespace {

// An online game whose script ends before its game over plays on unattended; four hours of
// ticks end it in any case.
constexpr long long kMaxOnlineTicks = 4LL * 60 * 60 * 1000 / 15;

bool WriteText(const std::string& path, const std::string& text) {
    return WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

struct PlayedGame {
    bool over = false;
    int score = 0;
    std::string replay;
};

// The fresh game of the ticket, driven by the script (its ticks count from the game's start)
// to its game over.
PlayedGame PlayOnlineGame(const RunnerOptions& options, const TicketAnswer& ticket) {
    PlayedGame played;
    HeadlessPlatform platform;
    platform.waveDir = options.resDir + "/waves";
    ScratchFolder saves;
    auto game = std::make_unique<Game>();
    InitGame(*game, platform, options.resDir, ticket.seed);
    game->savesDir = saves.Path();
    if (saves.Path().empty() || !StartFreshGame(*game, GameModeOfOnlineWord(ticket.mode)))
        return played;
    InputRecorder recorder;
    GameReplays replays{
        recorder, ThisGamesReplayHeader(options.resDir, ticket.seed, game->shell.Language), ""};
    game->recorder = &recorder;
    game->session.GameStarted = true;
    game->session.GameOverScore = -1;
    replays.AfterTick(*game);
    bool focused = true;
    std::size_t next = 0;
    for (long long tick = 1; tick <= kMaxOnlineTicks && !game->session.WindowClosed; ++tick) {
        while (next < options.events.size() && options.events[next].tick <= tick) {
            if (options.events[next].kind != "close")
                ApplyScriptEvent(*game, options.events[next], focused);
            ++next;
        }
        FrameTick(*game, false);
        if (game->session.GameOverScore >= 0) {
            recorder.EndKept(game->shell.FrameCounter);
            played.over = true;
            played.score = game->session.GameOverScore;
            played.replay = recorder.Text();
            break;
        }
    }
    return played;
}

// The entry's score as its board shows it, its replay fetched and played to its game over.
int WatchEntry(const RunnerOptions& options, const OnlineClient& client, long long id) {
    long long shown = -1;
    for (const char* mode : kBoardWords) {
        const HttpReply r = client.Get(std::string("/api/board/") + mode);
        if (!r.reached) {
            Say("the server cannot be reached");
            return 1;
        }
        const auto board = r.status == 200 ? ReadBoardAnswer(r.body) : std::nullopt;
        for (const BoardRow& row : board ? board->top : std::vector<BoardRow>{})
            if (row.id == id) shown = row.score;
    }
    if (shown < 0) {
        Say("entry " + std::to_string(id) + " is on no board's top rows");
        return 1;
    }
    const EntryReplay fetched = FetchEntryReplay(client, id);
    if (fetched.kind != EntryReplay::Kind::kGot) {
        Say(fetched.kind == EntryReplay::Kind::kUnreachable ? "the server cannot be reached"
                                                            : "the server gives no replay of it");
        return 1;
    }
    const EntryCheck check = CheckEntryReplay(fetched.text, options.resDir, shown);
    Say("entry " + std::to_string(id) + ": the board shows " + std::to_string(shown) +
        ", its replay ends at " + std::to_string(check.score));
    if (!check.ok) {
        Say("not verified: " + check.why);
        return 1;
    }
    return 0;
}

int Finish(const SendOutcome& o) {
    Say(OutcomeLine(o));
    return o.kind == SendOutcome::Kind::kVerified ? 0 : 1;
}

}  // namespace

int RunOnlineHeadless(const RunnerOptions& options, const OnlineRunnerOptions& online) {
    if (!CryptoReady()) {
        std::fprintf(stderr, "rhombulus2-headless: libsodium cannot start\n");
        return 2;
    }
    std::string why;
    const auto keys = LoadOrMakePlayerKey(online.configDir, why);
    if (!keys) {
        std::fprintf(stderr, "rhombulus2-headless: %s\n", why.c_str());
        return 2;
    }
    const OnlineClient client(online.server, *keys);
    if (!online.name.empty()) {
        const ClaimOutcome c = ClaimName(client, online.name);
        switch (c.kind) {
            case ClaimOutcome::Kind::kClaimed:
                break;
            case ClaimOutcome::Kind::kUnreachable:
                Say("the server cannot be reached");
                return 1;
            case ClaimOutcome::Kind::kTaken:
                Say("refused: the name " + online.name + " is taken");
                return 1;
            default:
                Say("refused: " + c.why);
                return 1;
        }
    }

    if (online.watchEntry > 0) return WatchEntry(options, client, online.watchEntry);

    if (!online.submitPath.empty()) {
        const FileBytes file = ReadFileBytes(online.submitPath, kMaxInputScriptBytes);
        if (!file.Ok()) {
            std::fprintf(stderr, "rhombulus2-headless: --submit %s %s\n", online.submitPath.c_str(),
                         DescribeFileProblem(file.problem));
            return 2;
        }
        const std::string replay(file.bytes.begin(), file.bytes.end());
        // The game's own ticket when it was kept beside it; else a new one of the mode asked.
        const FileBytes kept = ReadFileBytes(online.submitPath + ".ticket", kMaxAnswerBytes);
        std::optional<TicketAnswer> ticket;
        if (kept.Ok()) ticket = ReadTicketAnswer(std::string(kept.bytes.begin(), kept.bytes.end()));
        if (!ticket) {
            const TicketOutcome t = AskTicket(client, online.mode.empty() ? "puzzle" : online.mode);
            if (t.kind != TicketOutcome::Kind::kGot) {
                Say(t.kind == TicketOutcome::Kind::kUnreachable ? "the server cannot be reached"
                                                                : "refused: " + t.why);
                return 1;
            }
            ticket = t.ticket;
        }
        const SendOutcome o = SendGame(client, ticket->json, replay);
        // This file is what the player chose to send for its ticket; a copy kept unsent is not.
        if (o.kind != SendOutcome::Kind::kUnreachable) ForgetUnsent(online.configDir, ticket->id);
        const int status = Finish(o);
        SendUnsent(client, online.configDir,
                   [](const SendOutcome& k) { Say("a kept game: " + OutcomeLine(k)); });
        return status;
    }

    // Games kept from earlier runs go first: the server is there again.
    SendUnsent(client, online.configDir,
               [](const SendOutcome& k) { Say("a kept game: " + OutcomeLine(k)); });
    const TicketOutcome t = AskTicket(client, online.mode);
    if (t.kind == TicketOutcome::Kind::kUnreachable) {
        Say("the server cannot be reached");
        return 1;
    }
    if (t.kind == TicketOutcome::Kind::kUnknownMode) {
        Say("refused: the server does not know the mode " + online.mode);
        return 1;
    }
    if (t.kind != TicketOutcome::Kind::kGot) {
        Say("refused: " + t.why);
        return 1;
    }
    const PlayedGame played = PlayOnlineGame(options, t.ticket);
    if (!played.over) {
        Say("the game did not end in a game over; nothing sent");
        return 1;
    }
    Say("game over, score " + std::to_string(played.score));
    if (!options.keepReplaysDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.keepReplaysDir, ec);
        const std::string path = options.keepReplaysDir + "/" + ReplayFileName(t.ticket.seed, 0);
        if (!WriteText(path, played.replay) || !WriteText(path + ".ticket", t.ticket.json)) {
            std::fprintf(stderr, "rhombulus2-headless: cannot write %s\n", path.c_str());
            return 2;
        }
    }
    if (!online.beforeSubmit.empty() && std::system(online.beforeSubmit.c_str()) != 0)
        std::fprintf(stderr, "rhombulus2-headless: --before-submit failed\n");
    const SendOutcome o = SendGame(client, t.ticket.json, played.replay);
    if (o.kind == SendOutcome::Kind::kUnreachable) {
        if (!KeepUnsent(online.configDir, {t.ticket.id, t.ticket.json, played.replay})) {
            Say("the score could not be sent, nor kept");
            return 2;
        }
        Say("the score could not be sent; kept to send later");
        return 0;
    }
    return Finish(o);
}
