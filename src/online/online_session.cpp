#include "online/online_session.h"

#include <cstdio>
#include <fstream>
#include <memory>

#include "core/game.h"
#include "core/mode_facts.h"
#include "core/state_io.h"
#include "core/words.h"
#include "menus/online_pages.h"
#include "menus/record_file.h"
#include "online/entry_replay.h"
#include "online/fresh_game.h"
#include "platform/file_bytes.h"
#include "platform/headless/headless_platform.h"
#include "runner/game_replays.h"
#include "runner/replay_watch.h"
#include "shell/frame_loop.h"
#include "shell/recorder.h"

namespace {

std::string NameFile(const std::string& configDir) {
    return configDir + "/online.name";
}

std::string ReadName(const std::string& configDir) {
    const FileBytes f = ReadFileBytes(NameFile(configDir), 64);
    std::string name = f.Ok() ? std::string(f.bytes.begin(), f.bytes.end()) : "";
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    return OnlineNameOk(name) ? name : "";
}

void WriteName(const std::string& configDir, const std::string& name) {
    std::ofstream(NameFile(configDir), std::ios::trunc) << name << "\n";
}

// The server's reasons the game knows, said in the player's language; another one as it came.
std::string ReasonText(const Game& game, const std::string& reason) {
    static const Words kReasons[] = {
        N_("it does not end in a game over"),
        N_("it runs longer than its ticket allows"),
        N_("it does not start from the fresh game"),
        N_("its seed is not its ticket's"),
        N_("the ticket was used before"),
        N_("played with other level files"),
    };
    for (const Words& w : kReasons)
        if (reason == w.id) return Tr(game, w);
    return reason;
}

// What the server said of a game, a line or two.
std::vector<std::string> VerdictLines(const Game& game, const SendOutcome& o) {
    switch (o.kind) {
        case SendOutcome::Kind::kVerified:
            return {FillIn(Tr(game, "verified: place %s of %s"),
                           {std::to_string(o.verdict.place), std::to_string(o.verdict.of)})};
        case SendOutcome::Kind::kRefused:
            return {Tr(game, "refused:"), ReasonText(game, o.verdict.reason)};
        case SendOutcome::Kind::kNoVerdictYet:
            return {Tr(game, "Sent; no verdict yet.")};
        case SendOutcome::Kind::kUnreachable:
            return {Tr(game, "The server cannot be reached.")};
    }
    return {};
}

void SayKeptSent(const Game& game, std::vector<std::string>& status,
                 const std::vector<SendOutcome>& sent) {
    for (const SendOutcome& o : sent) {
        status.push_back(Tr(game, "A kept game was sent:"));
        for (const std::string& line : VerdictLines(game, o)) status.push_back(line);
    }
}

// The replay as the server wants it: the window's header names the run's seed, the game began
// from the ticket's.
std::string WithTicketSeed(std::string replay, std::uint64_t seed) {
    if (replay.rfind("# seed ", 0) != 0) return replay;
    const std::size_t end = replay.find('\n');
    return "# seed " + std::to_string(seed) + replay.substr(end == std::string::npos ? 0 : end);
}

// A name in a query: its spaces escaped (a name holds nothing else that needs it).
std::string QueryText(const std::string& name) {
    std::string out;
    for (char c : name) out += c == ' ' ? std::string("%20") : std::string(1, c);
    return out;
}

// The answer when no request could even be made: why, on the screen, and the screen free again.
std::function<void(Game&, GameReplays&)> SayNoClient(const std::string& why) {
    return [why](Game& g, GameReplays&) {
        g.online.busy = false;
        g.online.status = {why};
    };
}

}  // namespace

OnlineSession::OnlineSession(OnlineSessionConfig config) : config_(std::move(config)) {
    if (!config_.server.empty()) worker_ = std::thread([this] { Work(); });
}

OnlineSession::~OnlineSession() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

