#include "shell/frame_loop.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "core/game.h"
#include "core/paths.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/highscores.h"
#include "menus/pack_screen.h"
#include "menus/record_file.h"
#include "menus/saved_games.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "modes/level_start.h"
#include "modes/match.h"
#include "platform/platform.h"
#include "presentation/bitmaps.h"
#include "presentation/music.h"
#include "presentation/render.h"
#include "presentation/sound.h"
#include "presentation/text.h"
#include "shell/disk_levels.h"
#include "shell/input.h"
#include "shell/level_proof.h"
#include "shell/pack_games.h"
#include "shell/recorder.h"
#include "shell/screens.h"
#include "shell/snapshot.h"
#include "shell/splash.h"

void InitGame(Game& game, Platform& platform, const std::string& resDir, std::uint64_t clockSeed) {
    game.platform = &platform;
    game.env.levels = &DiskLevels();
    game.env.resDir = resDir;
    game.clockSeed = clockSeed;
    game.savesDir = resDir + "/saves";
    game.env.levelsDir = resDir + "/levels";
    game.backBuffer = CreateSurface();
    SetSurfaceSize(game.backBuffer, kScreenWidth, kScreenHeight);
    game.shell.FrameCounter = 0;  // FormCreate
    if (const char* full = std::getenv("RHOMBULUS2_FULL_REDRAW"))
        game.draw.fullRedraw = full[0] != '\0' && full[0] != '0';
    game.session.TimerEnabled = true;
}

namespace {

// Steps the music volume by exactly 1 towards its target and loops the tune at its end.
void MusicStep(Game& game) {
    if (MusicGetVolume(game) < game.shell.MusicVolumeTarget)
        MusicSetVolume(game, MusicGetVolume(game) + 1);
    if (MusicGetVolume(game) > game.shell.MusicVolumeTarget)
        MusicSetVolume(game, MusicGetVolume(game) - 1);
    if (MusicGetPosition(game) >= MusicGetLength(game)) MusicSetPosition(game, 0);
}

}  // namespace

void QuitTeardown(Game& game) {
    game.session.TimerEnabled = false;
    if (game.music.created) {
        MusicStop(game);
        MusicDestroy(game);
    }
    FreeBitmaps(game.bitmaps);
    game.platform->CloseWindow();
    game.session.WindowClosed = true;
}

namespace {

void CarryOutLevelStart(Game& game) {
    const LevelStartRequest r = game.requests.levelStart;
    game.requests.levelStart = LevelStartRequest{};
    if (r.kind == LevelStartKind::kNone) return;
    if (r.kind != LevelStartKind::kResume && !BeginPackGame(game, r)) return;
    game.editor.Testing = r.kind == LevelStartKind::kTest ? 1 : 0;
    game.session.GameStarted = true;
    if (r.match != 0)
        StartMatchLevel(game, game.env, r);
    else
        StartLevel(game, game.env, r);
}

void CarryOutScreenChange(Game& game) {
    Requests& r = game.requests;
    if (!r.message.empty()) {
        game.platform->ShowMessage(r.message);
        r.message.clear();
    }
    const ScreenChange change = r.screen;
    r.screen = ScreenChange::kNone;
    if (change == ScreenChange::kMainMenu) ShowMainMenu(game, r.menuTuneAfresh != 0);
    if (change == ScreenChange::kHighscoreCheck) {
        game.session.GameOverScore = r.finalScore;
        CheckHighscore(game, r.finalScore);
    }
    if (change == ScreenChange::kEditor) ShowEditor(game);
    // A game left, over without an entry, or tested: it ends here. One with a new highscore
    // ends when its name is written (WriteAndEndNaming).
    if (change == ScreenChange::kMainMenu || change == ScreenChange::kEditor ||
        (change == ScreenChange::kHighscoreCheck && game.shell.ScreenId != kScreenNewChampion))
        game.session.GameEnded = true;
    if (change == ScreenChange::kPackList) {
        ReadPackList(game);
        ShowPackList(game);
    }
    r.menuTuneAfresh = 0;
    r.finalScore = 0;
}

// What the screens asked of the player's own and files, in the order a screen could ask it: the
// slot list read for a screen to list, a saved game, a champion's name, then the settings.
void CarryOutOwnAsks(Game& game) {
    const OwnAsks ask = std::exchange(game.ownAsks, OwnAsks{});
    if (ask.readSlotNames) ReadSlotNames(game);
    if (ask.saveSlot != 0) SaveIntoSlot(game, ask.saveSlot, ask.slotName);
    if (ask.writeTable) EnterChampionName(game, ask.table, ask.rank, ask.name);
    if (ask.writeOpponent) WriteOpponentChoice(game, kOpponentFile);
    if (ask.writeSettings) WriteSettings(game, kSettingsFile);
    for (const auto& [slot, text] : ask.editorSteps) game.own.EditorHistory[slot] = text;
}

}  // namespace

