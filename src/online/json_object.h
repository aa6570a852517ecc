// JSON read from the network: bounded in size and depth before the parser sees it (the parser's
// own depth is unbounded), and an object, or nothing.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// No request or answer of ours is nested deeper than this.
inline constexpr int kMaxJsonDepth = 8;

std::optional<nlohmann::json> ParseJsonObject(const std::string& text, std::size_t maxBytes);
