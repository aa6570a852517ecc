// The browser build's zlib: emscripten's own port would be downloaded at build time, so the few
// calls the game makes (the network match's snapshots) go to stb's deflate and inflate, which
// write and read the same zlib streams.
#pragma once

#include <cstddef>

using Bytef = unsigned char;
using uLong = unsigned long;
using uLongf = unsigned long;

inline constexpr int Z_OK = 0;
inline constexpr int Z_BUF_ERROR = -5;
inline constexpr int Z_DATA_ERROR = -3;

uLong compressBound(uLong sourceLen);
int compress2(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen, int level);
int uncompress(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen);
