// A network match's commands: each machine's own keys and mouse become its player's record, and
// the two records of a tick run the same match on both machines, whatever either machine's own
// input holds.
#include "shell/net_commands.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "core/mode_facts.h"
#include "core/state_io.h"
#include "crafted_level.h"
#include "modes/game_screen.h"
#include "modes/level_start.h"
#include "modes/match.h"
#include "shell/frame_loop.h"
#include "shell/screens.h"
#include "test_support.h"

namespace {

const std::map<int, std::pair<int, int>> kCells = {
    {LatticeCell(2, 4), {0, 0}}, {LatticeCell(2, 5), {0, 0}}, {LatticeCell(1, 0), {1, 0}}};

// One machine of the match: its game, and the capture of its own player's controls.
struct Machine {
    std::unique_ptr<TestGame> t;
    Game* g = nullptr;
    CommandCapture capture;
    explicit Machine(const std::string& res) : t(std::make_unique<TestGame>(res)), g(&t->game) {
        g->shell.FrameCounter = 3;
        g->input.MouseX = 400;
        g->input.MouseY = 300;
    }
};

struct NetPair {
    CraftedRes res;
    std::unique_ptr<Machine> host, guest;
    NetPair() {
        for (int n : {1, 2}) res.Write("lvl000" + std::to_string(n) + "two.lvl", kCells);
        host = std::make_unique<Machine>(res.Dir());
        guest = std::make_unique<Machine>(res.Dir());
        for (Machine* m : {host.get(), guest.get()})
            EXPECT_TRUE(StartMatchLevel(*m->g, (m->g)->env, 1, 1, false, true));
    }
    // One tick on both machines from each one's own controls.
    void Tick(const LocalControls& h, const LocalControls& g) {
        const net::WireCommand hc = host->capture.Capture(*host->g, h);
        const net::WireCommand gc = guest->capture.Capture(*guest->g, g);
        for (Machine* m : {host.get(), guest.get()}) {
            ApplyNetCommands(*m->g, hc, gc);
            SimulateTick(*m->g);
        }
    }
};

TEST(NetCommands, BothMachinesRunTheSameMatchFromTheirOwnPlayersControls) {
    NetPair pair;
    // Each machine's own window input is different and must not matter.
    pair.host->g->input.MouseX = 10;
    pair.guest->g->input.MouseX = 790;
    int shots2 = 0;
    for (int tick = 0; tick < 400; ++tick) {
        LocalControls h, g;
        h.mouseX = 400;
        h.mouseY = 300;
        h.keyRight = tick % 60 < 20;  // the host plays with the keys
        h.keySpace = tick % 50 == 49;
        g.mouseX = 100 + tick % 700;  // the guest with the mouse, over the whole screen
        g.mouseY = 300;
        g.mouseHeld = tick % 40 == 39;
        const int before = pair.guest->g->players[2].cannon.NothingFlying;
        pair.Tick(h, g);
        if (before == 1 && pair.guest->g->players[2].cannon.NothingFlying == 0) ++shots2;
        if (tick % 20 == 0) {
            ASSERT_EQ(StateHash(*pair.host->g), StateHash(*pair.guest->g)) << "tick " << tick;
        }
    }
    EXPECT_EQ(pair.host->g->shell.ScreenId, kScreenMatch);
    EXPECT_GT(shots2, 0);
    EXPECT_NE(pair.host->g->players[1].cannon.CannonTargetX, 180);  // the host's keys moved it
}

// The tables and the slot list are each player's own: two machines whose players hold different
// ones play the same match, to the same hash, and each keeps its own.
TEST(NetCommands, TheMatchHashLeavesOutEachPlayersTablesAndSlots) {
    NetPair pair;
    PlayerOwn& host = pair.host->g->own;
    PlayerOwn& guest = pair.guest->g->own;
    host.HighscoreName[2][1] = "anna";
    host.HighscoreScore[2][1] = 123456;
    guest.HighscoreName[4][7] = "bert";
    guest.SlotName[3] = "kept";
    guest.SlotMode[3] = 2;
    guest.SlotLevel[3] = 9;
    guest.SlotNamesRead = true;
    for (int tick = 0; tick < 120; ++tick) {
        LocalControls h, g;
        h.keySpace = tick % 30 == 29;
        g.mouseX = 600;
        g.mouseY = 300;
        g.mouseHeld = tick % 40 == 39;
        pair.Tick(h, g);
        if (tick % 30 == 0) {
            ASSERT_EQ(StateHash(*pair.host->g), StateHash(*pair.guest->g)) << "tick " << tick;
        }
    }
    EXPECT_EQ(host.HighscoreScore[2][1], 123456);
    EXPECT_EQ(guest.SlotName[3], "kept");
}

TEST(NetCommands, TheGuestsKeysMoveTheRightField) {
    NetPair pair;
    const int start = pair.guest->g->players[2].cannon.CannonTargetX;
    LocalControls h, g;
    g.keyLeft = true;
    for (int i = 0; i < 10; ++i) pair.Tick(h, g);
    EXPECT_LT(pair.guest->g->players[2].cannon.CannonTargetX, start);
    EXPECT_EQ(pair.host->g->players[2].cannon.CannonTargetX,
              pair.guest->g->players[2].cannon.CannonTargetX);
    EXPECT_EQ(pair.host->g->players[1].cannon.CannonTargetX, 180);
}

// Pause from either player, the pause button and Escape act on the same tick on both machines.
struct ControlCase {
    const char* name;
    bool byGuest;
    LocalControls press;
    bool endsMatch;
};

class NetControls : public ::testing::TestWithParam<ControlCase> {};

TEST_P(NetControls, ActOnTheSameTickOnBothMachines) {
    const ControlCase& c = GetParam();
    NetPair pair;
    LocalControls idle;
    idle.mouseX = c.press.mouseX;
    idle.mouseY = c.press.mouseY;
    pair.Tick(idle, idle);
    pair.Tick(c.byGuest ? idle : c.press, c.byGuest ? c.press : idle);
    for (Machine* m : {pair.host.get(), pair.guest.get()}) {
        if (c.endsMatch)
            EXPECT_EQ(m->g->shell.ScreenId, kScreenMainMenu);
        else
            EXPECT_EQ(m->g->play.PauseState, 1);
    }
    // Held on, the key or button counts once: the match stays paused.
    for (int i = 0; i < 5; ++i) pair.Tick(c.byGuest ? idle : c.press, c.byGuest ? c.press : idle);
    if (!c.endsMatch) {
        EXPECT_EQ(pair.host->g->play.PauseState, 1);
        EXPECT_EQ(pair.guest->g->play.PauseState, 1);
    }
    EXPECT_EQ(StateHash(*pair.host->g), StateHash(*pair.guest->g));
}

LocalControls With(bool LocalControls::*key) {
    LocalControls c;
    c.*key = true;
    return c;
}
LocalControls Click(int x, int y) {
    LocalControls c;
    c.mouseX = x;
    c.mouseY = y;
    c.mouseHeld = true;
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Controls, NetControls,
    ::testing::Values(ControlCase{"HostP", false, With(&LocalControls::keyP), false},
                      ControlCase{"GuestP", true, With(&LocalControls::keyP), false},
                      ControlCase{"GuestPauseButton", true, Click(400, 467), false},
                      ControlCase{"HostEscape", false, With(&LocalControls::keyEscape), true},
                      ControlCase{"GuestEndButton", true, Click(400, 514), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NetCommands, TheClickThatJoinedIsNoPressInTheMatch) {
    // The guest's click on the host's row is still held when the match begins, over the
    // match's Pause button: it does not pause the match until it is let go and pressed anew.
    NetPair pair;
    LocalControls idle;
    const LocalControls joining = Click(400, 480);
    for (int i = 0; i < 4; ++i) pair.Tick(idle, joining);
    EXPECT_EQ(pair.host->g->play.PauseState, -1);  // running
    EXPECT_EQ(pair.guest->g->play.PauseState, -1);
    LocalControls let = joining;
    let.mouseHeld = false;
    pair.Tick(idle, let);
    pair.Tick(idle, joining);
    EXPECT_EQ(pair.host->g->play.PauseState, 1);
    EXPECT_EQ(pair.guest->g->play.PauseState, 1);
}

TEST(NetCommands, ARecordFromTheWireOutOfRangeIsHarmless) {
    NetPair pair;
    net::CommandFields wild;
    wild.pointerX = 65535;
    wild.pointerY = 65535;
    wild.keys = 0xff;
    wild.fire = 0xff;
    wild.control = kNetButton;
    wild.spare = 200;  // no such button
    for (Machine* m : {pair.host.get(), pair.guest.get()}) {
        for (int i = 0; i < 30; ++i) {
            ApplyNetCommands(*m->g, net::PackCommand(wild), net::PackCommand(wild));
            SimulateTick(*m->g);
        }
        EXPECT_EQ(m->g->shell.ScreenId, kScreenMatch);
    }
    EXPECT_EQ(StateHash(*pair.host->g), StateHash(*pair.guest->g));
}

}  // namespace