void CarryOutRequests(Game& game) {
    CarryOutScreenChange(game);
    CarryOutLevelStart(game);
    // A level start that could not be made asks for the main menu and tells why.
    CarryOutScreenChange(game);
    // A tune the level start asked for (its own, afresh).
    if (!game.requests.tune.empty()) {
        StartTune(game, game.requests.tune);
        game.requests.tune.clear();
    }
    CarryOutOwnAsks(game);
}

void SimulateTick(Game& game) {
    TakeCommand(game);
    ShellState& sh = game.shell;
    if (game.input.MouseButtonDown == 1 || game.input.MouseButtonDown2 == 1)
        ++game.input.ButtonHeldFrames;
    BeginTextFrame(game);
    ++sh.FrameCounter;
    PollKeyboard(game);
    if (sh.FrameCounter == 2) {
        game.session.TimerEnabled = false;
        game.platform->FocusDisplay();
        sh.SurfaceWidth = game.backBuffer.width;
        sh.SurfaceHeight = game.backBuffer.height;
        StartUp(game);
        // A start-up that could not finish has already asked to quit.
        if (sh.QuitRequested != 1) game.session.TimerEnabled = true;
    }
    if (sh.FrameCounter > 2) {
        // Menus always have music and sound; only the game screens can silence them.
        if (sh.ScreenId != kScreenGame && sh.ScreenId != kScreenMatch) {
            sh.MusicVolumeTarget = sh.MusicVolumeSetting;
            sh.SoundOn = 1;
        }
        RunScreenHandler(game);
        CarryOutRequests(game);
        WatchLevelsFolder(game);
        StepLevelProof(game, SimulateTick);
        MusicStep(game);
    }
    // A press released before this tick has now been seen; its release follows.
    ApplyPendingRelease(game);
}

namespace {

// The frame drawn whole on game.wholePicture, the glyph queue left for the frame itself.
void DrawWholeForCheck(Game& game) {
    QueueTextCalls(game);
    FontState& f = game.font;
    const auto glyphs = f.QueueGlyphNo;
    const int count = f.TextQueueCount;
    if (game.wholePicture.width != game.backBuffer.width ||
        game.wholePicture.height != game.backBuffer.height)
        SetSurfaceSize(game.wholePicture, game.backBuffer.width, game.backBuffer.height);
    std::swap(game.backBuffer, game.wholePicture);
    DrawFrameWhole(game);
    std::swap(game.backBuffer, game.wholePicture);
    f.QueueGlyphNo = glyphs;
    f.TextQueueCount = count;
}

}  // namespace

void FrameTick(Game& game, bool draw) {
    // The black fill that starts every frame is left to RenderFrame, which skips what the
    // scene's own background covers anyway (nothing draws in between).
    game.platform->HideSystemPointer();
    SimulateTick(game);
    if (draw) {
        if (game.checkRedraw) DrawWholeForCheck(game);
        RenderFrame(game);
        if (game.checkRedraw && game.wholePicture.pixels != game.backBuffer.pixels) {
            if (game.redrawDiffers++ == 0) game.firstRedrawDiffers = game.shell.FrameCounter;
        }
        if (game.drawOver && game.drawOver(game)) {
            // The picture now differs from the scene's list also where it was drawn over.
            Game::SceneShown& s = game.scene;
            std::vector<Rect> changed = s.changed;
            const std::vector<Rect>& over = s.sent.Update(game.backBuffer, false);
            changed.insert(changed.end(), over.begin(), over.end());
            s.changed = std::move(changed);
            s.valid = false;
        }
    } else {
        DropTextQueue(game);
        game.scene.changed.clear();
        game.scene.drawnArea = 0;
    }
    PlaySounds(game);
    game.platform->FlipChanged(game.backBuffer, game.scene.changed);
    if (game.shell.QuitRequested == 1) {
        // "Exit" in the main menu keeps the game waiting under it, as closing the window does.
        if (game.shell.ScreenId == kScreenMainMenu && game.shell.GameInProgress == 2)
            KeepGameForNextStart(game);
        QuitTeardown(game);
    }
}

void FocusChanged(Game& game, bool focused) {
    game.platform->SuspendAudio(!focused);
    if (focused || !game.bitmaps.loaded || game.session.WindowClosed) return;
    // The frozen picture, dimmed, with the word that says why nothing moves.
    ForgetShownScene(game);
    for (std::uint32_t& p : game.backBuffer.pixels) p = (p >> 1) & 0x7F7F7F;
    BeginTextFrame(game);
    DrawText(game, 400, 290, kAlignCentre, Tr(game, "Pause"), 1);
    DrawTextQueue(game);
    game.platform->FlipDisplay(game.backBuffer);
}

