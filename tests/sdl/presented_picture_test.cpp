// The window is sent only the tiles that changed, yet after every tick it shows exactly the whole
// picture scaled: over a busy Endless game, a menu under a moving pointer, a help page, resizes to
// 2x and to a fraction, and the dimmed pause picture. On SDL's offscreen driver by default; the
// real-window test runs the same under a virtual X display (RHOMBULUS_TEST_VIDEODRIVER=x11),
// where the GPU path runs too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "menus/transitions.h"
#include "modes/level_start.h"
#include "platform/picture_fit.h"
#include "playfield/tables.h"
#include "sdl_game.h"
#include "shell/frame_loop.h"
#include "shell/input.h"
#include "x_window_pixels.h"

namespace {

// Pixels of a row whose colours differ (the byte above the colour is not looked at).
long WrongInRow(const std::uint32_t* got, const std::uint32_t* want, int n) {
    if (std::memcmp(got, want, static_cast<size_t>(n) * 4) == 0) return 0;
    long wrong = 0;
    for (int x = 0; x < n; ++x) wrong += ((got[x] ^ want[x]) & 0xFFFFFF) != 0;
    return wrong;
}

class PresentedPicture : public SdlGame<::testing::TestWithParam<const char*>> {
  protected:
    void SetUp() override {
        const char* driver = std::getenv("RHOMBULUS_TEST_VIDEODRIVER");
        ASSERT_TRUE(OpenWindow(driver != nullptr ? driver : "offscreen", GetParam()));
        gpu_ = platform_->Texture() != nullptr;
        if (std::string(GetParam()) == "gpu" && !gpu_)
            GTEST_SKIP() << "no renderer on this video driver";
        StartGame(3);
    }
    // Ticks, each one checked.
    void Tick(int n = 1) {
        for (int i = 0; i < n && !game_->session.WindowClosed; ++i) {
            Pump();
            FrameTick(*game_);
            ++ticks_;
            ASSERT_EQ(WrongPixels(), 0) << what_ << ", tick " << ticks_;
        }
    }
    void EscapeTap() {
        game_->keys.Event(kButtonEscape, kFromKeyboard, true);
        game_->keys.Event(kButtonEscape, kFromKeyboard, false);
    }
    void WindowEvent(Uint8 event) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = event;
        e.window.windowID = SDL_GetWindowID(platform_->Window());
        SDL_PushEvent(&e);
        Pump();
    }
    // Resizes the window and waits until the window system has done it (up to 30 s: a busy
    // machine's X server may take its time).
    void Resize(int w, int h) {
        SDL_SetWindowSize(platform_->Window(), w, h);
        for (int i = 0; i < 3000; ++i) {
            Pump();
            int now = 0, nowH = 0;
            SDL_GetWindowSize(platform_->Window(), &now, &nowH);
            if (now == w && nowH == h) break;
            SDL_Delay(10);
        }
        platform_->WindowSizeChanged();
    }
    // Pixels in which what the window holds differs from the whole picture as presented.
    long WrongPixels() const {
        const Surface& picture = game_->backBuffer;
        if (gpu_) return WrongTexturePixels(picture);
        SDL_Surface* ws = SDL_GetWindowSurface(platform_->Window());
        if (ws == nullptr) return -1;
        // The same picture scaled as one, into a window of its own.
        SDL_Surface* want = SDL_CreateRGBSurfaceWithFormat(0, ws->w, ws->h, 32, ws->format->format);
        SDL_FillRect(want, nullptr, 0);
        const PictureFit f = FitPicture(ws->w, ws->h, platform_->IsFullscreen());
        if (f.factor >= 1) {
            auto* base = static_cast<std::uint32_t*>(want->pixels);
            const int pitch = want->pitch / 4;
            CopyPictureScaled(picture, base + f.y * pitch + f.x, pitch, f.factor);
        } else {
            SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
                const_cast<std::uint32_t*>(picture.pixels.data()), 800, 600, 32, 800 * 4,
                ws->format->format);
            SDL_Rect dst{f.x, f.y, f.width, f.height};
            SDL_SoftStretchLinear(source, nullptr, want, &dst);
            SDL_FreeSurface(source);
        }
        long wrong = 0;
        for (int y = 0; y < ws->h; ++y) {
            const auto* got = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(ws->pixels) + y * ws->pitch);
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(want->pixels) + y * want->pitch);
            wrong += WrongInRow(got, row, ws->w);
        }
        // Under X the rectangles sent must have brought the server's copy of the window there too.
        if (wrong == 0) wrong = WrongServerPixels(want);
        SDL_FreeSurface(want);
        return wrong;
    }
    long WrongServerPixels(SDL_Surface* want) const {
        std::vector<std::uint32_t> shown;
        if (!ReadXWindowPixels(platform_->Window(), want->w, want->h, shown)) return 0;
        long wrong = 0;
        for (int y = 0; y < want->h; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(want->pixels) + y * want->pitch);
            wrong += WrongInRow(shown.data() + static_cast<size_t>(y) * want->w, row, want->w);
        }
        return wrong;
    }
    // On the GPU path the texture must hold the whole picture: drawn 1:1 into a picture of the
    // test's own and read back.
    long WrongTexturePixels(const Surface& picture) const {
        SDL_Renderer* r = platform_->Renderer();
        SDL_Texture* target =
            SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, 800, 600);
        if (target == nullptr) return -1;
        SDL_ScaleMode mode = SDL_ScaleModeNearest;
        SDL_GetTextureScaleMode(platform_->Texture(), &mode);
        SDL_SetTextureScaleMode(platform_->Texture(), SDL_ScaleModeNearest);
        SDL_SetRenderTarget(r, target);
        SDL_RenderCopy(r, platform_->Texture(), nullptr, nullptr);
        std::vector<std::uint32_t> got(800 * 600);
        const int read =
            SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_RGB888, got.data(), 800 * 4);
        SDL_SetRenderTarget(r, nullptr);
        SDL_DestroyTexture(target);
        SDL_SetTextureScaleMode(platform_->Texture(), mode);
        if (read != 0) return -1;
        long wrong = 0;
        for (int y = 0; y < 600; ++y)
            wrong += WrongInRow(&got[y * 800], picture.pixels.data() + y * 800, 800);
        return wrong;
    }

    bool gpu_ = false;
    int ticks_ = 0;
    const char* what_ = "";
};

