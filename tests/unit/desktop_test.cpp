// The game as a desktop program: the picture fitted to any window, the user's folders, the
// command line, one running copy, the first start's language, focus loss and the menu keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>

#include "core/languages.h"
#include "core/paths.h"
#include "menus/record_file.h"
#include "menus/transitions.h"
#include "menus_fixture.h"
#include "platform/instance_lock.h"
#include "platform/picture_fit.h"
#include "shell/command_line.h"
#include "shell/input.h"
#include "shell/user_files.h"

namespace {

namespace fs = std::filesystem;

struct FitCase {
    const char* name;
    int w, h;
    bool fullscreen;
    PictureFit want;
};

class Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fit, PlacesThePicture) {
    const FitCase& c = GetParam();
    const PictureFit got = FitPicture(c.w, c.h, c.fullscreen);
    EXPECT_EQ(got.x, c.want.x);
    EXPECT_EQ(got.y, c.want.y);
    EXPECT_EQ(got.width, c.want.width);
    EXPECT_EQ(got.height, c.want.height);
    EXPECT_EQ(got.factor, c.want.factor);
}

INSTANTIATE_TEST_SUITE_P(
    Window, Fit,
    ::testing::Values(
        FitCase{"Exact", 800, 600, false, {0, 0, 800, 600, 1}},
        FitCase{"WideWindowWholeFactorCentred", 1700, 1000, false, {450, 200, 800, 600, 1}},
        FitCase{"DoubleSize", 1600, 1250, false, {0, 25, 1600, 1200, 2}},
        FitCase{"FullscreenHd", 1920, 1080, true, {240, 0, 1440, 1080, 0}},
        FitCase{"FullscreenWholeFactor", 1600, 1200, true, {0, 0, 1600, 1200, 2}},
        FitCase{"FullscreenTall", 1000, 1200, true, {0, 225, 1000, 750, 0}},
        FitCase{"SmallWindowShrinks", 640, 400, false, {53, 0, 533, 400, 0}}),
    [](const auto& info) { return info.param.name; });

TEST(Fit, WindowPointsMapToPicturePixelsClampedToThePicture) {
    const PictureFit hd = FitPicture(1920, 1080, true);
    struct {
        int wx, wy, px, py;
    } cases[] = {{240, 0, 0, 0},     {960, 540, 400, 300}, {1679, 1079, 799, 599},
                 {100, 500, 0, 277}, {1900, -5, 799, 0},   {239, 1, 0, 0}};
    for (const auto& c : cases) {
        int px = -1, py = -1;
        WindowToPicture(hd, c.wx, c.wy, px, py);
        EXPECT_EQ(px, c.px) << c.wx << "," << c.wy;
        EXPECT_EQ(py, c.py) << c.wx << "," << c.wy;
    }
    const PictureFit twice = FitPicture(1600, 1200, false);
    int px = 0, py = 0;
    WindowToPicture(twice, 1599, 3, px, py);
    EXPECT_EQ(px, 799);
    EXPECT_EQ(py, 1);
}

// Each picture pixel becomes a factor x factor square of the window, whatever the row pitch.
TEST(Fit, WholeFactorCopyRepeatsEveryPixelAsASquare) {
    Surface picture;
    SetSurfaceSize(picture, 7, 5);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    for (int factor : {1, 2, 3}) {
        const int pitch = 7 * factor + 5;
        std::vector<std::uint32_t> window(static_cast<size_t>(pitch) * 5 * factor, 0xABCDEF);
        CopyPictureScaled(picture, window.data(), pitch, factor);
        for (int y = 0; y < 5 * factor; ++y) {
            for (int x = 0; x < pitch; ++x) {
                const std::uint32_t want =
                    x < 7 * factor ? picture.At(x / factor, y / factor) : 0xABCDEF;
                ASSERT_EQ(window[static_cast<size_t>(y) * pitch + x], want)
                    << "factor " << factor << " at " << x << "," << y;
            }
        }
    }
}

