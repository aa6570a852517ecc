#include "presentation/bitmaps.h"

namespace {

constexpr BitmapInfo kBitmaps[kBitmapCount] = {
    {"menuehg2.bmp", KeyColour::kNone},
    {"hilfehg.bmp", KeyColour::kNone},
    {"spielhg2.bmp", KeyColour::kNone},
    {"spielhg3.bmp", KeyColour::kNone},
    {"spielhgtwo1.bmp", KeyColour::kNone},
    {"hgkorroben2.bmp", KeyColour::kMagenta},
    {"hgtwokorrmitte.bmp", KeyColour::kMagenta},
    {"wuxsplash.bmp", KeyColour::kBlack},
    {"zeit.bmp", KeyColour::kNone},
    {"zeit2.bmp", KeyColour::kNone},
    {"puanzeige.bmp", KeyColour::kNone},
    {"puanz1leer.bmp", KeyColour::kNone},
    {"puanz2leer.bmp", KeyColour::kNone},
    {"puanz3leer.bmp", KeyColour::kNone},
    {"puanz4leer.bmp", KeyColour::kNone},
    {"steine3.bmp", KeyColour::kMagenta},
    {"steine2.bmp", KeyColour::kMagenta},
    {"pipes.bmp", KeyColour::kMagenta},
    {"pipevoll.bmp", KeyColour::kMagenta},
    {"pipeaus.bmp", KeyColour::kMagenta},
    {"pipeein.bmp", KeyColour::kMagenta},
    {"hahn.bmp", KeyColour::kMagenta},
    {"pipefummel2.bmp", KeyColour::kMagenta},
    {"kanone1.bmp", KeyColour::kBlack},
    {"kanone2.bmp", KeyColour::kBlack},
    {"rad.bmp", KeyColour::kMagenta},
    {"rad3.bmp", KeyColour::kMagenta},
    {"pfeilchen.bmp", KeyColour::kBlack},
    {"pfeilchen2.bmp", KeyColour::kBlack},
    {"pfeil2.bmp", KeyColour::kBlack},
    {"uhr.bmp", KeyColour::kBlack},
    {"bombe.bmp", KeyColour::kBlack},
    {"farbe2.bmp", KeyColour::kMagenta},
    {"pfeil.bmp", KeyColour::kBlack},
    {"shaker.bmp", KeyColour::kMagenta},
    {"pux2.bmp", KeyColour::kBlack},
    {"puunkaputt.bmp", KeyColour::kMagenta},
    {"uhrklein.bmp", KeyColour::kBlack},
    {"bombeklein.bmp", KeyColour::kBlack},
    {"farbe2klein.bmp", KeyColour::kMagenta},
    {"pfeilklein.bmp", KeyColour::kBlack},
    {"shakerklein.bmp", KeyColour::kMagenta},
    {"pux2klein.bmp", KeyColour::kBlack},
    {"puunkaputtklein.bmp", KeyColour::kMagenta},
    {"miexpl.bmp", KeyColour::kMagenta},
    {"expl3.bmp", KeyColour::kBlack},
    {"sternchen.bmp", KeyColour::kBlack},
    {"sternchen2.bmp", KeyColour::kBlack},
    {"sternchen3.bmp", KeyColour::kBlack},
    {"sternchen4.bmp", KeyColour::kBlack},
    {"sternchen5.bmp", KeyColour::kBlack},
    {"sternchen6.bmp", KeyColour::kBlack},
    {"sternchen7.bmp", KeyColour::kBlack},
    {"font2.bmp", KeyColour::kBlack},
    {"schriftfarbe1.bmp", KeyColour::kNone},
    {"schriftfarbe2.bmp", KeyColour::kNone},
    {"schriftfarbe3.bmp", KeyColour::kNone},
    {"schriftfarbe4.bmp", KeyColour::kNone},
    {"schriftfarbe5.bmp", KeyColour::kNone},
    {"schriftfarbe6.bmp", KeyColour::kNone},
    {"schriftfarbe7.bmp", KeyColour::kNone},
};

}  // namespace

const BitmapInfo& BitmapInfoOf(int id) {
    return kBitmaps[id];
}

bool LoadBitmaps(Bitmaps& bitmaps, const std::string& resDir, std::string* failedFile) {
    bitmaps.glyphScratch = CreateSurface();
    SetSurfaceSize(bitmaps.glyphScratch, 30, 30);
    SetTransparentColor(bitmaps.glyphScratch, MatchColor(255, 0, 255));
    for (int id = 0; id < kBitmapCount; ++id) {
        Surface& s = bitmaps[id];
        s = CreateSurface();
        const std::string path = resDir + "/" + kBitmaps[id].file;
        if (!LoadSurface(s, path)) {
            if (failedFile) *failedFile = path;
            return false;
        }
        if (kBitmaps[id].key == KeyColour::kMagenta)
            SetTransparentColor(s, MatchColor(255, 0, 255));
        if (kBitmaps[id].key == KeyColour::kBlack) SetTransparentColor(s, MatchColor(0, 0, 0));
        PrepareRuns(s);
    }
    bitmaps.loaded = true;
    return true;
}

void FreeBitmaps(Bitmaps& bitmaps) {
    for (Surface& s : bitmaps.surface) FreeSurface(s);
    FreeSurface(bitmaps.glyphScratch);
    bitmaps.loaded = false;
}
