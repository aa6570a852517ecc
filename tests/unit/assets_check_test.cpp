// The pictures hold up for every player: each stone's symbol stands out from its face in every
// size that shows one, the stone colours stay apart under the common colour vision
// deficiencies, every menu title lies on the band drawn for it and each help page's pictures sit
// in one panel. Every rule is also shown to catch a picture that breaks it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "art.h"
#include "menus/help_pages.h"
#include "menus/online_pages.h"
#include "menus/transitions.h"
#include "menus_fixture.h"
#include "picture_check.h"
#include "picture_table.h"
#include "presentation/bitmaps.h"
#include "presentation/render_help.h"
#include "presentation/text.h"

namespace {

using assetgen::PixelRect;
using piccheck::Colour;
using piccheck::Vision;

// A stone as some picture shows it.
struct ShownStone {
    std::string picture;
    assetgen::StonePlacement stone;
};

std::string Name(const ShownStone& s) {
    return s.picture + " colour " + std::to_string(s.stone.colour) + " size " +
           std::to_string(int(s.stone.size)) + " at " + std::to_string(int(s.stone.x)) + "," +
           std::to_string(int(s.stone.y));
}

// Cells of the stone sheets: colour = row, both looks; centred as the sheet painter centres them.
std::vector<ShownStone> SheetStones(std::string_view sheetName) {
    const assetgen::SheetLayout* p = assetgen::FindPicture(sheetName);
    std::vector<ShownStone> stones;
    const double centre = p->cellW / 2 + 0.5;
    for (int row = 0; row < 9; ++row) {
        for (int col = 0; col < p->columns; ++col) {
            stones.push_back(
                {std::string(sheetName),
                 {col * p->cellW + centre, row * p->cellH + centre, double(p->cellW), row + 1}});
        }
    }
    return stones;
}

std::vector<ShownStone> EveryStoneWithASymbol() {
    std::vector<ShownStone> all = SheetStones("steine3.bmp");
    for (const ShownStone& s : SheetStones("steine2.bmp")) all.push_back(s);
    for (const char* picture : {"menuehg2.bmp", "hilfehg.bmp", "wuxsplash.bmp", "spielhg2.bmp"}) {
        for (const assetgen::StonePlacement& p : assetgen::DecorationStones(picture)) {
            if (p.size >= assetgen::kSmallestSymbolStone) all.push_back({picture, p});
        }
    }
    return all;
}

TEST(StoneSymbols, StandOutFromTheirStoneInEverySizeShown) {
    const std::vector<ShownStone> stones = EveryStoneWithASymbol();
    // Both sheets, and decorations in the menus, the help header and the splash picture.
    ASSERT_GE(stones.size(), 36u + 20u);
    std::string loaded;
    Surface picture;
    double weakest = 1e9;
    for (const ShownStone& s : stones) {
        if (s.picture != loaded) picture = LoadResPicture(loaded = s.picture);
        const piccheck::SymbolReading r =
            piccheck::ReadSymbol(picture, s.stone.x, s.stone.y, s.stone.size, s.stone.colour);
        EXPECT_TRUE(piccheck::SymbolStandsOut(r))
            << Name(s) << ": contrast " << r.Contrast() << ", " << r.symbolPixels << " symbol and "
            << r.facePixels << " face pixels";
        weakest = std::min(weakest, r.Contrast());
    }
    std::printf("weakest symbol contrast: %.2f:1\n", weakest);
}

// The stone colours as the player sees them: the mean of each face around its symbol.
std::vector<Colour> FaceColours(std::string_view sheetName) {
    const Surface sheet = LoadResPicture(sheetName);
    std::vector<Colour> faces;
    for (const ShownStone& s : SheetStones(sheetName)) {
        if (s.stone.x > s.stone.size) continue;  // the first look only
        faces.push_back(
            piccheck::ReadSymbol(sheet, s.stone.x, s.stone.y, s.stone.size, s.stone.colour).face);
    }
    return faces;
}

TEST(StoneColours, StayApartForEveryKindOfVision) {
    for (const char* sheet : {"steine3.bmp", "steine2.bmp"}) {
        const std::vector<Colour> faces = FaceColours(sheet);
        ASSERT_EQ(faces.size(), 9u);
        EXPECT_TRUE(piccheck::ColoursStayApart(faces)) << sheet;
        for (Vision v :
             {Vision::kNormal, Vision::kProtanopia, Vision::kDeuteranopia, Vision::kTritanopia}) {
            const piccheck::ClosestPair p = piccheck::ClosestColours(faces, v);
            std::printf("%s, %s: closest colours %d and %d, CIEDE2000 %.1f\n", sheet,
                        piccheck::VisionName(v), p.first, p.second, p.distance);
        }
    }
}

// The anchor's steel is no stone colour: with normal vision it stays as far from each of them.
TEST(StoneColours, AnchorSteelIsNoneOfThem) {
    const assetgen::SheetLayout* p = assetgen::FindPicture("steine3.bmp");
    const Surface sheet = LoadResPicture("steine3.bmp");
    const double centre = p->cellW / 2 + 0.5;
    double sum[3] = {0, 0, 0};
    int n = 0;
    const double reach = assetgen::StoneRadius(p->cellW) - 1;
    for (int y = 9 * p->cellH; y < 10 * p->cellH; ++y) {
        for (int x = 0; x < p->cellW; ++x) {
            if (std::fabs(x + 0.5 - centre) + std::fabs(y - 9 * p->cellH + 0.5 - centre) > reach)
                continue;
            const Colour c = piccheck::FromPixel(sheet.At(x, y));
            sum[0] += c.r, sum[1] += c.g, sum[2] += c.b, ++n;
        }
    }
    const Colour steel{sum[0] / n, sum[1] / n, sum[2] / n};
    const std::vector<Colour> faces = FaceColours("steine3.bmp");
    for (size_t i = 0; i < faces.size(); ++i) {
        EXPECT_GE(piccheck::DeltaE2000(steel, faces[i]), piccheck::kColourDistance)
            << "colour " << i + 1;
    }
}

// Every title a menu screen draws (texture 1), as boxes on the screen.
struct MenuScreen {
    const char* name;
    std::function<void(Game&)> enter;
};

std::vector<PixelRect> TitleBoxes(MenuGame& m, const MenuScreen& screen, int language) {
    m.g().shell.Language = language;
    m.g().shell.GameInProgress = 1;
    screen.enter(m.g());
    m.Tick();
    std::vector<PixelRect> boxes;
    for (const TextCall& call : m.g().text.calls) {
        if (call.colour != 1) continue;
        const int width = TextWidth(m.g(), call.text);
        const int left = call.align == kAlignLeft ? call.x : call.x - width / 2 - 3;
        boxes.push_back(piccheck::TextBox(left, call.y, width));
    }
    return boxes;
}

const MenuScreen kMenuScreens[] = {
    {"main menu", [](Game& g) { ShowMainMenu(g, 0); }},
    {"main menu with a game to resume",
     [](Game& g) {
         g.shell.GameInProgress = 2;
         ShowMainMenu(g, 0);
     }},
    {"help menu", ShowHelpMenu},
    {"game choice", ShowGameChoice},
    {"start level", ShowStartLevel},
    {"options", ShowOptions},
    {"highscores", ShowHighscores},
    {"credits", ShowInfo},
    {"new champion", [](Game& g) { InsertHighscore(g, 1, 0, 999999); }},
    {"load", ShowLoadScreen},
    {"save", ShowSaveScreen},
    {"online", ShowOnline},
    {"leaderboards", ShowLeaderboards},
};

bool TitlesInside(const std::vector<PixelRect>& boxes, const PixelRect& band) {
    for (const PixelRect& b : boxes) {
        if (!piccheck::Inside(b, band)) return false;
    }
    return true;
}

TEST(MenuTitles, LieInsideTheBandInEveryLanguage) {
    int titles = 0;
    MenuGame m;
    for (const MenuScreen& screen : kMenuScreens) {
        for (int language = 1; language <= kLanguages; ++language) {
            const std::vector<PixelRect> boxes = TitleBoxes(m, screen, language);
            EXPECT_FALSE(boxes.empty()) << screen.name;
            titles += static_cast<int>(boxes.size());
            for (const PixelRect& b : boxes) {
                EXPECT_TRUE(TitlesInside({b}, assetgen::kMenuTitleBand))
                    << screen.name << " in language " << language << ": " << piccheck::Describe(b)
                    << " outside " << piccheck::Describe(assetgen::kMenuTitleBand);
            }
        }
    }
    EXPECT_GE(titles, 12 * kLanguages);  // the help menu has two title lines
}

PixelRect HelpPicturesBox(MenuGame& m, int page);

// A button's label and the half width of its button.
struct ButtonLabel {
    std::string text;
    int x, y, width, halfWidth;
};

// The labels drawn on the buttons of the screen as it stands after one tick.
std::vector<ButtonLabel> Labels(MenuGame& m) {
    std::vector<ButtonLabel> labels;
    const ButtonTable& b = m.g().buttons;
    for (const TextCall& call : m.g().text.calls) {
        for (int slot = 1; slot <= kButtonSlots; ++slot) {
            if (b.ButtonActive[slot] == 0 || call.x != b.ButtonX[slot] || call.y != b.ButtonY[slot])
                continue;
            labels.push_back(
                {call.text, call.x, call.y, TextWidth(m.g(), call.text), b.ButtonHalfWidth[slot]});
        }
    }
    return labels;
}

// A centred label, outline and shadow included, stays between its button's edges.
bool LabelFits(const ButtonLabel& l) {
    const PixelRect box = piccheck::TextBox(l.x - l.width / 2 - 3, l.y, l.width);
    return box.left >= l.x - l.halfWidth && box.right <= l.x + l.halfWidth;
}

TEST(MenuButtons, LabelsFitTheirButtonsInEveryLanguage) {
    MenuGame m;
    int labels = 0;
    for (int language = 1; language <= kLanguages; ++language) {
        for (const MenuScreen& screen : kMenuScreens) {
            TitleBoxes(m, screen, language);
            // The options and the opponent button show every one of their settings.
            for (int setting = 0; setting < 6; ++setting) {
                m.g().menus.OptionLevel[1] = m.g().menus.OptionLevel[2] = setting;
                m.g().computer.OpponentChoice = setting % 4;
                m.g().shell.Language = language;
                m.Tick();
                for (const ButtonLabel& l : Labels(m)) {
                    ++labels;
                    EXPECT_TRUE(LabelFits(l))
                        << screen.name << " in language " << language << ": \"" << l.text
                        << "\" is " << l.width << " px on a button of " << 2 * l.halfWidth;
                }
            }
        }
    }
    EXPECT_GE(labels, 7 * 40);
}

// Help lines stay inside the panel's gold border and off the page's pictures.
bool HelpLinesFit(const Game& g, const std::vector<HelpLine>& lines, const PixelRect& pictures,
                  std::string* why) {
    const PixelRect& p = assetgen::kHelpPanel;
    const PixelRect inner{p.left + 2, p.top + 2, p.right - 2, p.bottom - 2};
    for (const HelpLine& line : lines) {
        const PixelRect box = piccheck::TextBox(kHelpTextX, line.y, TextWidth(g, line.text));
        const bool overPictures = box.left < pictures.right && pictures.left < box.right &&
                                  box.top < pictures.bottom && pictures.top < box.bottom;
        if (!piccheck::Inside(box, inner) || overPictures) {
            *why = "\"" + line.text + "\" at " + piccheck::Describe(box) + ", pictures at " +
                   piccheck::Describe(pictures);
            return false;
        }
    }
    return true;
}

TEST(HelpText, LinesStayOnThePageInEveryLanguage) {
    MenuGame m;
    for (int page = 1; page <= kHelpPages; ++page) {
        const PixelRect pictures = HelpPicturesBox(m, page);
        for (int language = 1; language <= kLanguages; ++language) {
            const std::vector<HelpLine> lines = HelpPageLines(language, page);
            EXPECT_GE(lines.size(), 8u) << "page " << page << " in language " << language;
            std::string why;
            EXPECT_TRUE(HelpLinesFit(m.g(), lines, pictures, &why))
                << "page " << page << " in language " << language << ": " << why;
        }
    }
}

double RowLuminance(const Surface& s, int y, int left, int right) {
    double sum = 0;
    for (int x = left; x < right; ++x) sum += piccheck::Luminance(piccheck::FromPixel(s.At(x, y)));
    return sum / (right - left);
}

// The band is drawn where the titles expect it: a gold line along its top, lit down to its
// last rows, where it fades into the panel.
TEST(MenuTitles, BandIsDrawnWhereTheTitlesExpectIt) {
    const Surface menu = LoadResPicture("menuehg2.bmp");
    const PixelRect& b = assetgen::kMenuTitleBand;
    const int l = b.left + 20, r = b.right - 20;
    EXPECT_GT(RowLuminance(menu, b.top - 1, l, r), 3 * RowLuminance(menu, b.top + 2, l, r));
    EXPECT_GT(RowLuminance(menu, b.bottom - 6, l, r), 1.5 * RowLuminance(menu, b.bottom + 3, l, r));
}

// The smallest box around everything a help page draws besides its background and texts.
PixelRect HelpPicturesBox(MenuGame& m, int page) {
    constexpr std::uint32_t kBlank = 0x123456;
    FillSurface(m.g().backBuffer, kBlank);
    m.g().buttons.PageNumber = page;
    RenderHelpPictures(m.g());
    return piccheck::ChangedBox(m.g().backBuffer, kBlank);
}

class HelpPage : public ::testing::TestWithParam<int> {};

TEST_P(HelpPage, PicturesSitInsideOnePanel) {
    MenuGame m;
    const PixelRect box = HelpPicturesBox(m, GetParam());
    ASSERT_GT(box.right, box.left);
    // Inside the panel's gold border, which is two pixels wide.
    const PixelRect& p = assetgen::kHelpPanel;
    const PixelRect inner{p.left + 2, p.top + 2, p.right - 2, p.bottom - 2};
    EXPECT_TRUE(piccheck::InsideOneOf(box, {inner}))
        << "page " << GetParam() << ": " << piccheck::Describe(box);
}

INSTANTIATE_TEST_SUITE_P(Pages, HelpPage, ::testing::Values(1, 2, 3));

TEST(HelpPanel, IsDrawnWhereThePicturesExpectIt) {
    const Surface help = LoadResPicture("hilfehg.bmp");
    const PixelRect& p = assetgen::kHelpPanel;
    auto gold = [](std::uint32_t c) {
        const Colour k = piccheck::FromPixel(c);
        return k.r > 110 && k.g > 80 && k.b < k.r * 0.7;
    };
    for (int y = p.top + 20; y < p.bottom - 20; y += 10) {
        EXPECT_TRUE(gold(help.At(p.left + 1, y)) || gold(help.At(p.left + 2, y))) << y;
        EXPECT_TRUE(gold(help.At(p.right - 2, y)) || gold(help.At(p.right - 3, y))) << y;
    }
    for (int x = p.left + 20; x < p.right - 20; x += 10) {
        EXPECT_TRUE(gold(help.At(x, p.top + 1)) || gold(help.At(x, p.top + 2))) << x;
        EXPECT_TRUE(gold(help.At(x, p.bottom - 2)) || gold(help.At(x, p.bottom - 3))) << x;
    }
}

// The texts over the field (level end, game over, pause, points) use textures 1 to 3.
const int kFieldTextures[] = {1, 2, 3};

// The lightest colour of the outline: the font's ring and texture 6.
double OutlineLuminance(const Game& g) {
    double lightest = 0;
    const Surface& outline = g.bitmaps[FontTexture(6)];
    for (int y = 0; y < 19; ++y) {
        for (int x = 0; x < 30; ++x)
            lightest =
                std::max(lightest, piccheck::Luminance(piccheck::FromPixel(outline.At(x, y))));
    }
    const Surface& font = g.bitmaps[kBmpFont];
    for (int y = 1; y < font.height; ++y) {
        for (int x = 0; x < font.width; ++x) {
            const std::uint32_t p = font.At(x, y);
            if (p != kBlack && p != kMagenta && (p >> 16) < 40 && ((p >> 8) & 255) < 40)
                lightest = std::max(lightest, piccheck::Luminance(piccheck::FromPixel(p)));
        }
    }
    return lightest;
}

TEST(TextsOverTheField, BodyStandsOutFromTheOutlineInEveryTexture) {
    MenuGame m;
    const double outline = OutlineLuminance(m.g());
    for (int t : kFieldTextures) {
        const Surface& texture = m.g().bitmaps[FontTexture(t)];
        for (int y = 0; y < 19; ++y) {
            for (int x = 0; x < 30; ++x) {
                const double body = piccheck::Luminance(piccheck::FromPixel(texture.At(x, y)));
                EXPECT_GE((body + 0.05) / (outline + 0.05), piccheck::kOutlineContrast)
                    << "texture " << t << " at " << x << "," << y;
            }
        }
    }
}

// Over every stone colour and plain white, a game-over line keeps a dark edge two pixels wide
// between its letters and the field.
int WorstOutline(MenuGame& m, const std::vector<std::uint32_t>& fills) {
    int worst = 99;
    const double outline = OutlineLuminance(m.g());
    for (int t : kFieldTextures) {
        for (std::uint32_t fill : fills) {
            FillSurface(m.g().backBuffer, fill);
            BeginTextFrame(m.g());
            DrawText(m.g(), 326, 240, kAlignCentre, "Spiel beendet mit 12340 Punkten!", t);
            DrawText(m.g(), 326, 270, kAlignCentre, "Time remaining: 7 Percent x 10 = 70", t);
            DrawTextQueue(m.g());
            worst = std::min(worst, piccheck::OutlineWidth(m.g().backBuffer, fill, outline));
        }
    }
    return worst;
}

std::vector<std::uint32_t> FieldFills() {
    std::vector<std::uint32_t> fills{0xFFFFFF};
    for (const Colour& c : FaceColours("steine3.bmp")) fills.push_back(Rgb(c.r, c.g, c.b));
    return fills;
}

TEST(TextsOverTheField, KeepADarkEdgeTwoPixelsWideOnEveryStoneColour) {
    MenuGame m;
    EXPECT_GE(WorstOutline(m, FieldFills()), 2);
}

// Each rule above rejects a picture that breaks it.
TEST(PictureRules, SymbolOnTheFaceColourFails) {
    Surface sheet = LoadResPicture("steine3.bmp");
    const ShownStone s = SheetStones("steine3.bmp")[2 * 3];  // yellow, the brightest face
    const piccheck::SymbolReading before =
        piccheck::ReadSymbol(sheet, s.stone.x, s.stone.y, s.stone.size, s.stone.colour);
    ASSERT_TRUE(piccheck::SymbolStandsOut(before));
    // Repaint the symbol and its outline a shade off the face, as a faint engraving would look.
    const assetgen::SymbolPlace place = assetgen::StoneSymbolPlace(s.stone.size);
    const double reach = place.size * 0.62 + place.outline;
    const Colour f = before.face;
    const std::uint32_t faint = Rgb(int(f.r * 0.85), int(f.g * 0.85), int(f.b * 0.85));
    for (int y = int(s.stone.y - reach); y <= int(s.stone.y + reach); ++y) {
        for (int x = int(s.stone.x - reach); x <= int(s.stone.x + reach); ++x) {
            const Colour c = piccheck::FromPixel(sheet.At(x, y));
            if (std::fabs(piccheck::Luminance(c) - piccheck::Luminance(f)) > 0.15)
                sheet.At(x, y) = faint;
        }
    }
    const piccheck::SymbolReading after =
        piccheck::ReadSymbol(sheet, s.stone.x, s.stone.y, s.stone.size, s.stone.colour);
    EXPECT_FALSE(piccheck::SymbolStandsOut(after)) << after.Contrast();
}

TEST(PictureRules, BlueAndVioletThatOnlyDifferInRedFail) {
    // Sapphire and amethyst of equal lightness: apart for normal vision, one for red-green
    // deficient players.
    std::vector<Colour> colours = FaceColours("steine3.bmp");
    colours[1] = {41, 97, 250};
    colours[4] = {153, 61, 230};
    EXPECT_GE(piccheck::ClosestColours(colours, Vision::kNormal).distance,
              piccheck::kColourDistance);
    EXPECT_FALSE(piccheck::ColoursStayApart(colours));
}

TEST(PictureRules, TitleLineBelowAOneLineBandFails) {
    MenuGame m;
    const std::vector<PixelRect> boxes = TitleBoxes(m, kMenuScreens[2], 2);  // help menu
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(TitlesInside(boxes, assetgen::kMenuTitleBand));
    const PixelRect oneLine{214, 250, 586, 290};
    EXPECT_FALSE(TitlesInside(boxes, oneLine));
}

TEST(PictureRules, LabelWiderThanItsButtonFails) {
    MenuGame m;
    TitleBoxes(m, kMenuScreens[0], 2);  // the main menu in English
    std::vector<ButtonLabel> labels = Labels(m);
    ASSERT_EQ(labels.size(), 5u);
    EXPECT_TRUE(LabelFits(labels[3]));  // "Help and Credits"
    labels[3].halfWidth = labels[3].width / 2;
    EXPECT_FALSE(LabelFits(labels[3]));
}

TEST(PictureRules, HelpLineOverTheIconsOrOffThePanelFails) {
    MenuGame m;
    const PixelRect icons = HelpPicturesBox(m, 3);
    std::vector<HelpLine> lines = HelpPageLines(3, 3);
    std::string why;
    ASSERT_TRUE(HelpLinesFit(m.g(), lines, icons, &why)) << why;
    std::vector<HelpLine> longer = lines;
    longer.push_back({longer.back().y + 2 * kHelpLineStep, "un moment."});
    EXPECT_FALSE(HelpLinesFit(m.g(), longer, icons, &why));
    std::vector<HelpLine> wider = lines;
    wider[0].text += " et encore bien plus loin que le bord de la page";
    EXPECT_FALSE(HelpLinesFit(m.g(), wider, icons, &why));
}

TEST(PictureRules, GlyphsWithoutTheirRingFail) {
    MenuGame m;
    Surface& font = m.g().bitmaps[kBmpFont];
    for (int y = 1; y < font.height; ++y) {
        for (int x = 0; x < font.width; ++x) {
            if (font.At(x, y) != kBlack && font.At(x, y) != kMagenta && (font.At(x, y) >> 16) < 40)
                font.At(x, y) = kMagenta;
        }
    }
    EXPECT_LT(WorstOutline(m, FieldFills()), 2);
}

TEST(PictureRules, IconRowAcrossTwoPanelsFails) {
    MenuGame m;
    const PixelRect icons = HelpPicturesBox(m, 3);
    // A text panel on the left and a bay for the pictures on the right.
    const std::vector<PixelRect> split{{10, 58, 570, 548}, {570, 66, 782, 540}};
    EXPECT_FALSE(piccheck::InsideOneOf(icons, split)) << piccheck::Describe(icons);
    EXPECT_TRUE(piccheck::InsideOneOf(HelpPicturesBox(m, 1), split));
}

}  // namespace
