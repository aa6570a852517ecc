// A board's entry played again: its replay fetched from the server (bounded in size and time)
// and checked as any replay file is, then played without drawing to the score its game over
// reaches, which must be the board's. The window shows it in the replay viewer, the runner
// prints what it found.
#pragma once

#include <string>

#include "online/online_client.h"
#include "runner/replay_watch.h"

// The server takes no replay longer (its kMaxReplayBytes), so it gives none either.
inline constexpr std::size_t kMaxEntryReplayBytes = 4u << 20;
inline constexpr int kEntryReplaySeconds = 30;

struct EntryReplay {
    enum class Kind { kGot, kUnreachable, kMissing } kind = Kind::kUnreachable;
    std::string text;
};
EntryReplay FetchEntryReplay(const OnlineClient& client, long long id);

struct EntryCheck {
    bool ok = false;
    long long score = -1;  // where its game over came, -1 none
    ReplayTrouble trouble = ReplayTrouble::kNone;
    std::string why;  // in a line, in English
};
// Plays `text` from its state to its game over in a headless game of `resDir` and compares the
// score with `boardScore`. A replay of another version or other levels, a damaged one and one
// that ends elsewhere are not ok, with the trouble the viewer would say.
EntryCheck CheckEntryReplay(const std::string& text, const std::string& resDir,
                            long long boardScore);
