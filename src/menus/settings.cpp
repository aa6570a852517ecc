#include "menus/settings.h"

#include <vector>

#include "core/game.h"
#include "core/paths.h"
#include "menus/record_file.h"

bool ReadSettings(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(ResolveGamePath(game, gamePath), bytes) || bytes.size() < 16) return false;
    game.shell.MusicVolumeSetting = GetInt32(bytes, 4);
    game.shell.SoundVolume = GetInt32(bytes, 8);
    game.shell.Language = GetInt32(bytes, 12);
    // Any other language would leave the menus without text.
    if (game.shell.Language != 1 && game.shell.Language != 2) game.shell.Language = 1;
    return true;
}

bool WriteSettings(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes(16, 0);
    PutInt32(bytes, 4, game.shell.MusicVolumeSetting);
    PutInt32(bytes, 8, game.shell.SoundVolume);
    PutInt32(bytes, 12, game.shell.Language);
    return WriteGameFile(game, ResolveGamePath(game, gamePath), bytes);
}

bool ReadOpponentChoice(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes;
    game.computer.OpponentChoice = kNoComputer;
    if (!ReadWholeFile(ResolveGamePath(game, gamePath), bytes) || bytes.size() < 8) return false;
    const int choice = GetInt32(bytes, 4);
    if (choice < kNoComputer || choice > kComputerHard) return false;
    game.computer.OpponentChoice = choice;
    return true;
}

bool WriteOpponentChoice(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes(8, 0);
    PutInt32(bytes, 4, game.computer.OpponentChoice);
    return WriteGameFile(game, ResolveGamePath(game, gamePath), bytes);
}
