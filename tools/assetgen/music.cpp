// The three tunes: note data under data/tunes, rendered by the synthesiser, encoded to MP3.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "assetgen.h"
#include "music_score.h"
#include "synth.h"

namespace assetgen {
namespace {

constexpr int kMp3Kbps = 128;

std::filesystem::path TuneDir() {
    if (const char* dir = std::getenv("RHOMBULUS_TUNE_DIR")) return dir;
    return std::filesystem::path(__FILE__).parent_path() / "data" / "tunes";
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

void GenerateMusic(const std::string& resDir) {
    const std::filesystem::path out = std::filesystem::path(resDir) / "Musik";
    std::filesystem::create_directories(out);
    for (const char* name : {"sr06", "vi02", "sr02"}) {
        const std::filesystem::path source = TuneDir() / (std::string(name) + ".tune");
        music::Tune tune;
        try {
            tune = music::ParseTune(ReadFile(source));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(source.string() + ": " + e.what());
        }
        // RHOMBULUS_MIX_REPORT=1 prints how loud each voice sits in the mix.
        std::map<std::string, float> levels;
        const bool report = std::getenv("RHOMBULUS_MIX_REPORT") != nullptr;
        const synth::Stereo mix = music::RenderTune(tune, report ? &levels : nullptr);
        if (report) {
            std::printf("%s: %.1f s", name, double(mix.Size()) / synth::kRate);
            for (const auto& [role, db] : levels) std::printf("  %s %.1f dB", role.c_str(), db);
            std::printf("\n");
        }
        synth::WriteLoopMp3((out / (std::string(name) + ".mp3")).string(), mix, kMp3Kbps);
    }
}

}  // namespace assetgen
