// Every bitmap the game loads, with the cell grid the renderer cuts out of it and the colour
// the loader makes transparent. The generator draws from this table and the tests check the
// written files against it, so a size change happens in one place.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace assetgen {

enum class Key { None, Magenta, Black };

constexpr std::uint32_t KeyColour(Key key) {
    return key == Key::Magenta ? 0xFF00FFu : 0x000000u;
}

struct SheetLayout {
    std::string_view name;  // file name below res/
    int cellW;
    int cellH;
    int columns;
    int rows;
    Key key;
    // Every cell's four corner pixels are the key colour (the shape never touches the cell
    // edge), so neighbouring cells never bleed into a drawn one.
    bool cornersKeyed;

    constexpr int Width() const { return cellW * columns; }
    constexpr int Height() const { return cellH * rows; }
};

// Frames and cells as the renderer and the rules use them: a sheet counted from 1 starts its
// first cell at x 0; a sheet counted from 0 (effect sprites) has one more frame than its last
// number.
inline constexpr std::array kPictures = {
    // Full-screen backgrounds.
    SheetLayout{"menuehg2.bmp", 800, 600, 1, 1, Key::None, false},
    SheetLayout{"hilfehg.bmp", 800, 600, 1, 1, Key::None, false},
    SheetLayout{"spielhg2.bmp", 800, 600, 1, 1, Key::None, false},
    SheetLayout{"spielhg3.bmp", 800, 600, 1, 1, Key::None, false},
    SheetLayout{"spielhgtwo1.bmp", 800, 600, 1, 1, Key::None, false},
    // Overlays of the game and match frames; they join the frame edge to edge.
    SheetLayout{"hgkorroben2.bmp", 60, 119, 1, 1, Key::Magenta, false},
    SheetLayout{"hgtwokorrmitte.bmp", 115, 199, 1, 1, Key::Magenta, false},
    SheetLayout{"wuxsplash.bmp", 400, 400, 1, 1, Key::Black, true},
    // Time bar covers: the game tube (35 x 273) and the two match tubes side by side.
    SheetLayout{"zeit.bmp", 35, 273, 1, 1, Key::None, false},
    SheetLayout{"zeit2.bmp", 80, 271, 1, 1, Key::None, false},
    // Lit X2 (10,10)-(59,60) and flash (45,77)-(98,132) indicators of the game panel.
    SheetLayout{"puanzeige.bmp", 98, 132, 1, 1, Key::None, false},
    SheetLayout{"puanz1leer.bmp", 66, 65, 1, 1, Key::None, false},
    SheetLayout{"puanz2leer.bmp", 66, 61, 1, 1, Key::None, false},
    SheetLayout{"puanz3leer.bmp", 59, 60, 1, 1, Key::None, false},
    SheetLayout{"puanz4leer.bmp", 59, 60, 1, 1, Key::None, false},
    // Stones: column = look 1..2, row = colour 1..10 (10 = anchor).
    SheetLayout{"steine3.bmp", 57, 57, 2, 10, Key::Magenta, true},
    SheetLayout{"steine2.bmp", 38, 38, 2, 10, Key::Magenta, true},
    // Pipe pieces: row = kind 1..12 (7 barrel stone never drawn, 11 and 12 preset straights).
    SheetLayout{"pipes.bmp", 57, 57, 2, 12, Key::Magenta, true},
    SheetLayout{"pipevoll.bmp", 57, 57, 2, 12, Key::Magenta, true},
    // Barrels: water column in the left cell, front in the right one.
    SheetLayout{"pipeaus.bmp", 116, 116, 2, 1, Key::Magenta, true},
    SheetLayout{"pipeein.bmp", 116, 116, 2, 1, Key::Magenta, true},
    // The tap is drawn opaque over the barrel front.
    SheetLayout{"hahn.bmp", 24, 23, 4, 1, Key::Magenta, false},
    SheetLayout{"pipefummel2.bmp", 68, 68, 1, 1, Key::Magenta, true},
    // Cannon frames = load 1..8.
    SheetLayout{"kanone1.bmp", 113, 107, 8, 1, Key::Black, true},
    SheetLayout{"kanone2.bmp", 76, 72, 8, 1, Key::Black, true},
    SheetLayout{"rad.bmp", 31, 31, 8, 1, Key::Magenta, true},
    SheetLayout{"rad3.bmp", 21, 21, 8, 1, Key::Magenta, true},
    SheetLayout{"pfeilchen.bmp", 19, 80, 32, 1, Key::Black, true},
    SheetLayout{"pfeilchen2.bmp", 13, 55, 32, 1, Key::Black, true},
    SheetLayout{"pfeil2.bmp", 31, 31, 32, 1, Key::Black, false},
    // Big extras: columns = animation frames from 1 (X2 from 0, drawn as an effect sprite),
    // rows = colourer code 1..5.
    SheetLayout{"uhr.bmp", 52, 51, 8, 1, Key::Black, true},
    SheetLayout{"bombe.bmp", 59, 55, 8, 1, Key::Black, true},
    SheetLayout{"farbe2.bmp", 57, 57, 1, 5, Key::Magenta, true},
    SheetLayout{"pfeil.bmp", 43, 75, 16, 1, Key::Black, true},
    SheetLayout{"shaker.bmp", 57, 57, 1, 1, Key::Magenta, true},
    SheetLayout{"pux2.bmp", 50, 50, 15, 1, Key::Black, true},
    SheetLayout{"puunkaputt.bmp", 50, 50, 15, 1, Key::Magenta, true},
    // Small extras of the match, two thirds of the big ones.
    SheetLayout{"uhrklein.bmp", 35, 34, 8, 1, Key::Black, true},
    SheetLayout{"bombeklein.bmp", 40, 37, 8, 1, Key::Black, true},
    SheetLayout{"farbe2klein.bmp", 38, 38, 1, 5, Key::Magenta, true},
    SheetLayout{"pfeilklein.bmp", 29, 51, 16, 1, Key::Black, true},
    SheetLayout{"shakerklein.bmp", 38, 38, 1, 1, Key::Magenta, true},
    SheetLayout{"pux2klein.bmp", 33, 33, 15, 1, Key::Black, true},
    SheetLayout{"puunkaputtklein.bmp", 33, 33, 15, 1, Key::Magenta, true},
    // Effects: flash frames 0..10, debris columns = colour 1..8 and rows = frame 1..20,
    // sparkles frames 0..16.
    SheetLayout{"miexpl.bmp", 35, 36, 11, 1, Key::Magenta, true},
    SheetLayout{"expl3.bmp", 75, 75, 8, 20, Key::Black, true},
    SheetLayout{"sternchen.bmp", 16, 16, 17, 1, Key::Black, true},
    SheetLayout{"sternchen2.bmp", 16, 16, 17, 1, Key::Black, true},
    SheetLayout{"sternchen3.bmp", 16, 16, 17, 1, Key::Black, true},
    SheetLayout{"sternchen4.bmp", 16, 16, 17, 1, Key::Black, true},
    SheetLayout{"sternchen5.bmp", 16, 16, 17, 1, Key::Black, true},
    SheetLayout{"sternchen6.bmp", 16, 16, 17, 1, Key::Black, true},
    SheetLayout{"sternchen7.bmp", 16, 16, 17, 1, Key::Black, true},
    // Text colour textures; the text drawing reads their top-left 30 x 30.
    SheetLayout{"schriftfarbe1.bmp", 30, 30, 1, 1, Key::None, false},
    SheetLayout{"schriftfarbe2.bmp", 30, 30, 1, 1, Key::None, false},
    SheetLayout{"schriftfarbe3.bmp", 30, 30, 1, 1, Key::None, false},
    SheetLayout{"schriftfarbe4.bmp", 30, 30, 1, 1, Key::None, false},
    SheetLayout{"schriftfarbe5.bmp", 30, 30, 1, 1, Key::None, false},
    SheetLayout{"schriftfarbe6.bmp", 30, 30, 1, 1, Key::None, false},
    SheetLayout{"schriftfarbe7.bmp", 30, 30, 1, 1, Key::None, false},
};

constexpr const SheetLayout* FindPicture(std::string_view name) {
    for (const auto& p : kPictures) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

// The font: glyph rows 1..19 under a ruler in row 0, boxes at most 30 wide.
inline constexpr int kGlyphHeight = 19;
inline constexpr int kMaxGlyphWidth = 30;
// Characters 40..67 of the line are always drawn in the symbol texture.
inline constexpr int kFirstSymbolChar = 40;
inline constexpr int kLastSymbolChar = 67;

}  // namespace assetgen