TEST(UserFolders, FollowXdgWithHomeFallbacks) {
    EXPECT_EQ(UserSavesDir("/x/data", "/home/a"), "/x/data/rhombulus2/saves");
    EXPECT_EQ(UserSavesDir(nullptr, "/home/a"), "/home/a/.local/share/rhombulus2/saves");
    EXPECT_EQ(UserSavesDir("", "/home/a"), "/home/a/.local/share/rhombulus2/saves");
    EXPECT_EQ(UserSavesDir("relative", "/home/a"), "/home/a/.local/share/rhombulus2/saves");
    EXPECT_EQ(UserConfigDir("/x/cfg", "/home/a"), "/x/cfg/rhombulus2");
    EXPECT_EQ(UserLevelsDir("/x/data", "/home/a"), "/x/data/rhombulus2/levels");
    EXPECT_EQ(UserLevelsDir(nullptr, "/home/a"), "/home/a/.local/share/rhombulus2/levels");
    EXPECT_EQ(UserConfigDir(nullptr, "/home/a"), "/home/a/.config/rhombulus2");
}

struct LocaleCase {
    const char *language, *all, *messages, *lang;
    int want;
};

class Locale : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(Locale, ChoosesTheFirstStartLanguage) {
    const LocaleCase& c = GetParam();
    EXPECT_EQ(LanguageFromLocale(c.language, c.all, c.messages, c.lang), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    FirstStart, Locale,
    ::testing::Values(LocaleCase{nullptr, nullptr, nullptr, "de_DE.UTF-8", 1},
                      LocaleCase{nullptr, nullptr, nullptr, "en_GB.UTF-8", 2},
                      LocaleCase{nullptr, "de_AT", nullptr, "en_US", 1},
                      LocaleCase{nullptr, "C", "de_DE", "de_DE", 2},
                      LocaleCase{nullptr, "", "de_CH", "en_US", 1},
                      LocaleCase{nullptr, nullptr, nullptr, nullptr, 2},
                      LocaleCase{nullptr, nullptr, nullptr, "d", 2},
                      LocaleCase{nullptr, nullptr, "fr_CA.UTF-8", "de_DE", 3},
                      LocaleCase{nullptr, nullptr, nullptr, "es", 4},
                      LocaleCase{nullptr, "it_IT@euro", nullptr, nullptr, 5},
                      LocaleCase{nullptr, nullptr, nullptr, "ja_JP.UTF-8", 31},
                      // Serbian written in Latin letters still reads the Cyrillic catalogue.
                      LocaleCase{nullptr, nullptr, nullptr, "sr_RS@latin", 29},
                      // Right-to-left scripts are not among the game's languages.
                      LocaleCase{nullptr, nullptr, nullptr, "he_IL.UTF-8", 2},
                      LocaleCase{nullptr, nullptr, nullptr, "fra_FR", 2},
                      // LANGUAGE is a list of choices, the first the game has wins ...
                      LocaleCase{"he:fr:de", nullptr, nullptr, "de_DE.UTF-8", 3},
                      LocaleCase{"", nullptr, nullptr, "nl_NL", 6},
                      LocaleCase{"he", nullptr, nullptr, "es_ES", 4},
                      // ... unless the locale is C or POSIX, as in gettext: English.
                      LocaleCase{"de", "C.UTF-8", nullptr, "de_DE", 2},
                      LocaleCase{"de", nullptr, nullptr, "POSIX", 2},
                      LocaleCase{"de", nullptr, nullptr, nullptr, 2}));

// The language whose catalogue is the first of `codes` the game has, else `otherwise`: the tests
// below hold while the game has one Portuguese (Brazilian, "pt") and no Chinese, and once it
// has more.
int LanguageWithCode(std::initializer_list<const char*> codes, int otherwise) {
    for (const std::string code : codes)
        for (int language = 1; language <= kLanguages; ++language)
            if (code == kLanguageFacts[language].code) return language;
    return otherwise;
}

TEST(Locale, TerritoryPicksPortugueseAndChinese) {
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr, "pt_BR.UTF-8"),
              kLanguageBrazilianPortuguese);
    const int portugal = LanguageWithCode({"pt"}, kLanguageBrazilianPortuguese);
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr, "pt_PT.UTF-8"), portugal);
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr, "pt"), portugal);
    EXPECT_EQ(LanguageFromLocale("pt_BR:pt", nullptr, nullptr, "en_US"),
              kLanguageBrazilianPortuguese);
    const int simplified = LanguageWithCode({"zh_CN", "zh"}, kLanguageEnglish);
    for (const char* locale : {"zh_CN.UTF-8", "zh_SG", "zh"})
        EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr, locale), simplified) << locale;
    // Taiwan and Hong Kong read the traditional script, which the game does not have.
    for (const char* locale : {"zh_TW.UTF-8", "zh_HK.Big5"})
        EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr, locale), kLanguageEnglish)
            << locale;
    EXPECT_EQ(LanguageFromLocale("zh_TW:de", nullptr, nullptr, "zh_TW"), kLanguageGerman);
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr, "nn_NO.UTF-8"),
              LanguageWithCode({"nb", "no"}, kLanguageEnglish));
}

