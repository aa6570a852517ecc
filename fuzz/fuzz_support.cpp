#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "presentation/bitmaps.h"
#include "presentation/text.h"
#include "shell/frame_loop.h"

namespace fs = std::filesystem;

const std::string& ScratchRes() {
    // Never freed: the clean-up at exit still needs it.
    static const std::string* dir = [] {
        char name[] = "/tmp/rhombulus-fuzz-XXXXXX";
        if (::mkdtemp(name) == nullptr) std::abort();
        fs::create_directories(fs::path(name) / "saves");
        fs::create_directories(fs::path(name) / "Levelz");
        if (const char* res = std::getenv("RHOMBULUS_FUZZ_RES")) {
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(res, ec)) {
                const std::string file = entry.path().filename().string();
                if (entry.path().extension() == ".bmp" || file == "font1.txt" || file == "waves")
                    fs::create_symlink(entry.path(), fs::path(name) / file, ec);
            }
        }
        const std::string* made = new std::string(name);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(ScratchRes(), ec);
        });
        return made;
    }();
    return *dir;
}

void WriteScratchFile(const std::string& relative, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(ScratchRes() + "/" + relative, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

namespace {

Game& SharedGame() {
    static Game* game = [] {
        Game* g = new Game();
        HeadlessPlatform platform;
        InitGame(*g, platform, ScratchRes(), 1);
        LoadBitmaps(g->bitmaps, g->env.resDir, nullptr);
        LoadGameFont(*g);
        g->platform = nullptr;
        return g;
    }();
    return *game;
}

}  // namespace

static HeadlessPlatform& SharedPlatform() {
    static HeadlessPlatform* platform = new HeadlessPlatform();
    return *platform;
}

FuzzGame::FuzzGame() : platform(SharedPlatform()), game(SharedGame()) {
    game.keys = KeysHeld{};
    game.command = Command{};
    platform.messages.clear();
    platform.wavesThisTick.clear();
    platform.closed = false;
    platform.MusicFree();
    platform.musicVolume = 0;
    // The pictures and the font outlive the inputs: only the state of the game starts afresh.
    Bitmaps pictures = std::move(game.bitmaps);
    const auto chars = game.font.FontChars;
    const int charCount = game.font.FontCharCount;
    const auto extraChars = game.font.FontExtraChars;
    const int extraCount = game.font.FontExtraCount;
    const auto glyphs = game.font.Glyph;
    game = Game();
    game.bitmaps = std::move(pictures);
    game.font.FontChars = chars;
    game.font.FontCharCount = charCount;
    game.font.FontExtraChars = extraChars;
    game.font.FontExtraCount = extraCount;
    game.font.Glyph = glyphs;
    InitGame(game, platform, ScratchRes(), 1);
    // A tiny picture: every drawing operation still works out its rectangles from the game's
    // values, but filling 800 x 600 pixels a tick would be most of the fuzzer's time.
    SetSurfaceSize(game.backBuffer, 16, 16);
    game.rng.Seed(1);
    game.shell.FrameCounter = 3;
}

FuzzGame::~FuzzGame() {
    game.platform = nullptr;
}

void FuzzGame::Tick(int n) {
    for (int i = 0; i < n && !game.session.WindowClosed; ++i) {
        FrameTick(game);
        platform.wavesThisTick.clear();
    }
}
