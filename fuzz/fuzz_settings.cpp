// settings.dat: read at start-up, then the options screen and a sound at the volumes read.
#include "fuzz_support.h"
#include "menus/settings.h"
#include "menus/transitions.h"
#include "presentation/sound.h"
#include "core/value_ranges.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteScratchFile("saves/settings.dat", data, size);
    FuzzGame f;
    ReadSettings(f.game, kSettingsFile);
    FUZZ_EXPECT(kVolumeRange.Holds(f.game.shell.MusicVolumeSetting));
    FUZZ_EXPECT(kVolumeRange.Holds(f.game.shell.SoundVolume));
    FUZZ_EXPECT(kLanguageRange.Holds(f.game.shell.Language));
    RequestSound(f.game, sndExplgr, 0);
    ShowOptions(f.game);
    f.Tick(2);
    return 0;
}
