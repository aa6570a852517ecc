// The fast drawing (runs of opaque pixels, glyphs made once, the effect scan cut at the highest
// slot in use, the black fill left out under full backgrounds) draws the very pictures that the
// straightforward per-pixel code draws: whole frames of busy screens, and random blits.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "menus/transitions.h"
#include "modes/level_start.h"
#include "playfield/tables.h"
#include "shell/input.h"
#include "test_support.h"

namespace {

bool Inside(const Rect& r, const Surface& s) {
    return r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height;
}

// The display layer's copy as first written: every pixel tested against the key.
void PlainDrawRect(Surface& dst, int x, int y, const Rect& src, bool keyed, const Surface& source) {
    const int w = src.right - src.left;
    const int h = src.bottom - src.top;
    if (w <= 0 || h <= 0) return;
    if (!Inside(src, source)) return;
    if (!Inside(Rect{x, y, x + w, y + h}, dst)) return;
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            const std::uint32_t p = source.At(src.left + col, src.top + row);
            if (keyed && source.hasTransparent && p == source.transparent) continue;
            dst.At(x + col, y + row) = p;
        }
    }
}

// The blend as first written: the source pixel of every destination pixel worked out anew.
void PlainDrawAlpha(Surface& dst, const Rect& dstRect, const Rect& src, const Surface& source,
                    bool keyed, int alpha) {
    if (alpha <= 0) return;
    if (alpha > 255) alpha = 255;
    const int sw = src.right - src.left;
    const int sh = src.bottom - src.top;
    const int dw = dstRect.right - dstRect.left;
    const int dh = dstRect.bottom - dstRect.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    if (!Inside(src, source)) return;
    for (int y = std::max(dstRect.top, 0); y < std::min(dstRect.bottom, dst.height); ++y) {
        for (int x = std::max(dstRect.left, 0); x < std::min(dstRect.right, dst.width); ++x) {
            const std::uint32_t s = source.At(src.left + (x - dstRect.left) * sw / dw,
                                              src.top + (y - dstRect.top) * sh / dh);
            if (keyed && source.hasTransparent && s == source.transparent) continue;
            std::uint32_t& d = dst.At(x, y);
            std::uint32_t out = 0;
            for (int shift : {16, 8, 0}) {
                const int ca = static_cast<int>((s >> shift) & 255);
                const int cb = static_cast<int>((d >> shift) & 255);
                out |= static_cast<std::uint32_t>((ca * alpha + cb * (255 - alpha) + 127) / 255)
                       << shift;
            }
            d = out;
        }
    }
}

