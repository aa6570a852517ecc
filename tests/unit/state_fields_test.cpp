// The simulation as its field lists write it: the state hash sees every field, the whole state
// goes out and comes back exactly, and the dump's places are each taken once.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <type_traits>

#include "core/state_io.h"
#include "modes/level_start.h"
#include "modes/match.h"
#include "test_support.h"

namespace {

// Every field of the simulation by its place in the walk, with the number of values it holds.
struct FieldCensus {
    std::vector<std::pair<std::string, std::size_t>> fields;
    std::vector<std::pair<int, std::string>> places;  // dump places taken: at, or -perPlayer

    template <typename T>
    void Field(const char* key, T& field, const Bounds& bounds, DumpAt dump, FieldPlace place) {
        std::size_t n = 0;
        ForEachLeaf(key, field, bounds, [&n](const char*, auto&, const Bounds&) { ++n; });
        fields.emplace_back(std::string(place.prefix) + key + "#" + std::to_string(place.player),
                            n);
        if (place.player <= 0 && dump.at > 0 && !kIsStdArray<T>) places.emplace_back(dump.at, key);
        if (dump.perPlayer > 0 && (place.player == 1 || (place.player < 0 && kIsStdArray<T>)))
            places.emplace_back(-dump.perPlayer, std::string(place.prefix) + key);
    }
    template <typename List>
    void ListBegin(const char*, List&, std::size_t) {}
};

// Changes value number `slot` of field number `target` (a list gains an entry instead).
class Nudge {
  public:
    Nudge(std::size_t target, std::size_t slot) : target_(target), slot_(slot) {}

    template <typename T>
    void Field(const char* key, T& field, const Bounds& bounds, DumpAt, FieldPlace) {
        if (index_++ != target_) return;
        std::size_t n = 0;
        ForEachLeaf(key, field, bounds, [&](const char*, auto& v, const Bounds&) {
            if (n++ == slot_) Change(v);
        });
    }
    template <typename List>
    void ListBegin(const char*, List& items, std::size_t) {
        if (index_ == target_) items.emplace_back();
    }

  private:
    template <typename T>
    static void Change(T& v) {
        if constexpr (std::is_same_v<T, bool>)
            v = !v;
        else if constexpr (std::is_same_v<T, std::string>)
            v += "x";
        else if constexpr (std::is_same_v<T, double>)
            v += 0.5;
        else
            v ^= 1;
    }
    std::size_t index_ = 0;
    std::size_t target_;
    std::size_t slot_;
};

template <typename Leaf>
void WalkAll(Simulation& sim, Leaf& leaf) {
    FieldWalker<Leaf> walker(leaf);
    VisitFields(sim, walker);
}

// A match under way on a busy field, so that the tables hold more than their first slots.
void PlayAMatch(Game& g) {
    g.shell.FrameCounter = 3;
    g.rng.Seed(11);
    ASSERT_TRUE(StartMatchLevel(g, g.env, 9, 1, false, true));
    for (int t = 1; t <= 300; ++t) {
        g.input.MouseX = 460 + (t * 37) % 300;
        g.input.MouseButtonDown2 = t % 9 == 0 ? 1 : 0;
        g.input.FireKey = t % 11 == 0 ? 1 : 0;
        SimulateTick(g);
    }
}

TEST(StateFields, EveryFieldChangesTheHash) {
    TestGame t;
    PlayAMatch(t.game);
    const Simulation& base = t.game.sim();
    const std::uint64_t baseHash = StateHash(base);
    FieldCensus census;
    auto scratch = std::make_unique<Simulation>(base);
    WalkAll(*scratch, census);
    ASSERT_GT(census.fields.size(), 150u);
    for (std::size_t f = 0; f < census.fields.size(); ++f) {
        const auto& [name, count] = census.fields[f];
        // The first and the last value of each field; a list gains an entry.
        for (const std::size_t slot : {std::size_t{0}, count > 0 ? count - 1 : 0}) {
            *scratch = base;
            Nudge nudge(f, slot);
            WalkAll(*scratch, nudge);
            EXPECT_NE(StateHash(*scratch), baseHash) << name << " value " << slot;
        }
    }
}

TEST(StateFields, EachDumpPlaceIsTakenOnce) {
    TestGame t;
    FieldCensus census;
    WalkAll(t.game.sim(), census);
    std::map<int, std::string> taken;
    for (const auto& [at, key] : census.places) {
        const auto [it, fresh] = taken.emplace(at, key);
        EXPECT_TRUE(fresh) << key << " and " << it->second << " both want place " << at;
    }
    // The single values run 1..n without a gap, and so do the players' values.
    int single = 0, players = 0;
    for (const auto& [at, key] : taken) (at > 0 ? single : players) += 1;
    EXPECT_EQ(taken.rbegin()->first, single);
    EXPECT_EQ(-taken.begin()->first, players);
}

// The whole simulation written out and read into a fresh game goes on tick for tick alike.
TEST(StateFields, TheWholeStateComesBackAndGoesOnAlike) {
    TestGame a, b;
    PlayAMatch(a.game);
    const std::vector<std::uint8_t> bytes = StateBytes(a.game, StatePart::kWhole);
    std::string why;
    ASSERT_TRUE(ReadStateBytes(bytes.data(), bytes.size(), StatePart::kWhole, b.game, why)) << why;
    EXPECT_EQ(StateHash(b.game), StateHash(a.game));
    for (int t = 1; t <= 200; ++t) {
        a.game.input.MouseX = b.game.input.MouseX = 500 + (t * 13) % 200;
        a.game.input.MouseButtonDown2 = b.game.input.MouseButtonDown2 = t % 7 == 0 ? 1 : 0;
        SimulateTick(a.game);
        SimulateTick(b.game);
        ASSERT_EQ(StateHash(b.game), StateHash(a.game)) << "tick " << t;
    }
}

struct Damage {
    const char* name;
    std::size_t keep;       // bytes kept of the whole state (0: all)
    std::size_t at;         // a byte set to 0xff (npos: none)
    std::size_t extra = 0;  // bytes added at the end
};

class DamagedState : public ::testing::TestWithParam<Damage> {};

// Short, long or changed bytes are refused with a reason; nothing the reader is given can make
// it read beyond the data.
TEST_P(DamagedState, IsRefusedWithAReason) {
    TestGame a, b;
    PlayAMatch(a.game);
    std::vector<std::uint8_t> bytes = StateBytes(a.game, StatePart::kWhole);
    const Damage& d = GetParam();
    if (d.keep > 0) bytes.resize(d.keep);
    if (d.at != std::string::npos) bytes[d.at] = 0xff;
    bytes.resize(bytes.size() + d.extra, 0);
    std::string why;
    EXPECT_FALSE(ReadStateBytes(bytes.data(), bytes.size(), StatePart::kWhole, b.game, why));
    EXPECT_FALSE(why.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedState,
                         ::testing::Values(Damage{"Empty", 1, std::string::npos},
                                           Damage{"CutInTheStoneTable", 5000, std::string::npos},
                                           // FrameCounter's top byte: a negative frame.
                                           Damage{"NegativeFrame", 0, 3},
                                           // ScreenId's low byte: no such screen.
                                           Damage{"NoSuchScreen", 0, 4},
                                           Damage{"ExtraBytes", 0, std::string::npos, 3}),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