bool OnlineSession::Idle() {
    std::lock_guard lock(mutex_);
    return jobs_.empty() && !working_ && answers_.empty();
}

void OnlineSession::Post(std::function<Answer()> job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void OnlineSession::Work() {
    for (;;) {
        std::function<Answer()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            working_ = true;
        }
        Answer answer = job();
        {
            std::lock_guard lock(mutex_);
            if (answer) answers_.push_back(std::move(answer));
            working_ = false;
        }
        idle_.notify_all();
    }
}

std::optional<OnlineClient> OnlineSession::Client(std::string& why) {
    if (!CryptoReady()) {
        why = "libsodium cannot start";
        return std::nullopt;
    }
    const auto keys = LoadOrMakePlayerKey(config_.configDir, why);
    if (!keys) return std::nullopt;
    return OnlineClient(config_.server, *keys, config_.timeoutSeconds);
}

OnlineSession::Answer OnlineSession::SayUnsent(const std::vector<SendOutcome>& sent) {
    if (sent.empty()) return nullptr;
    return [sent](Game& game, GameReplays&) { SayKeptSent(game, game.online.status, sent); };
}

void OnlineSession::Poll(Game& game, GameReplays& replays) {
    PollOnce(game, replays);
    // An answer may ask more (a game over sends its game): a few rounds at most.
    for (int round = 0; config_.stepped && round < 4; ++round) {
        {
            std::unique_lock lock(mutex_);
            idle_.wait(lock, [this] { return jobs_.empty() && !working_; });
            if (answers_.empty()) break;
        }
        PollOnce(game, replays);
    }
}