void ShowNotice(Game& game, const std::string& text) {
    if (!game.bitmaps.loaded || game.session.WindowClosed) return;
    // This tick's texts belong to the simulation, which must stay as both machines have it.
    const TextCalls texts = game.text;
    ForgetShownScene(game);
    for (std::uint32_t& p : game.backBuffer.pixels) p = (p >> 1) & 0x7F7F7F;
    BeginTextFrame(game);
    DrawText(game, 400, 290, kAlignCentre, text, 1);
    DrawTextQueue(game);
    game.platform->FlipDisplay(game.backBuffer);
    game.text = texts;
}

void CannotStart(Game& game, const std::string& missingFile) {
    game.platform->ShowMessage("Rhombulus2 cannot start: \"" + missingFile +
                               "\" is missing or damaged. Build the game again (cmake --build) "
                               "or reinstall it to get the file back.");
    game.session.ExitStatus = 1;
    game.shell.QuitRequested = 1;
}

void StartUp(Game& game) {
    ShellState& sh = game.shell;
    sh.MusicOn = 1;
    sh.Language = 1;
    sh.MusicVolumeTarget = 100;
    sh.MusicVolumeSetting = 100;
    sh.SoundVolume = 80;
    // Without a settings file the desktop's language is the first choice.
    if (!ReadSettings(game, kSettingsFile)) sh.Language = sh.FirstStartLanguage;
    ReadOpponentChoice(game, kOpponentFile);
    // A replay starts from other files: it is told the remembered opponent before it can matter.
    if (game.recorder != nullptr)
        game.recorder->Line(sh.FrameCounter + 1,
                            "opponent " + std::to_string(game.computer.OpponentChoice));
    LoadHighscoresAtStartUp(game);
    sh.GameInProgress = 1;
    game.play.PauseState = -1;
    game.input.PauseKeyFrames = 0;
    sh.AlphaDrawing = 1;
    sh.SoundOn = 1;
    if (!MusicCreate(game)) {
        game.platform->ShowMessage("Versionsfehler");
        game.session.ExitStatus = 1;
        sh.QuitRequested = 1;
        return;
    }
    game.input.ButtonHeldFrames = 0;
    ClearTextQueue(game);
    game.input.MouseButtonDown = 0;
    sh.QuitRequested = 0;
    std::string missing;
    ForgetShownScene(game);
    if (!LoadBitmaps(game.bitmaps, game.env.resDir, &missing) || !LoadGameFont(game, &missing)) {
        CannotStart(game, missing);
        return;
    }
    // Nothing is written before the game's own files are known to be there.
    RemoveStaleTemporaries(ResolveGamePath(game, kSavesFolder));
    CreateMissingHighscoreFile(game);
    game.rng.Seed(game.clockSeed);
    game.computer.MindSeed = game.clockSeed;
    ResumeFromSnapshot(game);
    ShowSplash(game);
}

void KeepGameForNextStart(Game& game) {
    // A single-player game on screen, or a game paused under the main menu, is kept in ave.dat;
    // a match on screen is not. Either way the snapshot keeps the whole game as it stands, so
    // that the next start goes on exactly here.
    const int screen = game.shell.ScreenId;
    const bool waiting = screen == kScreenMainMenu && game.shell.GameInProgress == 2;
    // A test of the editor's level is no game of the player's: it never replaces theirs.
    const bool playing = screen == kScreenGame && game.editor.Testing == 0;
    if (playing || waiting) WriteSavedGame(game, kClosedGameFile);
    if (playing || screen == kScreenMatch || waiting) WriteSnapshot(game);
}

void SaveAndQuit(Game& game) {
    MusicSetVolume(game, 0);
    MusicStop(game);
    WriteSettings(game, kSettingsFile);
    KeepGameForNextStart(game);
    // Only a slot list read in this run is written back; one never read would come back blank.
    if (game.own.SlotNamesRead) WriteSlotNames(game, false);
    game.shell.QuitRequested = 1;
    QuitTeardown(game);
}

void DXDraw1Resize(Game& game) {
    TakeCommand(game);
    if (game.recorder != nullptr) game.recorder->Line(game.shell.FrameCounter + 1, "resize");
    if (game.shell.FrameCounter <= 10) return;
    SaveAndQuit(game);
}

void WindowCloseRequested(Game& game) {
    TakeCommand(game);
    if (game.recorder != nullptr) game.recorder->Line(game.shell.FrameCounter + 1, "close");
    // Closing before start-up has read the settings must not overwrite them with defaults.
    if (game.shell.ScreenId == kScreenNone) {
        game.shell.QuitRequested = 1;
        QuitTeardown(game);
        return;
    }
    SaveAndQuit(game);
}

void SetOwnGameAside(Game& game) {
    if (game.ownGameAside == nullptr)
        game.ownGameAside = std::make_shared<const Simulation>(game.sim());
}

void TakeOwnGameBack(Game& game) {
    if (game.ownGameAside == nullptr) return;
    game.sim() = *game.ownGameAside;
    game.ownGameAside.reset();
}
