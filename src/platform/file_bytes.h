#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The whole file in one read; false when it is missing or unreadable.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);
