#include <zlib.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

uLong compressBound(uLong sourceLen) {
    // Stored blocks at worst: five bytes a 64 KiB block beyond the data, the header and check.
    return sourceLen + sourceLen / 65535 * 5 + 5 + 6 + 64;
}

int compress2(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen, int level) {
    if (sourceLen > INT_MAX) return Z_BUF_ERROR;
    int size = 0;
    unsigned char* packed = stbi_zlib_compress(const_cast<Bytef*>(source),
                                               static_cast<int>(sourceLen), &size, level + 2);
    if (packed == nullptr) return Z_BUF_ERROR;
    const bool fits = static_cast<uLongf>(size) <= *destLen;
    if (fits) {
        std::memcpy(dest, packed, static_cast<std::size_t>(size));
        *destLen = static_cast<uLongf>(size);
    }
    std::free(packed);
    return fits ? Z_OK : Z_BUF_ERROR;
}

int uncompress(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen) {
    if (sourceLen > INT_MAX || *destLen > INT_MAX) return Z_BUF_ERROR;
    const int size =
        stbi_zlib_decode_buffer(reinterpret_cast<char*>(dest), static_cast<int>(*destLen),
                                reinterpret_cast<const char*>(source), static_cast<int>(sourceLen));
    if (size < 0) return Z_DATA_ERROR;
    *destLen = static_cast<uLongf>(size);
    return Z_OK;
}
