// Tunes written as text: chords per bar, patterns over the chord tones, drum grids and
// melodies, arranged into sections. ParseTune reads one; RenderTune plays it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "synth.h"

namespace assetgen::music {

constexpr int kStepsPerBar = 16;  // sixteenth notes in a 4/4 bar

struct Chord {
    int root = 0;                // pitch class 0..11
    int bass = 0;                // pitch class of the bass note (differs for slash chords)
    std::vector<int> intervals;  // semitones above the root, root first
};

// One note of a melody line: a MIDI number or -1 for a rest, in sixteenth steps.
struct Note {
    int midi = -1;
    int start = 0;
    int length = 0;
};

struct DrumPattern {
    // Instrument name -> one character per step: 'X' accent, 'x' hit, 'o' soft, '.' rest.
    std::map<std::string, std::string> lanes;
};

struct Section {
    std::string name;
    int bars = 0;
    // Chords in time order with their start step inside the section.
    std::vector<std::pair<int, Chord>> chords;
    std::string drums, bass, arp, comp;  // pattern names, empty for none
    std::vector<Note> lead, counter;
};

struct Voice {
    std::string instrument;
    float gain = 1.0f;    // linear
    float pan = 0.0f;     // -1 left .. +1 right
    float reverb = 0.2f;  // send level
};

struct Tune {
    double tempo = 120;     // quarter notes per minute
    double swing = 0;       // fraction of a sixteenth the off-beat eighths are late
    // Median loudness of the finished tune in 400 ms steps, RMS in dBFS, unless peaks forbid it.
    double loudness = -22;
    std::map<std::string, Voice> voices;  // lead, counter, arp, comp, bass, drums
    std::map<std::string, DrumPattern> drumPatterns;
    // Over chord tones: '1' root, '3' third, '5' fifth, '7' seventh, '8' root an octave up,
    // '9' third an octave up, '0' fifth below; 'x' the whole chord; '-' hold; '.' rest.
    std::map<std::string, std::string> patterns;
    std::map<std::string, Section> sections;
    std::vector<std::string> order;

    int TotalBars() const;
};

// Throws std::runtime_error naming the line on any mistake, including a melody whose
// length differs from its section's.
Tune ParseTune(const std::string& text);
Chord ParseChord(const std::string& symbol);
// "C4" = 60, "F#5" = 78, "Bb3" = 58.
int ParseNoteName(const std::string& name);

// The game restarts a tune on the first tick its position, rounded to whole seconds (ties to
// the even one), reaches its length rounded likewise. A loop of exactly k + 0.5 seconds with k
// odd rounds up to the even k + 1, which no position before its very end reaches: so the mixer,
// which plays the file over and over without a gap, always makes the turn, and a restart from
// the game can only land on the loop point itself. The tempo is nudged to give that length.
// The tempo the tune is played at: the written one, nudged by a per cent or two at most.
double LoopTempo(const Tune& tune);

// The whole tune as one loop, exactly as long as the file will play before it repeats: sounds
// ringing past the end wrap around to the start.
// `levels`, if given, receives each voice's level relative to the whole mix in dB.
synth::Stereo RenderTune(const Tune& tune, std::map<std::string, float>* levels = nullptr);

}  // namespace assetgen::music
