#include "menus/settings.h"

#include <vector>

#include "menus/record_file.h"
#include "shell/game.h"
#include "shell/paths.h"
#include "shell/value_ranges.h"

void ReadSettings(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes;
    if (!ReadRecordFile(ResolveGamePath(game, gamePath), kSettingsFileSize, bytes)) return;
    const int music = GetInt32(bytes, 4);
    const int sound = GetInt32(bytes, 8);
    const int language = GetInt32(bytes, 12);
    // Any other value is a damaged file: the defaults stay, as for a short one.
    if (!kVolumeRange.Holds(music) || !kVolumeRange.Holds(sound) || !kLanguageRange.Holds(language))
        return;
    game.shell.MusicVolumeSetting = music;
    game.shell.SoundVolume = sound;
    game.shell.Language = language;
}

bool WriteSettings(Game& game, const std::string& gamePath) {
    std::vector<std::uint8_t> bytes(kSettingsFileSize, 0);
    PutInt32(bytes, 4, game.shell.MusicVolumeSetting);
    PutInt32(bytes, 8, game.shell.SoundVolume);
    PutInt32(bytes, 12, game.shell.Language);
    return WriteGameFile(game, ResolveGamePath(game, gamePath), bytes);
}
