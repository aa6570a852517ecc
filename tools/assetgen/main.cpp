// assetgen OUTDIR [--po PO_DIR] [pictures|font|waves|music|icons]...
// Without a part name every part is generated; the font draws the Chinese, Japanese and Korean
// characters of the catalogues in PO_DIR. "fontsheet" (only when named) writes
// font-sheet.png in the current folder: every glyph of the font in OUTDIR at 1x and 2x.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <string>

#include "assetgen.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: assetgen OUTDIR [--po PO_DIR] [pictures|font|waves|music|icons]...\n");
        return 2;
    }
    const std::string out = argv[1];
    std::set<std::string> parts;
    std::string poDir;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--po" && i + 1 < argc)
            poDir = argv[++i];
        else
            parts.insert(argv[i]);
    }
    auto want = [&](const char* p) { return parts.empty() || parts.count(p) > 0; };
    try {
        std::filesystem::create_directories(out);
        if (want("pictures")) assetgen::GeneratePictures(out);
        if (want("font")) assetgen::GenerateFont(out, poDir);
        if (want("waves")) assetgen::GenerateWaves(out);
        if (want("music")) assetgen::GenerateMusic(out);
        if (want("icons")) assetgen::GenerateIcons(out);
        if (parts.count("fontsheet") > 0) assetgen::WriteFontSheet(out, "font-sheet.png");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
