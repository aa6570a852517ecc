#include "music_score.h"

#include <cctype>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace assetgen::music {
namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
    throw std::runtime_error("tune line " + std::to_string(line) + ": " + what);
}

std::vector<std::string> Split(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

int PitchClass(const std::string& s, size_t& pos) {
    static const int kLetters[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (pos >= s.size() || s[pos] < 'A' || s[pos] > 'G') return -1;
    int pc = kLetters[s[pos] - 'A'];
    ++pos;
    if (pos < s.size() && s[pos] == '#')
        ++pc, ++pos;
    else if (pos < s.size() && s[pos] == 'b')
        --pc, ++pos;
    return (pc + 12) % 12;
}

// Appends note tokens ("E5/4", "r/2", "-/8"; a missing length repeats the last one).
void ParseNotes(const std::vector<std::string>& words, size_t from, std::vector<Note>& notes,
                int& lastLength, int line) {
    for (size_t i = from; i < words.size(); ++i) {
        const std::string& w = words[i];
        const size_t slash = w.find('/');
        const std::string head = w.substr(0, slash);
        if (slash != std::string::npos) {
            try {
                lastLength = std::stoi(w.substr(slash + 1));
            } catch (const std::exception&) {
                Fail(line, "bad length in " + w);
            }
            if (lastLength <= 0) Fail(line, "bad length in " + w);
        }
        const int start = notes.empty() ? 0 : notes.back().start + notes.back().length;
        if (head == "-") {
            if (notes.empty()) Fail(line, "tie without a note");
            notes.back().length += lastLength;
        } else if (head == "r") {
            notes.push_back({-1, start, lastLength});
        } else {
            try {
                notes.push_back({ParseNoteName(head), start, lastLength});
            } catch (const std::exception&) {
                Fail(line, "bad note " + w);
            }
        }
    }
}

int Length(const std::vector<Note>& notes) {
    return notes.empty() ? 0 : notes.back().start + notes.back().length;
}

}  // namespace

int ParseNoteName(const std::string& name) {
    size_t pos = 0;
    const int pc = PitchClass(name, pos);
    if (pc < 0 || pos + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[pos])))
        throw std::runtime_error("bad note name " + name);
    int octave = name[pos] - '0';
    // B#4 and Cb4 cross the octave line; keep the written octave's letter.
    if (name[0] == 'B' && pc == 0) ++octave;
    if (name[0] == 'C' && pc == 11) --octave;
    return 12 * (octave + 1) + pc;
}

