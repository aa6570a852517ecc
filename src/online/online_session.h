// The window's online session: carries out what the online screens ask (Game::online) on a
// worker thread of its own, and hands the server's answers to the game between ticks, so the
// game never waits for the network. It starts an online game from the ticket's fresh state,
// sends the game at its game over and says the verdict; a game it cannot send is kept in the
// config folder and sent at the next start or online action.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/online_menu.h"
#include "online/online_client.h"

struct Game;
struct GameReplays;

struct OnlineSessionConfig {
    std::string server;  // empty: none set, the online buttons say so
    std::string configDir;
    std::string resDir;
    int timeoutSeconds = 5;
    int verdictPolls = 50;  // asks for a verdict, a fifth of a second apart
    // Each Poll waits until the server has answered what it asked (rhombulus2-headless: the
    // same script gives the same screens); the window never waits.
    bool stepped = false;
};

class OnlineSession {
  public:
    explicit OnlineSession(OnlineSessionConfig config);
    ~OnlineSession();
    OnlineSession(const OnlineSession&) = delete;
    OnlineSession& operator=(const OnlineSession&) = delete;
    // After each tick: what the screens asked, the answers come in, an online game's end.
    void Poll(Game& game, GameReplays& replays);
    // Whether no job waits or runs (for tests).
    bool Idle();

  private:
    using Answer = std::function<void(Game&, GameReplays&)>;
    void Post(std::function<Answer()> job);
    void Work();
    void PollOnce(Game& game, GameReplays& replays);
    std::optional<OnlineClient> Client(std::string& why);
    Answer SayUnsent(const std::vector<SendOutcome>& sent);
    // The board's entry's replay fetched and checked; the answer hands it to the viewer.
    Answer FetchAndCheck(const OnlineMenu::Row& entry);
    void StartGame(Game& game, GameReplays& replays, const TicketAnswer& ticket);

    OnlineSessionConfig config_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<Answer()>> jobs_;
    std::deque<Answer> answers_;
    bool working_ = false;
    std::atomic<bool> stopping_{false};
    std::thread worker_;
    bool started_ = false;
    // The online game on screen: its ticket, the replay's first line to be, said once.
    bool gameOn_ = false;
    TicketAnswer ticket_;
    bool toldUnsent_ = false;
    bool showVerdict_ = false;  // the online screen comes back after the game
};
