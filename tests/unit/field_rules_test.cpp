// Every field the rules play on, checked against the game's numbers through the one cannon step:
// the cannon's range and height, where the loaded stone waits, how the aim marker moves, which
// pointer x fires and how the cannon is reloaded.
#include "playfield/field_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "test_support.h"

namespace {

struct FieldCase {
    const char* name;
    const FieldRules* rules;
    int player;  // 0 single player, 1..2 the match
    int minX, maxX;
    int cannonY;
    int waitingY;    // where a loaded stone waits; 0: the cannon is not loaded by itself
    int aimFrom90;   // AimY after one step from 0 towards a target of 90 (pointer y 333)
    int firstFireX;  // the lowest pointer x that fires (INT_MIN: any)
    int lastFireX;   // the highest (INT_MAX: any)
    bool pointerAims;
    int bottomLine;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class FieldRulesTest : public ::testing::TestWithParam<FieldCase> {
  protected:
    TestGame tg;
    Game& g = tg.game;
    CannonState& cannon = g.players[GetParam().player].cannon;
    FieldRules r = *GetParam().rules;

    FieldRulesTest() {
        g.shell.FrameCounter = 4;
        g.play.LevelNumber = 1;
        g.stones.StoneCount = 200;
        r.scanLast = GetParam().player == 0 ? 200 : 400;
        // One stone of colour 3 high in the field, so the colour cycle has a colour to give.
        AddStone(g, r.centreX, r.topRowY, 3, 0);
        cannon.CannonX = r.centreX;
        cannon.CannonXf = r.centreX;
        cannon.CannonTargetX = r.centreX;
        cannon.CannonY = r.cannonY;
    }
    PlayerCommand Command(int x) const {
        PlayerCommand c;
        c.pointerAims = GetParam().pointerAims;
        c.pointerX = x;
        c.pointerY = 333;
        return c;
    }
    void Step(PlayerCommand& c) {
        ++g.shell.FrameCounter;
        g.stones.StoneCursor = 0;
        CannonStepFor(g, r, GetParam().player, c);
    }
};

TEST_P(FieldRulesTest, CannonRangeHeightLoadAimAndFireWindow) {
    const FieldCase& f = GetParam();
    EXPECT_EQ(r.cannonY, f.cannonY);
    EXPECT_EQ(r.bottomLineY, f.bottomLine);

    // Held keys walk the cannon to either end of its range, one column at a time.
    for (const bool right : {true, false}) {
        for (int i = 0; i < 200; ++i) {
            PlayerCommand c = Command(r.centreX);
            c.pointerAims = false;
            c.keyRight = right;
            c.keyLeft = !right;
            Step(c);
        }
        EXPECT_EQ(cannon.CannonX, right ? f.maxX : f.minX) << (right ? "right" : "left");
        EXPECT_EQ(cannon.CannonMinX, f.minX);
        EXPECT_EQ(cannon.CannonMaxX, f.maxX);
    }

    // The first step loads the cannon: the stone waits at its height, riding with the cannon.
    if (f.waitingY != 0) {
        ASSERT_TRUE(IsStoneSlot(cannon.LoadedStone));
        EXPECT_EQ(g.stones.StoneY[cannon.LoadedStone], f.waitingY);
        EXPECT_EQ(g.stones.StoneX[cannon.LoadedStone], cannon.CannonX);
        EXPECT_EQ(cannon.NeedReload, 0);
    } else {
        EXPECT_EQ(cannon.LoadedStone, 0);
        EXPECT_EQ(cannon.NeedReload, 1);
    }

    // The aim marker creeps towards its target by a part of the way, or follows the pointer.
    cannon.AimY = 0;
    cannon.AimTargetY = 90;
    PlayerCommand still = Command(r.centreX);
    Step(still);
    EXPECT_EQ(cannon.AimY, f.aimFrom90);

    // The fire window: a loaded cannon fires for a pointer x inside it only.
    std::vector<std::pair<int, bool>> probes;
    if (f.firstFireX != INT_MIN) probes.push_back({f.firstFireX - 1, false});
    if (f.firstFireX != INT_MIN) probes.push_back({f.firstFireX, true});
    if (f.lastFireX != INT_MAX) probes.push_back({f.lastFireX, true});
    if (f.lastFireX != INT_MAX) probes.push_back({f.lastFireX + 1, false});
    if (f.firstFireX == INT_MIN && f.lastFireX == INT_MAX) probes.push_back({0, true});
    for (const auto& [x, fires] : probes) {
        cannon.NeedReload = 0;
        cannon.NothingFlying = 1;
        cannon.LoadedStone = AddStone(g, cannon.CannonX, f.waitingY, 3, 0);
        PlayerCommand c = Command(x);
        c.fire = true;
        Step(c);
        EXPECT_EQ(c.fireTaken, fires) << "pointer x " << x;
        EXPECT_EQ(cannon.CannonLoad == 1, fires) << "pointer x " << x;
        RemoveStone(g, cannon.LoadedStone);
        cannon.CannonLoad = 8;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldRulesTest,
    ::testing::Values(
        FieldCase{"Endless", &kEndlessField, 0, 86, 566, 526, 500, 10, INT_MIN, 649, true, 440},
        FieldCase{"Puzzle", &kPuzzleField, 0, 86, 566, 526, 500, 10, INT_MIN, 649, true, 440},
        FieldCase{"Pipe", &kPipeField, 0, 155, 575, 526, 0, 333, 81, 649, true, 440},
        FieldCase{"MatchLeft", &kMatchLeftField, 1, 40, 320, 528, 510, 12, INT_MIN, INT_MAX, false,
                  460},
        FieldCase{"MatchRight", &kMatchRightField, 2, 480, 760, 528, 510, 12, 451, INT_MAX, true,
                  460}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST(FieldRules, EachModeHasItsField) {
    EXPECT_EQ(&FieldOfMode(kModeEndless), &kEndlessField);
    EXPECT_EQ(&FieldOfMode(kModePuzzle), &kPuzzleField);
    EXPECT_EQ(&FieldOfMode(kModePipe), &kPipeField);
    EXPECT_EQ(&FieldOfMode(0), &kPuzzleField);  // a game that has no mode yet
    // Endless alone slides its set; Puzzle alone bursts a stone reaching the top between columns.
    EXPECT_TRUE(kEndlessField.slides);
    EXPECT_FALSE(kPuzzleField.slides || kPipeField.slides);
    EXPECT_TRUE(kPuzzleField.offLatticeTopExplodes);
    EXPECT_FALSE(kEndlessField.offLatticeTopExplodes || kPipeField.offLatticeTopExplodes);
}

}  // namespace
