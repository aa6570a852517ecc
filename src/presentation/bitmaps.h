// Every picture of the game, loaded once at start-up into a surface of its own.
#pragma once

#include <array>
#include <string>

#include "core/bitmap_set.h"
#include "platform/surface.h"

enum class KeyColour { kNone, kMagenta, kBlack };

struct BitmapInfo {
    const char* file;  // under res/
    KeyColour key;
};

// File name and transparent colour of every bitmap, in BitmapId order.
const BitmapInfo& BitmapInfoOf(int id);

// Loads every bitmap from resDir; on failure returns false and names the missing file.
bool LoadBitmaps(Bitmaps& bitmaps, const std::string& resDir, std::string* failedFile);
void FreeBitmaps(Bitmaps& bitmaps);