void OnlineSession::PollOnce(Game& game, GameReplays& replays) {
    OnlineMenu& m = game.online;
    if (!started_) {
        started_ = true;
        m.configured = !config_.server.empty();
        m.name = ReadName(config_.configDir);
        // Games kept from an earlier run go as soon as the server is there.
        if (m.configured && !ReadUnsent(config_.configDir).empty()) {
            Post([this]() -> Answer {
                std::string why;
                const auto client = Client(why);
                if (!client) return nullptr;
                std::vector<SendOutcome> sent;
                SendUnsent(
                    *client, config_.configDir,
                    [&sent](const SendOutcome& o) { sent.push_back(o); }, &stopping_,
                    config_.verdictPolls);
                return SayUnsent(sent);
            });
        }
    }
    for (;;) {
        Answer answer;
        {
            std::lock_guard lock(mutex_);
            if (answers_.empty()) break;
            answer = std::move(answers_.front());
            answers_.pop_front();
        }
        answer(game, replays);
    }

    if (m.ask == OnlineMenu::Ask::kPlay && m.configured && !m.busy) {
        m.busy = true;
        m.status = {Tr(game, "Asking the server ...")};
        const std::string name = m.name, mode = m.mode;
        const bool claim = name != ReadName(config_.configDir);
        Post([this, name, mode, claim]() -> Answer {
            std::string why;
            const auto client = Client(why);
            if (!client) return SayNoClient(why);
            std::vector<SendOutcome> sent;
            SendUnsent(
                *client, config_.configDir, [&sent](const SendOutcome& o) { sent.push_back(o); },
                &stopping_);
            const ClaimOutcome c = ClaimName(*client, name);
            const TicketOutcome t = c.kind == ClaimOutcome::Kind::kClaimed
                                        ? AskTicket(*client, mode)
                                        : TicketOutcome{TicketOutcome::Kind::kRefused, {}, ""};
            if (c.kind == ClaimOutcome::Kind::kClaimed && claim)
                WriteName(config_.configDir, c.name);
            return [this, c, t, sent, name](Game& g, GameReplays& r) {
                OnlineMenu& om = g.online;
                om.busy = false;
                om.status.clear();
                SayKeptSent(g, om.status, sent);
                switch (c.kind) {
                    case ClaimOutcome::Kind::kClaimed:
                        om.name = c.name;
                        break;
                    case ClaimOutcome::Kind::kTaken:
                        om.status.push_back(FillIn(Tr(g, "The name %s is taken."), {name}));
                        return;
                    case ClaimOutcome::Kind::kOtherName:
                        om.status.push_back(Tr(g, "This key has another name."));
                        return;
                    case ClaimOutcome::Kind::kRefused:
                        om.status = {Tr(g, "refused:"), ReasonText(g, c.why)};
                        return;
                    case ClaimOutcome::Kind::kUnreachable:
                        om.status.push_back(Tr(g, "The server cannot be reached."));
                        return;
                }
                switch (t.kind) {
                    case TicketOutcome::Kind::kGot:
                        if (g.shell.ScreenId == kScreenOnline) StartGame(g, r, t.ticket);
                        return;
                    case TicketOutcome::Kind::kUnknownMode:
                        om.status.push_back(Tr(g, "The server does not know this game."));
                        return;
                    case TicketOutcome::Kind::kRefused:
                        om.status = {Tr(g, "refused:"), ReasonText(g, t.why)};
                        return;
                    case TicketOutcome::Kind::kUnreachable:
                        om.status.push_back(Tr(g, "The server cannot be reached."));
                        return;
                }
            };
        });
    }
    if (m.ask == OnlineMenu::Ask::kBoards && m.configured && !m.busy) {
        m.busy = true;
        m.boards.clear();
        m.status.clear();
        const std::string name = m.name;
        Post([this, name]() -> Answer {
            std::string why;
            const auto client = Client(why);
            std::vector<OnlineMenu::Board> boards;
            bool reached = client.has_value();
            for (const char* mode : kBoardWords) {
                if (!reached) break;
                std::string path = std::string("/api/board/") + mode;
                if (OnlineNameOk(name)) path += "?name=" + QueryText(name);
                const HttpReply r = client->Get(path);
                reached = r.reached;
                const auto b = r.status == 200 ? ReadBoardAnswer(r.body) : std::nullopt;
                if (!b) continue;  // a board this server does not keep
                OnlineMenu::Board board;
                board.mode = mode;
                for (const BoardRow& row : b->top)
                    board.top.push_back({row.place, row.name, row.score, row.id});
                if (b->player) {
                    board.hasOwn = true;
                    board.own = {b->player->place, b->player->name, b->player->score,
                                 b->player->id};
                }
                boards.push_back(board);
            }
            return [boards, reached](Game& g, GameReplays&) {
                g.online.busy = false;
                g.online.boards = boards;
                if (!reached) g.online.status = {Tr(g, "The server cannot be reached.")};
            };
        });
    }
    if (m.ask == OnlineMenu::Ask::kWatch && m.configured && !m.busy) {
        m.busy = true;
        m.status = {Tr(game, "Asking the server ...")};
        Post([this, entry = m.watch]() -> Answer { return FetchAndCheck(entry); });
    }
    if (m.ask == OnlineMenu::Ask::kBoards && !m.configured)
        m.status = {Tr(game, "No online server is set.")};
    m.ask = OnlineMenu::Ask::kNone;

    // The online game's end: its replay goes to the server, kept first so that nothing is lost.
    if (gameOn_ && game.session.GameOverScore >= 0) {
        gameOn_ = false;
        const UnsentGame kept{ticket_.id, ticket_.json,
                              WithTicketSeed(replays.recorder.Text(), ticket_.seed)};
        KeepUnsent(config_.configDir, kept);
        m.status = {Tr(game, "Sending the game to the server ...")};
        m.busy = true;
        showVerdict_ = true;
        Post([this, kept]() -> Answer {
            std::string why;
            const auto client = Client(why);
            SendOutcome o{SendOutcome::Kind::kUnreachable, {}, 0};
            if (client)
                o = SendGame(*client, kept.ticketJson, kept.replay, config_.verdictPolls, 200,
                             &stopping_);
            if (o.kind != SendOutcome::Kind::kUnreachable)
                ForgetUnsent(config_.configDir, kept.ticketId);
            return [this, o](Game& g, GameReplays&) {
                g.online.busy = false;
                if (o.kind == SendOutcome::Kind::kUnreachable) {
                    // Said once; the game goes with the next online action or start.
                    g.online.status.clear();
                    if (!toldUnsent_)
                        g.online.status = {Tr(g, "The score could not be sent."),
                                           Tr(g, "It is kept and sent later.")};
                    toldUnsent_ = true;
                    return;
                }
                g.online.status = VerdictLines(g, o);
            };
        });
    } else if (gameOn_ && game.shell.ScreenId == kScreenMainMenu) {
        gameOn_ = false;
        showVerdict_ = true;
        m.status = {Tr(game, "Left before its end: nothing sent.")};
    }
    // Back from an online game to the main menu: the verdict is on the online screen.
    if (showVerdict_ && game.shell.ScreenId == kScreenMainMenu) {
        showVerdict_ = false;
        ShowOnline(game);
    }
}