struct ArgsCase {
    std::vector<const char*> args;
    CommandLine::Action action;
    int fullscreen;
    const char* replay = "";
};

class Args : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(Args, AreParsed) {
    std::vector<const char*> argv = {"rhombulus2"};
    argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
    const CommandLine cl = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(cl.action, GetParam().action);
    if (cl.action == CommandLine::Action::kRun) {
        EXPECT_EQ(cl.fullscreen, GetParam().fullscreen);
        EXPECT_EQ(cl.replayPath, GetParam().replay);
    }
    if (cl.action == CommandLine::Action::kUsageError) {
        EXPECT_FALSE(cl.error.empty());
    }
}

using A = CommandLine::Action;
INSTANTIATE_TEST_SUITE_P(
    CommandLine, Args,
    ::testing::Values(ArgsCase{{}, A::kRun, -1}, ArgsCase{{"--fullscreen"}, A::kRun, 1},
                      ArgsCase{{"--fullscreen", "--windowed"}, A::kRun, 0},
                      ArgsCase{{"--help"}, A::kHelp, -1}, ArgsCase{{"-h"}, A::kHelp, -1},
                      ArgsCase{{"--windowed", "--version"}, A::kVersion, -1},
                      ArgsCase{{"--fulscreen"}, A::kUsageError, -1},
                      ArgsCase{{"game.dat"}, A::kUsageError, -1},
                      ArgsCase{{"--replay"}, A::kUsageError, -1},
                      ArgsCase{{"--replay", "a.txt"}, A::kRun, -1, "a.txt"},
                      // As the desktop hands over a replay file.
                      ArgsCase{{"/d/x.r2replay"}, A::kRun, -1, "/d/x.r2replay"},
                      ArgsCase{{"a.r2replay", "b.r2replay"}, A::kUsageError, -1}));

// A fresh temporary folder per test, with text files written and read whole.
struct TempDir : TempRes {
    const fs::path dir{Dir()};
    void Write(const fs::path& path, const std::string& text) const {
        fs::create_directories(path.parent_path());
        WriteBytes(path.string(), {text.begin(), text.end()});
    }
    std::string Read(const fs::path& path) const {
        const std::vector<std::uint8_t> bytes = ReadBytes(path.string());
        return {bytes.begin(), bytes.end()};
    }
};

