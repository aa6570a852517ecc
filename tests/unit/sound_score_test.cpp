// The tune notation of the asset generator: a wrong note name or chord would only be heard.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "music_score.h"

namespace {

using namespace assetgen::music;

struct NameCase {
    const char* name;
    int midi;
};

class NoteName : public ::testing::TestWithParam<NameCase> {};

TEST_P(NoteName, GivesMidiNumber) {
    EXPECT_EQ(ParseNoteName(GetParam().name), GetParam().midi);
}

INSTANTIATE_TEST_SUITE_P(Table, NoteName,
                         ::testing::Values(NameCase{"C4", 60}, NameCase{"A4", 69},
                                           NameCase{"F#5", 78}, NameCase{"Bb3", 58},
                                           NameCase{"B#4", 72}, NameCase{"Cb4", 59}));

struct ChordCase {
    const char* symbol;
    int root, bass;
    std::vector<int> intervals;
};

class ChordSymbol : public ::testing::TestWithParam<ChordCase> {};

TEST_P(ChordSymbol, GivesRootBassAndIntervals) {
    const Chord c = ParseChord(GetParam().symbol);
    EXPECT_EQ(c.root, GetParam().root);
    EXPECT_EQ(c.bass, GetParam().bass);
    EXPECT_EQ(c.intervals, GetParam().intervals);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChordSymbol,
    ::testing::Values(ChordCase{"C", 0, 0, {0, 4, 7}}, ChordCase{"Am", 9, 9, {0, 3, 7}},
                      ChordCase{"G7", 7, 7, {0, 4, 7, 10}}, ChordCase{"Fmaj7", 5, 5, {0, 4, 7, 11}},
                      ChordCase{"F#m7", 6, 6, {0, 3, 7, 10}}, ChordCase{"C/E", 0, 4, {0, 4, 7}},
                      ChordCase{"F#/A#", 6, 10, {0, 4, 7}}, ChordCase{"Esus4", 4, 4, {0, 5, 7}},
                      ChordCase{"C7sus4", 0, 0, {0, 5, 7, 10}}));

TEST(ChordSymbol, RejectsUnknownQualitiesAndBasses) {
    for (const char* bad : {"X", "Cmaj9", "C/", "C/H", "am"})
        EXPECT_THROW(ParseChord(bad), std::runtime_error) << bad;
}

const char* const kSmallTune = R"(
tempo 120
voice lead square
voice bass bass
pattern roots 1-------5-------
section a
chords C G#m,Bb
bass roots
lead C5/8 G#4 r/4 Bb4/4 -/8   # a sharp after a note is no comment
end
song a a
)";

TEST(Score, ReadsSectionsNotesAndSplitBars) {
    const Tune t = ParseTune(kSmallTune);
    EXPECT_EQ(t.TotalBars(), 4);
    const Section& a = t.sections.at("a");
    ASSERT_EQ(a.chords.size(), 3u);
    EXPECT_EQ(a.chords[1].first, 16);
    EXPECT_EQ(a.chords[2].first, 24);
    EXPECT_EQ(a.chords[2].second.root, 10);
    ASSERT_EQ(a.lead.size(), 4u);
    EXPECT_EQ(a.lead[1].midi, 68);
    EXPECT_EQ(a.lead[1].start, 8);
    EXPECT_EQ(a.lead[2].midi, -1);
    EXPECT_EQ(a.lead[3].start, 20);
    EXPECT_EQ(a.lead[3].length, 12);  // the tie lengthens the B flat
}

struct BrokenCase {
    const char* what;
    std::string from, to;
};

