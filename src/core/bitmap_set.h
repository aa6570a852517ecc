// The game's pictures, one surface each, by their numbers.
#pragma once

#include <array>

#include "platform/surface.h"

enum BitmapId {
    kBmpMenuBackground,    // menuehg2.bmp
    kBmpHelpBackground,    // hilfehg.bmp
    kBmpGameBackground,    // spielhg2.bmp (Endless, Puzzle)
    kBmpPipeBackground,    // spielhg3.bmp
    kBmpMatchBackground,   // spielhgtwo1.bmp
    kBmpCornerPiece,       // hgkorroben2.bmp
    kBmpMatchCentrePiece,  // hgtwokorrmitte.bmp
    kBmpSplash,            // wuxsplash.bmp
    kBmpTimeCover,         // zeit.bmp
    kBmpMatchTimeCover,    // zeit2.bmp
    kBmpIndicators,        // puanzeige.bmp
    kBmpMatchIndicator1,   // puanz1leer.bmp .. puanz4leer.bmp
    kBmpMatchIndicator2,
    kBmpMatchIndicator3,
    kBmpMatchIndicator4,
    kBmpStones,          // steine3.bmp
    kBmpSmallStones,     // steine2.bmp
    kBmpPipes,           // pipes.bmp
    kBmpPipesFull,       // pipevoll.bmp
    kBmpSourceBarrel,    // pipeaus.bmp
    kBmpDrainBarrel,     // pipeein.bmp
    kBmpTap,             // hahn.bmp
    kBmpPieceHighlight,  // pipefummel2.bmp
    kBmpCannon,          // kanone1.bmp
    kBmpSmallCannon,     // kanone2.bmp
    kBmpWheel,           // rad.bmp
    kBmpSmallWheel,      // rad3.bmp
    kBmpAimMarker,       // pfeilchen.bmp
    kBmpSmallAimMarker,  // pfeilchen2.bmp
    kBmpPointer,         // pfeil2.bmp
    kBmpExtra1,
    kBmpExtra2,
    kBmpExtra3,
    kBmpExtra4,
    kBmpExtra5,
    kBmpExtra6,
    kBmpExtra7,
    kBmpSmallExtra1,
    kBmpSmallExtra2,
    kBmpSmallExtra3,
    kBmpSmallExtra4,
    kBmpSmallExtra5,
    kBmpSmallExtra6,
    kBmpSmallExtra7,
    kBmpEffect1,  // miexpl.bmp, effect kind 1
    kBmpEffect2,  // expl3.bmp, kind 2 (debris)
    kBmpEffect3,
    kBmpEffect4,
    kBmpEffect5,
    kBmpEffect6,
    kBmpEffect7,
    kBmpEffect8,
    kBmpEffect9,
    kBmpFont,  // font2.bmp
    kBmpTexture1,
    kBmpTexture2,
    kBmpTexture3,
    kBmpTexture4,
    kBmpTexture5,
    kBmpTexture6,
    kBmpTexture7,
    kBitmapCount
};

// Extra icons and effect pictures by their game numbers (1..7, 1..9).
inline int ExtraIcon(int type) {
    return kBmpExtra1 + type - 1;
}
inline int SmallExtraIcon(int type) {
    return kBmpSmallExtra1 + type - 1;
}
inline int EffectPicture(int kind) {
    return kBmpEffect1 + kind - 1;
}
inline int FontTexture(int colour) {
    return kBmpTexture1 + colour - 1;
}

struct Bitmaps {
    std::array<Surface, kBitmapCount> surface;
    Surface glyphScratch;  // 30 x 30, magenta transparent
    bool loaded = false;

    Surface& operator[](int id) { return surface[id]; }
    const Surface& operator[](int id) const { return surface[id]; }
};