Chord ParseChord(const std::string& symbol) {
    size_t pos = 0;
    Chord c;
    c.root = PitchClass(symbol, pos);
    if (c.root < 0) throw std::runtime_error("bad chord " + symbol);
    c.bass = c.root;
    std::string quality = symbol.substr(pos);
    const size_t slash = quality.find('/');
    if (slash != std::string::npos) {
        size_t bpos = slash + 1;
        c.bass = PitchClass(quality, bpos);
        if (c.bass < 0 || bpos != quality.size()) throw std::runtime_error("bad chord " + symbol);
        quality = quality.substr(0, slash);
    }
    static const std::map<std::string, std::vector<int>> kQualities = {
        {"", {0, 4, 7}},          {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
        {"maj7", {0, 4, 7, 11}},  {"m7", {0, 3, 7, 10}},   {"sus4", {0, 5, 7}},
        {"sus2", {0, 2, 7}},      {"dim", {0, 3, 6}},      {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},     {"add9", {0, 4, 7, 14}}, {"madd9", {0, 3, 7, 14}},
        {"7sus4", {0, 5, 7, 10}}, {"aug", {0, 4, 8}},      {"m7b5", {0, 3, 6, 10}}};
    const auto it = kQualities.find(quality);
    if (it == kQualities.end()) throw std::runtime_error("bad chord " + symbol);
    c.intervals = it->second;
    return c;
}

int Tune::TotalBars() const {
    int bars = 0;
    for (const std::string& name : order) bars += sections.at(name).bars;
    return bars;
}

Tune ParseTune(const std::string& text) {
    Tune tune;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    Section* section = nullptr;
    DrumPattern* drums = nullptr;
    int leadLength = 4, counterLength = 4;

    auto closeSection = [&]() {
        if (!section) return;
        const int steps = section->bars * kStepsPerBar;
        if (section->bars <= 0) Fail(line, "section " + section->name + " has no chords");
        for (const auto* notes : {&section->lead, &section->counter}) {
            if (!notes->empty() && Length(*notes) != steps)
                Fail(line, "section " + section->name + ": melody has " +
                               std::to_string(Length(*notes)) + " steps, chords " +
                               std::to_string(steps));
        }
        section = nullptr;
    };

    while (std::getline(in, raw)) {
        ++line;
        // A comment starts with '#' at the line start or after a space; elsewhere '#' is a sharp.
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(raw[i - 1])))) {
                raw.resize(i);
                break;
            }
        }
        const std::vector<std::string> w = Split(raw);
        if (w.empty()) continue;
        const std::string& key = w[0];

        if (drums) {
            if (key == "end") {
                drums = nullptr;
                continue;
            }
            std::string steps;
            for (size_t i = 1; i < w.size(); ++i) steps += w[i];
            for (char ch : steps)
                if (ch != 'X' && ch != 'x' && ch != 'o' && ch != '.')
                    Fail(line, "bad drum step in " + key);
            if (steps.empty()) Fail(line, "empty drum lane " + key);
            drums->lanes[key] += steps;
            continue;
        }
        if (section) {
            if (key == "end") {
                closeSection();
            } else if (key == "chords") {
                int bar = 0;
                for (size_t i = 1; i < w.size(); ++i, ++bar) {
                    // "Am,G" splits a bar into equal parts.
                    std::vector<std::string> parts;
                    std::stringstream ss(w[i]);
                    for (std::string p; std::getline(ss, p, ',');) parts.push_back(p);
                    if (parts.empty() || kStepsPerBar % parts.size() != 0)
                        Fail(line, "bad bar " + w[i]);
                    const int each = kStepsPerBar / static_cast<int>(parts.size());
                    for (size_t k = 0; k < parts.size(); ++k) {
                        try {
                            section->chords.push_back(
                                {(section->bars + bar) * kStepsPerBar + static_cast<int>(k) * each,
                                 ParseChord(parts[k])});
                        } catch (const std::exception& e) {
                            Fail(line, e.what());
                        }
                    }
                }
                section->bars += bar;
            } else if (key == "drums" || key == "bass" || key == "arp" || key == "comp") {
                if (w.size() != 2) Fail(line, key + " needs one pattern name");
                std::string& slot = key == "drums"  ? section->drums
                                    : key == "bass" ? section->bass
                                    : key == "arp"  ? section->arp
                                                    : section->comp;
                slot = w[1] == "-" ? "" : w[1];
            } else if (key == "lead") {
                ParseNotes(w, 1, section->lead, leadLength, line);
            } else if (key == "counter") {
                ParseNotes(w, 1, section->counter, counterLength, line);
            } else {
                Fail(line, "unknown word in section: " + key);
            }
            continue;
        }

        if (key == "tempo" && w.size() == 2) {
            tune.tempo = std::stod(w[1]);
        } else if (key == "swing" && w.size() == 2) {
            tune.swing = std::stod(w[1]);
        } else if (key == "loudness" && w.size() == 2) {
            tune.loudness = std::stod(w[1]);
        } else if (key == "voice" && w.size() >= 3) {
            // voice ROLE INSTRUMENT [gain DB] [pan P] [reverb R]
            Voice v;
            v.instrument = w[2];
            for (size_t i = 3; i + 1 < w.size(); i += 2) {
                const double x = std::stod(w[i + 1]);
                if (w[i] == "gain")
                    v.gain = static_cast<float>(std::pow(10.0, x / 20.0));
                else if (w[i] == "pan")
                    v.pan = static_cast<float>(x);
                else if (w[i] == "reverb")
                    v.reverb = static_cast<float>(x);
                else
                    Fail(line, "unknown voice setting " + w[i]);
            }
            tune.voices[w[1]] = v;
        } else if (key == "drumpattern" && w.size() == 2) {
            drums = &tune.drumPatterns[w[1]];
        } else if (key == "pattern" && w.size() >= 3) {
            std::string steps;
            for (size_t i = 2; i < w.size(); ++i) steps += w[i];
            for (char ch : steps)
                if (std::string("1357890x-.").find(ch) == std::string::npos)
                    Fail(line, "bad pattern step in " + w[1]);
            tune.patterns[w[1]] = steps;
        } else if (key == "section" && w.size() == 2) {
            section = &tune.sections[w[1]];
            *section = Section{};
            section->name = w[1];
            leadLength = counterLength = 4;
        } else if (key == "song") {
            tune.order.assign(w.begin() + 1, w.end());
        } else {
            Fail(line, "unknown line: " + key);
        }
    }
    if (section) Fail(line, "section " + section->name + " not closed");
    if (drums) Fail(line, "drum pattern not closed");
    if (tune.order.empty()) Fail(line, "no song order");
    for (const std::string& name : tune.order) {
        const auto it = tune.sections.find(name);
        if (it == tune.sections.end()) Fail(line, "song names unknown section " + name);
        const Section& s = it->second;
        for (const std::string* p : {&s.bass, &s.arp, &s.comp})
            if (!p->empty() && !tune.patterns.count(*p)) Fail(line, "unknown pattern " + *p);
        if (!s.drums.empty() && !tune.drumPatterns.count(s.drums))
            Fail(line, "unknown drum pattern " + s.drums);
    }
    return tune;
}

}  // namespace assetgen::music
