#include "menus/settings.h"

#include <vector>

#include "core/game.h"
#include "core/paths.h"
#include "core/value_ranges.h"
#include "menus/record_file.h"

bool ReadSettings(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes;
    if (!ReadRecordFile(ResolveGamePath(game, gamePath), kSettingsFileSize, bytes)) return false;
    const int music = GetInt32(bytes, 4);
    const int sound = GetInt32(bytes, 8);
    const int language = GetInt32(bytes, 12);
    // Any other volume is a damaged file: the defaults stay, as for a short one. A language the
    // game does not know (a later version's, or garbage) is read as English, so that the menus
    // always have their texts.
    if (!kVolumeRange.Holds(music) || !kVolumeRange.Holds(sound)) return false;
    game.shell.MusicVolumeSetting = music;
    game.shell.SoundVolume = sound;
    game.shell.Language = kLanguageRange.Holds(language) ? language : kLanguageEnglish;
    return true;
}

bool WriteSettings(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes(kSettingsFileSize, 0);
    PutInt32(bytes, 4, game.shell.MusicVolumeSetting);
    PutInt32(bytes, 8, game.shell.SoundVolume);
    PutInt32(bytes, 12, game.shell.Language);
    return WriteGameFile(game, ResolveGamePath(game, gamePath), bytes);
}

bool ReadOpponentChoice(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes;
    game.computer.OpponentChoice = kNoComputer;
    if (!ReadRecordFile(ResolveGamePath(game, gamePath), kOpponentFileSize, bytes)) return false;
    const int choice = GetInt32(bytes, 4);
    if (choice < kNoComputer || choice > kComputerHard) return false;
    game.computer.OpponentChoice = choice;
    return true;
}

bool WriteOpponentChoice(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes(kOpponentFileSize, 0);
    PutInt32(bytes, 4, game.computer.OpponentChoice);
    return WriteGameFile(game, ResolveGamePath(game, gamePath), bytes);
}
