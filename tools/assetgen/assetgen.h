// Build-time generator of everything under res/: pictures, the bitmap font, the sound
// effects and the music. Each part writes its files below the output folder it is given.
#pragma once

#include <string>

namespace assetgen {

// Every picture of the game and the text colour textures (res/*.bmp).
void GeneratePictures(const std::string& resDir);
// res/font1.txt and res/font2.bmp.
void GenerateFont(const std::string& resDir);
// The fifteen effects in res/waves/*.wav.
void GenerateWaves(const std::string& resDir);
// The three tunes in res/Musik/*.mp3.
void GenerateMusic(const std::string& resDir);
// The window icon res/icon.bmp, and the desktop icons in res/icons/<size>x<size>/apps/*.png.
void GenerateIcons(const std::string& resDir);

}  // namespace assetgen
