// A fresh Puzzle field for the rule tests: lattice centre 326, anchors along the top, nothing else.
#pragma once

#include <gtest/gtest.h>

#include "playfield/cannon.h"
#include "playfield/extras.h"
#include "playfield/stone_step.h"
#include "playfield/tables.h"
#include "presentation/sound.h"
#include "test_support.h"

class FieldTest : public ::testing::Test {
  protected:
    static constexpr int M = 326;

    TestGame tg;
    Game& g = tg.game;

    FieldTest() {
        g.play.GameMode = kModePuzzle;
        g.play.FieldCentreX = M;
        g.play.LevelNumber = 1;
        g.players[kSoloPlayer].TimeLeft = 500;
        g.stones.StoneCount = 200;
        g.input.MouseX = M;
        g.players[kSoloPlayer].cannon.CannonX = M;
        g.players[kSoloPlayer].cannon.CannonXf = M;
        g.players[kSoloPlayer].cannon.CannonTargetX = M;
        g.players[kSoloPlayer].cannon.NeedReload = 0;
        g.players[kSoloPlayer].cannon.LoadedStone = 0;
    }

    void Anchors() {
        for (int x = M - 270; x <= M + 270; x += 60) AddStone(g, x, 0, kAnchorColour, 0);
    }
    int Stone(int x, int y, int colour, int extra = 0) { return AddStone(g, x, y, colour, extra); }
    // A shot on its way up; it is the cannon's last stone.
    int Shot(int x, int y, int colour) {
        const int s = AddStone(g, x, y, colour, 0);
        g.stones.StoneMotion[s] = 1;
        g.players[kSoloPlayer].cannon.LoadedStone = s;
        g.players[kSoloPlayer].cannon.NothingFlying = 0;
        g.players[kSoloPlayer].cannon.NeedReload = 0;
        return s;
    }
    bool Present(int slot) const { return g.stones.StoneState[slot] > 0; }
    int PresentCount() const {
        int n = 0;
        for (int s = 1; s <= g.stones.StoneCount; ++s) n += g.stones.StoneState[s] > 0;
        return n;
    }
    bool Requested(int sound) const { return g.sound.SoundRequest[sound] != 0; }
    void ClearSounds() { g.sound.SoundRequest.fill(0); }
    // One game step's worth of table cursors and rules.
    void Step() {
        g.stones.StoneCursor = g.effects.EffectCursor = g.extras.ExtraCursor = 0;
        ++g.shell.FrameCounter;
        CannonStep(g);
    }
};
