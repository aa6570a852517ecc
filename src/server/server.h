// rhombulus2-server: the HTTP API over the storage, and the verifier threads that play every
// submitted game again before its score counts.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/auth.h"
#include "server/rate_limit.h"
#include "server/storage.h"

// The largest replay taken (a four-hour game's inputs are far less), and the largest body.
inline constexpr std::size_t kMaxReplayBytes = 4u << 20;
inline constexpr std::size_t kMaxSubmitBody = 2 * kMaxReplayBytes + 4096;
inline constexpr std::size_t kMaxSmallBody = 1024;

struct ServerOptions {
    std::string dataDir;
    std::string db;  // postgresql://... ; empty: SQLite in dataDir
    int dbConnections = 16;
    bool verifierOnly = false;
    // The relay's rooms for network matches on this UDP port (bound to `host`); -1: none,
    // 0: any free one (the line "relay on UDP port N" says which).
    int udpPort = -1;  // no HTTP: only verifier threads, on a shared database
    // Browsers' WebSocket connections into the same rooms, on this TCP port of `host` (with
    // udpPort); -1: none, 0: any free one ("relay WebSocket on TCP port N").
    int wsPort = -1;
    std::string resDir;
    std::string host = "127.0.0.1";
    int port = 8642;  // 0: any free one (the line "listening on HOST:PORT" says which)
    int workers = 1;
    // Threads answering HTTP: a kept-alive connection holds one while it is open.
    int httpThreads = 64;
    // Added to the time since a ticket was issued when bounding its game's ticks: the time to
    // start the game and send it.
    long long ticketSlackSeconds = 60;
    long long leaseSeconds = 600;  // a verifier that holds a job longer is taken for dead
    // How often an idle verifier looks for jobs by itself: new ones wake it (its own process's,
    // or any process's on PostgreSQL), so this finds leases run out and rings missed.
    int pollSeconds = 30;
    double addressPerSecond = 20, addressBurst = 100;
    double keyPerSecond = 2, keyBurst = 30;
    // Replay downloads per address: each is up to a few megabytes.
    double downloadPerSecond = 2, downloadBurst = 20;
};

class OnlineServer {
  public:
    explicit OnlineServer(ServerOptions options);
    ~OnlineServer();
    // Opens the data folder (database, server key) and reads the game in resDir.
    bool Open(std::string& why);
    // Serves until Stop() (or only verifies, with verifierOnly); false, with the reason, when
    // the address cannot be bound.
    bool Run(std::string& why);
    void Stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