TEST_P(PresentedPicture, EqualsTheWholePictureScaledAfterEveryTick) {
    // A sanitizer build under a virtual display checks fewer ticks of each scene.
    const int slow = std::getenv("RHOMBULUS_SLOW_BUILD") != nullptr ? 3 : 1;
    what_ = "splash";
    Tick(2);
    EscapeTap();
    Tick(30);
    ASSERT_EQ(game_->shell.ScreenId, kScreenMainMenu);
    // The pointer walks over the buttons (they light up and sound), then rests.
    what_ = "main menu";
    for (int i = 0; i < 60; i += slow) {
        DXDraw1MouseMove(*game_, 300 + i * 3, 200 + (i * 7) % 320);
        Tick();
    }
    Tick(20);
    what_ = "help page";
    ShowHelp(*game_);
    Tick(20);
    game_->buttons.PageNumber = 2;
    Tick(20);
    what_ = "busy Endless";
    StartLevel(*game_, game_->env, 1, kModeEndless, 1, true);
    for (int i = 0; i < 300 / slow; ++i) {
        if (i % 45 == 0) DXDraw1MouseMove(*game_, 60 + (i * 37) % 540, 300);
        if (i % 45 == 5) DXDraw1MouseDown(*game_);
        if (i % 45 == 6) DXDraw1MouseUp(*game_);
        if (i == 150 / slow) {
            // Explosions, debris, smoke and sparkles everywhere, some partly off the picture.
            for (int k = 0; k < 60; ++k) {
                const int x = -20 + 14 * k;
                const int y = 40 + (k * 53) % 560;
                AddEffect(*game_, x, y, kEffectFlash, 0);
                AddDebris(*game_, x + 7, y, 1 + k % 9);
                AddEffect(*game_, x, y + 9, kEffectSmoke, 0);
                AddEffect(*game_, x + 3, y - 9, kEffectSparkle, 1 + k % 7);
            }
        }
        Tick();
    }
    for (const auto& [w, h, name] :
         {std::tuple{1700, 1300, "at 2x"}, std::tuple{640, 400, "at a fraction"},
          std::tuple{800, 600, "at 1x again"}}) {
        what_ = name;
        Resize(w, h);
        Tick(40 / slow);
    }
    // The dimmed pause picture while the focus is away, and the game again after.
    what_ = "focus lost";
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    ASSERT_FALSE(session_.focused);
    EXPECT_EQ(WrongPixels(), 0) << "the dimmed pause picture";
    what_ = "focus back";
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Tick(20);
}