TEST(UserFolders, OldSavesAreCopiedOnceIntoAnEmptyDataFolder) {
    TempDir t;
    const fs::path old = t.dir / "res/saves";
    const fs::path saves = t.dir / "data/rhombulus2/saves";
    t.Write(old / "groar.dat", "old scores");
    t.Write(old / "settings.dat", "old settings");
    EXPECT_EQ(PrepareSavesDir(saves.string(), old.string()), 2);
    EXPECT_EQ(t.Read(saves / "groar.dat"), "old scores");
    // Once the data folder has files of its own, the old ones are left alone.
    t.Write(saves / "groar.dat", "new scores");
    t.Write(old / "names.dat", "old names");
    EXPECT_EQ(PrepareSavesDir(saves.string(), old.string()), 0);
    EXPECT_EQ(t.Read(saves / "groar.dat"), "new scores");
    EXPECT_FALSE(fs::exists(saves / "names.dat"));
    // A missing old folder only creates the new one.
    EXPECT_EQ(PrepareSavesDir((t.dir / "other").string(), (t.dir / "none").string()), 0);
    EXPECT_TRUE(fs::is_directory(t.dir / "other"));
}

TEST(UserFolders, FullscreenChoiceIsRemembered) {
    TempDir t;
    const std::string config = (t.dir / "config/rhombulus2").string();
    EXPECT_FALSE(ReadFullscreenOption(config));
    ASSERT_TRUE(WriteFullscreenOption(config, true));
    EXPECT_TRUE(ReadFullscreenOption(config));
    ASSERT_TRUE(WriteFullscreenOption(config, false));
    EXPECT_FALSE(ReadFullscreenOption(config));
}

// The relay's line is the player's own: switching fullscreen must not lose it.
TEST(UserFolders, RelayLineSurvivesTheFullscreenChoice) {
    TempDir t;
    t.Write(t.dir / "rhombulus2/options", "relay=relay.example.org:27433\nfullscreen=1\n");
    const std::string config = (t.dir / "rhombulus2").string();
    EXPECT_TRUE(ReadFullscreenOption(config));
    ASSERT_TRUE(WriteFullscreenOption(config, false));
    ASSERT_TRUE(WriteFullscreenOption(config, true));
    EXPECT_TRUE(ReadFullscreenOption(config));
    EXPECT_EQ(ReadRelayOption(config), "relay.example.org:27433");
    EXPECT_EQ(t.Read(t.dir / "rhombulus2/options"),
              "relay=relay.example.org:27433\nfullscreen=1\n");
}