class BrokenTune : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenTune, IsRefusedWithItsLine) {
    std::string text = kSmallTune;
    const size_t at = text.find(GetParam().from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, GetParam().from.size(), GetParam().to);
    try {
        ParseTune(text);
        FAIL() << GetParam().what;
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("line"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Mistakes, BrokenTune,
                         ::testing::Values(BrokenCase{"melody too short", "-/8", "-/4"},
                                           BrokenCase{"melody too long", "-/8", "-/12"},
                                           BrokenCase{"unknown pattern", "bass roots",
                                                      "bass fifths"},
                                           BrokenCase{"unknown section", "song a a", "song a b"},
                                           BrokenCase{"bad pattern step", "1-------5", "1-------6"},
                                           BrokenCase{"section left open", "end\nsong", "song"},
                                           BrokenCase{"bad chord", "G#m,Bb", "G#m,Bq"},
                                           BrokenCase{"bar split unevenly", "G#m,Bb", "G#m,Bb,C"}));

// The loop is k + 0.5 seconds long, k odd, at a tempo within two per cent of the written one.
TEST(Score, LoopTempoMakesTheLoopEndHalfASecondPastAnOddWholeSecond) {
    for (double tempo : {60.0, 88.0, 116.0, 140.0, 151.3}) {
        Tune t = ParseTune(kSmallTune);
        t.tempo = tempo;
        for (int repeats = 1; repeats <= 24; repeats += 7) {
            t.order.assign(repeats, "a");
            const double played = LoopTempo(t);
            const double seconds = t.TotalBars() * 4 * 60.0 / played;
            EXPECT_NEAR(seconds - std::floor(seconds), 0.5, 1e-9) << tempo << " " << repeats;
            EXPECT_EQ(static_cast<long>(std::floor(seconds)) % 2, 1) << tempo << " " << repeats;
            EXPECT_NEAR(played / tempo, 1.0, seconds > 50 ? 0.02 : seconds > 20 ? 0.05 : 0.7);
        }
    }
}

// Notes ringing past the end of the loop are heard at its start, not cut off.
TEST(Score, RenderWrapsTheLastNotesReleaseToTheStart) {
    Tune t = ParseTune(R"(
tempo 120
voice lead bell
section a
chords C
lead r/15 C5/1
end
song a
)");
    const assetgen::synth::Stereo s = RenderTune(t);
    // Exactly one loop: its length is the tempo's k + 0.5 seconds.
    const double seconds = t.TotalBars() * 4 * 60.0 / LoopTempo(t);
    EXPECT_EQ(s.Size(), assetgen::synth::Samples(seconds));
    double early = 0;
    for (size_t i = 0; i < 2000; ++i) early = std::max(early, double(std::fabs(s.l[i])));
    EXPECT_GT(early, 0.05);
}

}  // namespace

namespace {

// Pitch of a lone note by autocorrelation near the expected period, refined by a parabola.
double MeasuredPitch(const std::vector<float>& x, double expect) {
    const size_t from = 4000, n = 8000;
    auto ac = [&](int lag) {
        double s = 0;
        for (size_t i = from; i < from + n; ++i) s += double(x[i]) * x[i + lag];
        return s;
    };
    const int lo = static_cast<int>(44100 / expect * 0.9),
              hi = static_cast<int>(44100 / expect * 1.1);
    int best = lo;
    for (int lag = lo; lag <= hi; ++lag)
        if (ac(lag) > ac(best)) best = lag;
    const double a = ac(best - 1), b = ac(best), c = ac(best + 1);
    return 44100.0 / (best + 0.5 * (a - c) / (a - 2 * b + c));
}

class InTune : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

// Every pitched voice sounds its written note, high notes included, so voices agree.
TEST_P(InTune, SoundsTheWrittenPitch) {
    const auto& [instrument, note] = GetParam();
    const Tune t = ParseTune(std::string("tempo 120\nvoice lead ") + instrument +
                             "\nsection a\nchords C\nlead " + note + "/16\nend\nsong a\n");
    const double want = assetgen::synth::NoteFrequency(ParseNoteName(note));
    const double got = MeasuredPitch(RenderTune(t).l, want);
    EXPECT_NEAR(1200 * std::log2(got / want), 0.0, 6.0) << got << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Voices, InTune,
                         ::testing::Combine(::testing::Values("pluck", "marimba", "epiano",
                                                              "square", "saw", "flute", "organ"),
                                            ::testing::Values("A3", "E5", "B5", "C6")));

}  // namespace
