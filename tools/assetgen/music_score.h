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
    double loudness = -15;  // RMS of the finished tune in dBFS, unless peaks forbid it
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

// The game restarts a tune on the first tick its position, rounded to whole seconds, reaches
// its length rounded likewise: that is half a second before the end of a file whose length
// is k + 0.5 .. k + 1.5 seconds. So the loop is made k + 0.5 seconds long by nudging the tempo,
// and the file carries the loop's first kLoopOverlap seconds once more after it: the restart
// lands on the loop point, and the overlap covers the tick or two until it happens.
constexpr double kLoopOverlap = 0.3;
// The tempo the tune is played at: the written one, nudged by well under one per cent.
double LoopTempo(const Tune& tune);

// The whole tune as one loop: sounds ringing past the end wrap around to the start.
// `levels`, if given, receives each voice's level relative to the whole mix in dB.
synth::Stereo RenderTune(const Tune& tune, std::map<std::string, float>* levels = nullptr);

}  // namespace assetgen::music
