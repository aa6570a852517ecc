#pragma once

#include <string>

#include "platform/surface.h"

// Writes the surface as an 8-bit RGB PNG; false on failure.
bool SavePng(const Surface& surface, const std::string& path);
