// Build-time generator of everything under res/: pictures, the bitmap font, the sound
// effects and the music. Each part writes its files below the output folder it is given.
#pragma once

#include <string>
#include <string_view>

namespace assetgen {

// Every picture of the game and the text colour textures (res/*.bmp).
void GeneratePictures(const std::string& resDir);
// res/font1.txt and res/font2.bmp, with the Chinese, Japanese and Korean characters the catalogues
// in poDir use (none when it is empty).
void GenerateFont(const std::string& resDir, const std::string& poDir);
// A picture of every glyph of the font in resDir, line by line at 1x and then at 2x, for the eye.
void WriteFontSheet(const std::string& resDir, const std::string& pngPath);
// The characters of the font's lines after the second, in order.
std::u32string AddedFontChars(const std::string& poDir);
// The fifteen effects in res/waves/*.wav.
void GenerateWaves(const std::string& resDir);
// The three tunes in res/Musik/*.mp3.
void GenerateMusic(const std::string& resDir);
// The window icon res/icon.bmp, and the desktop icons in res/icons/<size>x<size>/apps/*.png.
void GenerateIcons(const std::string& resDir);

}  // namespace assetgen