// A changed tile reaches, through the smooth filter of a fractional scale, no window pixel
// outside the rectangle sent for it.
TEST(FilteredRect, CoversEveryWindowPixelAChangedTileReaches) {
    Surface a;
    SetSurfaceSize(a, 800, 600);
    for (size_t i = 0; i < a.pixels.size(); ++i)
        a.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    auto stretch = [](const Surface& picture, SDL_Surface* window, const SDL_Rect& dst) {
        SDL_Surface* source =
            SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(picture.pixels.data()),
                                               800, 600, 32, 800 * 4, SDL_PIXELFORMAT_RGB888);
        SDL_Rect to = dst;
        ASSERT_EQ(SDL_SoftStretchLinear(source, nullptr, window, &to), 0) << SDL_GetError();
        SDL_FreeSurface(source);
    };
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{640, 400}, std::pair{1366, 768},
                               std::pair{1000, 1200}}) {
        const PictureFit f = FitPicture(w, h, true);
        const SDL_Rect dst{f.x, f.y, f.width, f.height};
        SDL_Surface* before = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
        SDL_Surface* after = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
        stretch(a, before, dst);
        // Tiles at the corners, the edges and inside.
        for (const Rect& tile : {Rect{0, 0, 16, 16}, Rect{784, 584, 800, 600},
                                 Rect{400, 0, 416, 16}, Rect{128, 304, 176, 336}}) {
            Surface b = a;
            for (int y = tile.top; y < tile.bottom; ++y)
                for (int x = tile.left; x < tile.right; ++x) b.At(x, y) ^= 0xFFFFFF;
            stretch(b, after, dst);
            const Rect sent =
                FilteredRect(tile, 800, 600, Rect{dst.x, dst.y, dst.x + dst.w, dst.y + dst.h});
            long outside = 0;
            for (int y = 0; y < h; ++y) {
                const auto* p = reinterpret_cast<const std::uint32_t*>(
                    static_cast<const std::uint8_t*>(before->pixels) + y * before->pitch);
                const auto* q = reinterpret_cast<const std::uint32_t*>(
                    static_cast<const std::uint8_t*>(after->pixels) + y * after->pitch);
                for (int x = 0; x < w; ++x) {
                    const bool in =
                        x >= sent.left && x < sent.right && y >= sent.top && y < sent.bottom;
                    outside += p[x] != q[x] && !in;
                }
            }
            EXPECT_EQ(outside, 0) << w << "x" << h << " tile " << tile.left << "," << tile.top;
            stretch(a, after, dst);
        }
        SDL_FreeSurface(before);
        SDL_FreeSurface(after);
    }
}

// The menu with the pointer still sends a small part of the picture; a still picture nothing.
// Ticks name their changes and keep no copy of the picture sent, so the first flip from outside
// the frame loop after them compares nothing and sends the whole picture; the next one, of the
// same picture, sends nothing.
TEST_P(PresentedPicture, SendsOnlyWhatChanged) {
    Tick(2);
    EscapeTap();
    Tick(60);
    long long area = 0;
    for (int i = 0; i < 100; ++i) {
        Tick();
        area += platform_->Changes().ChangedArea();
    }
    EXPECT_LT(area / 100, 800 * 600 / 10);
    // Under X the pointer's few pixels went out without waiting for the server each time.
    const char* driver = std::getenv("RHOMBULUS_TEST_VIDEODRIVER");
    if (!gpu_ && driver != nullptr && std::string(driver) == "x11") {
        EXPECT_GE(platform_->DirectSends(), 100);
    }
    platform_->FlipDisplay(game_->backBuffer);
    EXPECT_EQ(WrongPixels(), 0);
    platform_->FlipDisplay(game_->backBuffer);
    EXPECT_EQ(platform_->Changes().ChangedArea(), 0);
    EXPECT_EQ(WrongPixels(), 0);
}

// Under X the pump is left out while the server sends nothing, and made as soon as it has sent
// something: the pointer moved by the server arrives at the very next tick.
TEST_P(PresentedPicture, PumpsWhenTheServerSentSomethingAndOtherwiseEveryEighthTick) {
    const char* driver = std::getenv("RHOMBULUS_TEST_VIDEODRIVER");
    if (driver == nullptr || std::string(driver) != "x11") GTEST_SKIP() << "needs an X server";
    Tick(2);
    EscapeTap();
    Tick(30);
    auto pumpedMotion = [&] {
        platform_->PumpEvents();
        bool motion = false;
        SDL_Event e;
        while (SDL_PollEvent(&e)) motion = motion || e.type == SDL_MOUSEMOTION;
        return motion;
    };
    for (int i = 0; i < 16; ++i) pumpedMotion();
    const long leftOut = platform_->PumpsLeftOut();
    for (int i = 0; i < 16; ++i) pumpedMotion();
    EXPECT_EQ(platform_->PumpsLeftOut() - leftOut, 14) << "7 of every 8 on a still window";
    for (int x = 100; x < 400; x += 100) {
        // Right after a pump, when the next seven would be left out.
        for (int i = 0; i < 8; ++i) {
            const long before = platform_->PumpsLeftOut();
            pumpedMotion();
            if (platform_->PumpsLeftOut() == before) break;
        }
        // SDL waits for the server to have moved the pointer: its motion is then in hand.
        SDL_WarpMouseInWindow(platform_->Window(), x, 200);
        const long before = platform_->PumpsLeftOut();
        EXPECT_TRUE(pumpedMotion()) << "the pointer moved to " << x;
        EXPECT_EQ(platform_->PumpsLeftOut(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, PresentedPicture, ::testing::Values("surface", "gpu"));

}  // namespace