int DifferentPixels(const Surface& a, const Surface& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

// Runs the next tick twice from the same state: once as the game does (from the changed tiles),
// once on a copy that starts from an all-black frame and draws whole with the plain routines
// and no glyph images. Returns
// the number of pixels in which the two pictures differ.
int NextFrameDiffers(TestGame& t) {
    auto ref = std::make_unique<Game>(t.game);
    HeadlessPlatform refPlatform = t.platform;
    ref->platform = &refPlatform;
    ref->draw.rectRoutine = PlainDrawRect;
    ref->draw.alphaRoutine = PlainDrawAlpha;
    ref->draw.glyphCache = false;
    ref->draw.fullRedraw = true;
    FillSurface(ref->backBuffer, 0);
    // The fast game draws over last frame's picture, so a pixel it forgets shows.
    FrameTick(*ref);
    FrameTick(t.game);
    EXPECT_EQ(ref->shell.ScreenId, t.game.shell.ScreenId);
    return DifferentPixels(t.game.backBuffer, ref->backBuffer);
}

void ToMainMenu(TestGame& t) {
    t.TickTo(4);
    t.game.keys.Event(kButtonEscape, kFromKeyboard, true);
    t.TickTo(5);
    t.game.keys.Event(kButtonEscape, kFromKeyboard, false);
    t.TickTo(30);
}

// A menu screen opened from the main menu, on the given page (0: as it opens).
template <void (*Show)(Game&), int Page = 0>
void MenuScene(TestGame& t) {
    ToMainMenu(t);
    Show(t.game);
    if (Page != 0) t.game.buttons.PageNumber = Page;
}

// A robot that clicks into a new column now and then, as the benchmark plays: tick i of its play.
void PlayTick(TestGame& t, int i) {
    if (i % 45 == 0) DXDraw1MouseMove(t.game, 60 + (i * 37) % 540, 300);
    if (i % 45 == 5) DXDraw1MouseDown(t.game);
    if (i % 45 == 6) DXDraw1MouseUp(t.game);
    FrameTick(t.game);
}

void Play(TestGame& t, int ticks) {
    for (int i = 0; i < ticks && !t.game.session.WindowClosed; ++i) PlayTick(t, i);
}

struct Scene {
    const char* name;
    void (*setUp)(TestGame&);
};

class WholeFrame : public ::testing::TestWithParam<Scene> {};

TEST_P(WholeFrame, IsDrawnPixelForPixelAsByThePlainCode) {
    TestGame t;
    GetParam().setUp(t);
    ASSERT_FALSE(t.game.session.WindowClosed);
    // Several frames in a row: animations, the pointer and the text move on.
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(NextFrameDiffers(t), 0) << "frame " << frame;
        DXDraw1MouseMove(t.game, 100 + 150 * frame, 200 + 70 * frame);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, WholeFrame,
    ::testing::Values(
        Scene{"Splash", [](TestGame& t) { t.TickTo(20); }},
        Scene{"MainMenu", [](TestGame& t) { ToMainMenu(t); }},
        Scene{"MainMenuEnglishPointerOverExit",
              [](TestGame& t) {
                  ToMainMenu(t);
                  t.game.shell.Language = 2;
                  DXDraw1MouseMove(t.game, 400, 510);
                  t.TickTo(40);
              }},
        Scene{"Options",
              [](TestGame& t) {
                  ToMainMenu(t);
                  ShowOptions(t.game);
                  t.TickTo(60);
              }},
        Scene{"HelpPage1", MenuScene<ShowHelp>}, Scene{"HelpPage2", MenuScene<ShowHelp, 2>},
        Scene{"HelpPage3", MenuScene<ShowHelp, 3>}, Scene{"InfoPage", MenuScene<ShowInfo>},
        Scene{"Highscores", MenuScene<ShowHighscores>},
        Scene{"BusyEndless",
              [](TestGame& t) {
                  ToMainMenu(t);
                  StartLevel(t.game, t.game.env, 1, kModeEndless, 1, true);
                  Play(t, 400);
                  Play(t, 400);
                  // Explosions, debris, smoke and sparkles of every colour in flight,
                  // some partly off the screen.
                  for (int i = 0; i < 60; ++i) {
                      const int x = -20 + 14 * i;
                      const int y = 40 + (i * 53) % 560;
                      AddEffect(t.game, x, y, kEffectFlash, 0);
                      AddDebris(t.game, x + 7, y, 1 + i % 9);
                      AddEffect(t.game, x, y + 9, kEffectSmoke, 0);
                      AddEffect(t.game, x + 3, y - 9, kEffectSparkle, 1 + i % 7);
                  }
                  Play(t, 3);
                  EXPECT_GE(t.game.effects.EffectsInUse, 200);
              }},
        Scene{"ShakenPuzzle",
              [](TestGame& t) {
                  ToMainMenu(t);
                  StartLevel(t.game, t.game.env, 30, kModePuzzle, 1, true);
                  Play(t, 200);
                  t.game.players[kSoloPlayer].ShakeFrames = 10;
              }},
        Scene{"GameOverOverAFullField",
              [](TestGame& t) {
                  ToMainMenu(t);
                  StartLevel(t.game, t.game.env, 1, kModeEndless, 1, true);
                  Play(t, 100);
                  t.game.players[kSoloPlayer].TimeLeft = 0;
                  for (int i = 0;
                       i < 600 && (t.game.play.TimeUp == 0 || t.game.play.TimeUpTimer >= 60); ++i)
                      FrameTick(t.game);
                  EXPECT_EQ(t.game.play.TimeUp, 1);
              }}),
    [](const auto& info) { return info.param.name; });

// Random rectangles of the game's own sheets, keyed and opaque, at random places (many wholly or
// partly outside, which draw nothing), against the plain copy.
TEST(Blits, KeyedAndOpaqueCopiesMatchThePlainCopy) {
    TestGame t;
    t.TickTo(3);
    Random rng;
    rng.Seed(99);
    for (int bitmap : {kBmpStones, kBmpCannon, kBmpEffect2, kBmpFont, kBmpPointer, kBmpCornerPiece,
                       kBmpMenuBackground}) {
        const Surface& sheet = t.game.bitmaps[bitmap];
        ASSERT_TRUE(sheet.runs.valid || !sheet.hasTransparent) << bitmap;
        for (int i = 0; i < 300; ++i) {
            const int left = rng.Range(-5, sheet.width);
            const int top = rng.Range(-5, sheet.height);
            const Rect src{left, top, left + rng.Range(-2, 120), top + rng.Range(-2, 120)};
            const int x = rng.Range(-20, 790);
            const int y = rng.Range(-20, 590);
            const bool keyed = rng.Next(4) != 0;
            Surface fast = t.game.backBuffer;
            Surface plain = t.game.backBuffer;
            DrawRect(fast, x, y, src, keyed, sheet);
            PlainDrawRect(plain, x, y, src, keyed, sheet);
            ASSERT_EQ(DifferentPixels(fast, plain), 0)
                << bitmap << ": " << src.left << "," << src.top << "-" << src.right << ","
                << src.bottom << " at " << x << "," << y;
        }
    }
}

TEST(Blits, ScaledBlendsMatchThePlainBlend) {
    TestGame t;
    t.TickTo(3);
    Random rng;
    rng.Seed(7);
    for (int bitmap : {kBmpPointer, kBmpEffect1, kBmpEffect3, kBmpExtra6}) {
        const Surface& sheet = t.game.bitmaps[bitmap];
        for (int i = 0; i < 200; ++i) {
            const int left = rng.Range(0, sheet.width - 1);
            const Rect src{left, 0, left + rng.Range(1, 40), rng.Range(1, sheet.height)};
            const int x = rng.Range(-40, 800);
            const int y = rng.Range(-40, 600);
            const Rect dst{x, y, x + rng.Range(-1, 70), y + rng.Range(-1, 70)};
            const int alpha = rng.Range(-10, 270);
            Surface fast = t.game.backBuffer;
            Surface plain = t.game.backBuffer;
            DrawAlpha(fast, dst, src, sheet, true, alpha);
            PlainDrawAlpha(plain, dst, src, sheet, true, alpha);
            ASSERT_EQ(DifferentPixels(fast, plain), 0) << bitmap << " alpha " << alpha;
        }
    }
}

// Unscaled opaque blends (the pointer, effect sprites at full strength) are copies: keyed or
// not, from a sheet with or without its runs measured, cut by the picture's edges and by a
// clip, they set the very pixels the plain blend sets, and none outside the clip.
class UnscaledOpaqueBlends : public ::testing::TestWithParam<std::tuple<bool, bool>> {};

TEST_P(UnscaledOpaqueBlends, MatchThePlainBlend) {
    const auto [keyed, withRuns] = GetParam();
    TestGame t;
    t.TickTo(3);
    Random rng;
    rng.Seed(11);
    // A corner of the menu picture, so that the edges are met often.
    Surface base;
    SetSurfaceSize(base, 160, 120);
    DrawRect(base, 0, 0, Rect{0, 0, 160, 120}, false, t.game.bitmaps[kBmpMenuBackground]);
    for (int bitmap : {kBmpPointer, kBmpEffect1, kBmpExtra6}) {
        Surface sheet = t.game.bitmaps[bitmap];
        if (withRuns)
            PrepareRuns(sheet);
        else
            sheet.runs = PixelRuns{};
        for (int i = 0; i < 300; ++i) {
            const int w = rng.Range(1, std::min(60, sheet.width));
            const int h = rng.Range(1, std::min(60, sheet.height));
            const int sx = rng.Range(0, sheet.width - w);
            const int sy = rng.Range(0, sheet.height - h);
            const Rect src{sx, sy, sx + w, sy + h};
            const int x = rng.Range(-40, base.width);
            const int y = rng.Range(-40, base.height);
            const Rect dst{x, y, x + w, y + h};
            const int alpha = rng.Next(2) == 0 ? 255 : 256 + rng.Next(100);
            const int cx = rng.Range(-20, base.width);
            const int cy = rng.Range(-20, base.height);
            const Rect clip{cx, cy, cx + rng.Range(0, 80), cy + rng.Range(0, 80)};
            Surface fast = base;
            Surface plain = base;
            DrawAlpha(fast, dst, src, sheet, keyed, alpha);
            PlainDrawAlpha(plain, dst, src, sheet, keyed, alpha);
            ASSERT_EQ(DifferentPixels(fast, plain), 0) << bitmap << " at " << x << "," << y;
            // Clipped: the plain blend's pixels inside the clip, the old ones outside.
            Surface want = base;
            for (int py = std::max(clip.top, 0); py < std::min(clip.bottom, base.height); ++py)
                for (int px = std::max(clip.left, 0); px < std::min(clip.right, base.width); ++px)
                    want.At(px, py) = plain.At(px, py);
            Surface clipped = base;
            DrawAlphaClipped(clipped, dst, src, sheet, keyed, alpha, clip);
            ASSERT_EQ(DifferentPixels(clipped, want), 0)
                << bitmap << " clipped at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(KeyedAndRuns, UnscaledOpaqueBlends,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

// The highest slot in use always covers every effect that is alive.
TEST(Effects, ScanLimitCoversEveryLiveSlot) {
    TestGame t;
    t.TickTo(3);
    Random rng;
    rng.Seed(5);
    EffectTable& e = t.game.effects;
    for (int step = 0; step < 2000; ++step) {
        const int adds = rng.Next(step % 300 < 150 ? 6 : 1);
        for (int i = 0; i < adds; ++i)
            AddEffect(t.game, rng.Range(0, 799), rng.Range(0, 599), rng.Range(1, 4), 1);
        if (rng.Next(500) == 0) RemoveEffect(t.game, kRemoveAll);
        EffectStep(t.game);
        ++t.game.shell.FrameCounter;
        int live = 0;
        for (int s = 1; s <= kMaxEffects; ++s)
            if (e.EffectKind[s] != 0) live = s;
        ASSERT_GE(e.EffectsInUse, live) << "step " << step;
        ASSERT_EQ(e.EffectsInUse, live) << "the step leaves it exact, step " << step;
    }
}

}  // namespace