OnlineSession::Answer OnlineSession::FetchAndCheck(const OnlineMenu::Row& entry) {
    auto say = [](std::vector<Words> words) {
        return [words](Game& g, GameReplays&) {
            g.online.busy = false;
            g.online.status.clear();
            for (const Words& w : words) g.online.status.push_back(Tr(g, w));
        };
    };
    std::string why;
    const auto client = Client(why);
    if (!client) return SayNoClient(why);
    const EntryReplay fetched = FetchEntryReplay(*client, entry.id);
    if (fetched.kind == EntryReplay::Kind::kUnreachable)
        return say({N_("The server cannot be reached.")});
    if (fetched.kind == EntryReplay::Kind::kMissing)
        return say({N_("This replay cannot be read.")});
    const EntryCheck check = CheckEntryReplay(fetched.text, config_.resDir, entry.score);
    if (!check.ok) {
        std::fprintf(stderr, "rhombulus2: entry %lld: %s\n", entry.id, check.why.c_str());
        return say({N_("Not verified:"), ReplayTroubleWords(check.trouble)});
    }
    const std::string path = config_.configDir + "/online-watch.r2replay";
    if (!WriteFileAtomically(path,
                             std::vector<std::uint8_t>(fetched.text.begin(), fetched.text.end())))
        return say({N_("This replay cannot be played here.")});
    return [path](Game& g, GameReplays&) {
        g.online.busy = false;
        g.online.status.clear();
        g.online.watchFile = path;
    };
}

void OnlineSession::StartGame(Game& game, GameReplays& replays, const TicketAnswer& ticket) {
    const int mode = GameModeOfOnlineWord(ticket.mode);
    HeadlessPlatform platform;
    ScratchFolder saves;
    auto fresh = std::make_unique<Game>();
    InitGame(*fresh, platform, config_.resDir, ticket.seed);
    fresh->savesDir = saves.Path();
    if (saves.Path().empty() || !StartFreshGame(*fresh, mode)) {
        game.online.status = {Tr(game, "The online game cannot start.")};
        return;
    }
    // The window starts the mode as the game choice does (its screen, buttons and tune), then
    // takes the fresh game's values in progress, which the server checks the replay against.
    game.requests.levelStart = NewLevelStart(1, mode, 1, true);
    CarryOutRequests(game);
    const std::vector<std::uint8_t> bytes = StateBytes(fresh->sim(), StatePart::kGameInProgress);
    auto into = std::make_unique<Simulation>(game.sim());
    std::string why;
    if (!ReadStateBytes(bytes.data(), bytes.size(), StatePart::kGameInProgress, *into, why)) {
        game.online.status = {Tr(game, "The online game cannot start.")};
        return;
    }
    game.sim() = *into;
    game.session.GameOverScore = -1;
    game.session.GameStarted = true;
    replays.AfterTick(game);
    ticket_ = ticket;
    gameOn_ = true;
    toldUnsent_ = false;
}
