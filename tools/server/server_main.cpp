#include <cstdio>
#include <fstream>
#include <sstream>

#include "runner/replay_watch.h"
#include "server/online_play.h"
#include "shell/replay_store.h"
int main(int argc, char** argv) {
    std::ifstream in(argv[1]);
    std::stringstream ss;
    ss << in.rdbuf();
    ReplayHeader h = ThisGamesReplayHeader(argv[2], 0, 0);
    OnlineGameFacts f{std::atoi(argv[3]), std::strtoull(argv[4], nullptr, 10), h.version, h.levels,
                      1000000};
    ScratchFolder s;
    OnlinePlay p = PlayOnlineReplay(ss.str(), f, argv[2], s.Path());
    std::printf("%d %d %lld %s\n", p.verified, p.score, p.ticks, p.why.c_str());
}