class RelayLine : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(RelayLine, UsableAddressOrNone) {
    TempDir t;
    t.Write(t.dir / "rhombulus2/options", GetParam().first);
    EXPECT_EQ(ReadRelayOption((t.dir / "rhombulus2").string()), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RelayLine,
    ::testing::Values(std::pair{"relay=10.0.0.5:27433\r\n", "10.0.0.5:27433"},
                      std::pair{"relay=[::1]:9\n", "[::1]:9"}, std::pair{"relay=host\n", ""},
                      std::pair{"relay=host:0\n", ""}, std::pair{"relay=host:65536\n", ""},
                      std::pair{"relay=:27433\n", ""}, std::pair{"relay=a b:27433\n", ""},
                      std::pair{"fullscreen=1\n", ""}));

TEST(UserFolders, ResFolderBesideTheProgramOrInstalled) {
    TempDir t;
    t.Write(t.dir / "prefix/share/rhombulus2/res/menuehg2.bmp", "x");
    fs::create_directories(t.dir / "prefix/bin");
    const std::string bin = (t.dir / "prefix/bin").string();
    EXPECT_EQ(FindResDir(bin), bin + "/../share/rhombulus2/res");
    t.Write(t.dir / "prefix/bin/res/menuehg2.bmp", "x");
    EXPECT_EQ(FindResDir(bin), bin + "/res");
}

TEST(SingleCopy, ASecondLockOnTheSameFileIsRefusedUntilTheFirstEnds) {
    TempDir t;
    const std::string path = (t.dir / ".lock").string();
    auto first = std::make_unique<InstanceLock>();
    ASSERT_TRUE(first->Acquire(path));
    InstanceLock second;
    EXPECT_FALSE(second.Acquire(path));
    first.reset();
    EXPECT_TRUE(second.Acquire(path));
}

TEST(Saves, LiveInTheGamesSavesFolderAndKeepTheirFormat) {
    MenuGame m;
    TempDir t;
    m.g().savesDir = (t.dir / "saves").string();
    EXPECT_EQ(ResolveGamePath(m.g(), "res\\saves\\groar.dat"), m.g().savesDir + "/groar.dat");
    EXPECT_EQ(ResolveGamePath(m.g(), "res\\font1.txt"), m.g().env.resDir + "/font1.txt");
    m.g().shell.MusicVolumeSetting = 60;
    WindowCloseRequested(m.g());
    const std::string bytes = t.Read(t.dir / "saves/settings.dat");
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(bytes[4], 60);
}

TEST(FirstStart, LanguageComesFromTheDesktopOnlyWithoutASettingsFile) {
    for (int language : {1, 2}) {
        TempRes res;
        TestGame t(res.Dir());
        t.game.shell.FirstStartLanguage = language;
        t.TickTo(3);
        EXPECT_EQ(t.game.shell.Language, language);
    }
    TempRes res;
    res.WriteSettingsFile(100, 80, 1);
    TestGame t(res.Dir());
    t.game.shell.FirstStartLanguage = 2;
    t.TickTo(3);
    EXPECT_EQ(t.game.shell.Language, 1);
}

TEST(Focus, LossPausesTheMusicAndDimsTheFrozenPictureUntilItComesBack) {
    MenuGame m;
    m.Tick(230);
    ASSERT_EQ(m.g().shell.ScreenId, kScreenMainMenu);
    ASSERT_TRUE(m.platform().musicPlaying);
    const Surface before = m.g().backBuffer;
    const int frames = m.g().shell.FrameCounter;
    FocusChanged(m.g(), false);
    EXPECT_FALSE(m.platform().musicPlaying);
    const Surface& shown = m.platform().LastFrame();
    // Every pixel is dimmed except where the word is written.
    int dimmed = 0;
    for (size_t i = 0; i < before.pixels.size(); ++i)
        dimmed += shown.pixels[i] == ((before.pixels[i] >> 1) & 0x7F7F7F);
    EXPECT_GT(dimmed, static_cast<int>(before.pixels.size()) * 9 / 10);
    EXPECT_LT(dimmed, static_cast<int>(before.pixels.size()));
    ASSERT_FALSE(m.g().text.calls.empty());
    EXPECT_EQ(m.g().text.calls.back().text, "Pause");
    EXPECT_EQ(m.g().shell.FrameCounter, frames);
    FocusChanged(m.g(), true);
    EXPECT_TRUE(m.platform().musicPlaying);
    m.Tick();
    EXPECT_EQ(m.g().shell.FrameCounter, frames + 1);
}

struct WalkCase {
    const char* name;
    int pointerSlot;  // button under the pointer before the key, 0 none
    MenuKey key;
    int want;
};

class MenuWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(MenuWalk, MovesThePointerToTheNextButton) {
    MenuGame m;
    m.Tick(230);
    ShowGameChoice(m.g());              // nine buttons
    m.g().buttons.ButtonActive[3] = 0;  // a slot out of use is skipped
    const ButtonTable& b = m.g().buttons;
    const WalkCase& c = GetParam();
    if (c.pointerSlot != 0)
        DXDraw1MouseMove(m.g(), b.ButtonX[c.pointerSlot] + 50, b.ButtonY[c.pointerSlot]);
    else
        DXDraw1MouseMove(m.g(), 10, 10);
    m.g().input.MouseMoved = 0;
    EXPECT_TRUE(MenuKeyDown(m.g(), c.key));
    EXPECT_EQ(m.g().input.MouseX, b.ButtonX[c.want]);
    EXPECT_EQ(m.g().input.MouseY, b.ButtonY[c.want] + b.ButtonHeight[c.want] / 2);
    EXPECT_EQ(m.g().input.MouseMoved, 1) << "a move, for the hover sound";
    EXPECT_TRUE(PointerOverButton(m.g(), c.want));
}

INSTANTIATE_TEST_SUITE_P(Keys, MenuWalk,
                         ::testing::Values(WalkCase{"NextFromNone", 0, MenuKey::kNext, 1},
                                           WalkCase{"PreviousFromNone", 0, MenuKey::kPrevious, 9},
                                           WalkCase{"NextSkipsUnused", 2, MenuKey::kNext, 4},
                                           WalkCase{"PreviousSkipsUnused", 4, MenuKey::kPrevious,
                                                    2},
                                           WalkCase{"NextWraps", 9, MenuKey::kNext, 1},
                                           WalkCase{"PreviousWraps", 1, MenuKey::kPrevious, 9}),
                         [](const auto& info) { return info.param.name; });

TEST(MenuKeys, PressClicksOnMenusButNotWhereReturnMeansSomethingElse) {
    struct {
        int screen;
        bool walks, clicks;
    } cases[] = {{kScreenMainMenu, true, true}, {kScreenOptions, true, true},
                 {kScreenHelp, true, true},     {kScreenLoad, true, true},
                 {kScreenSave, true, false},    {kScreenNewChampion, true, false},
                 {kScreenGame, false, false},   {kScreenSplash, false, false}};
    for (const auto& c : cases) {
        MenuGame m;
        m.Tick(5);
        SetButton(m.g(), 1, 400, 300, 100, 25);
        m.g().shell.ScreenId = c.screen;
        EXPECT_EQ(MenuKeyDown(m.g(), MenuKey::kNext), c.walks) << c.screen;
        EXPECT_EQ(MenuKeyDown(m.g(), MenuKey::kPress), c.clicks) << c.screen;
        EXPECT_EQ(m.g().input.MouseButtonDown, c.clicks ? 1 : 0) << c.screen;
        MenuKeyUp(m.g(), MenuKey::kPress);
        // No tick has seen the key's click yet: its release waits for the end of one.
        EXPECT_EQ(m.g().input.MouseReleasePending, c.clicks ? 1 : 0) << c.screen;
        ApplyPendingRelease(m.g());
        EXPECT_EQ(m.g().input.MouseButtonDown, 0) << c.screen;
    }
}

TEST(MenuKeys, SecondPadPointerStaysOverTheRightField) {
    MenuGame m;
    DXDraw1MouseMove(m.g(), 600, 300);
    PadPointerStep(m.g(), 32767, 0);
    EXPECT_EQ(m.g().input.MouseX, 609);
    PadPointerStep(m.g(), 4000, -4000);  // inside the dead zone
    EXPECT_EQ(m.g().input.MouseX, 609);
    EXPECT_EQ(m.g().input.MouseY, 300);
    for (int i = 0; i < 100; ++i) PadPointerStep(m.g(), -32768, 32767);
    EXPECT_EQ(m.g().input.MouseX, 451);
    EXPECT_EQ(m.g().input.MouseY, 599);
}

TEST(MenuKeys, SecondPadFiresOverTheRightField) {
    MenuGame m;
    DXDraw1MouseMove(m.g(), 400, 300);  // the mouse left the pointer between the fields
    PadFire(m.g(), true);
    EXPECT_EQ(m.g().input.MouseX, 451);
    EXPECT_EQ(m.g().input.MouseButtonDown2, 1);
    m.Tick(1);
    PadFire(m.g(), false);
    EXPECT_EQ(m.g().input.MouseButtonDown2, 0);
    DXDraw1MouseMove(m.g(), 700, 300);
    PadFire(m.g(), true);
    EXPECT_EQ(m.g().input.MouseX, 700);
}

}  // namespace
