#include "core/catalogue.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

int Compare(const char* a, const char* b) {
    return std::strcmp(a == nullptr ? "" : a, b == nullptr ? "" : b);
}

bool Before(const CatalogueEntry& e, const char* context, const char* id) {
    const int c = Compare(e.context, context);
    return c != 0 ? c < 0 : std::strcmp(e.id, id) < 0;
}

}  // namespace

const char* Translate(int language, const char* context, const char* id) {
    if (id == nullptr) return "";
    if (language < 1 || language > kLanguages) language = kLanguageEnglish;
    // A screen looks up the same few texts every tick, mostly from the same literals: the entry
    // found for an address is kept and checked against the text, which one comparison does
    // (the search takes a dozen, each a cache miss in a tick after a sleep).
    struct Found {
        const char* id = nullptr;
        const char* context = nullptr;
        const CatalogueEntry* entry = nullptr;
    };
    thread_local Found found[64];
    Found& f = found[(reinterpret_cast<std::uintptr_t>(id) >> 3) % 64];
    if (f.id == id && f.context == context && std::strcmp(f.entry->id, id) == 0 &&
        Compare(f.entry->context, context) == 0)
        return f.entry->text[language];
    const CatalogueEntry* end = kCatalogue + kCatalogueSize;
    const CatalogueEntry* e = std::lower_bound(
        kCatalogue, end, 0,
        [&](const CatalogueEntry& entry, int) { return Before(entry, context, id); });
    if (e == end || Compare(e->context, context) != 0 || std::strcmp(e->id, id) != 0) return id;
    f = Found{id, context, e};
    return e->text[language];
}

std::string FillIn(const char* format, std::initializer_list<std::string> values) {
    const std::vector<std::string> v(values);
    std::string out;
    size_t next = 0;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        size_t index = next++;
        const char* q = p + 1;
        if (*q >= '1' && *q <= '9') {
            size_t n = 0;
            while (*q >= '0' && *q <= '9') n = n * 10 + static_cast<size_t>(*q++ - '0');
            if (*q == '$') {
                index = n - 1;
                p = q;
            }
        }
        if (p[1] == 's') {
            ++p;
            if (index < v.size()) out += v[index];
        } else {
            out += '%';  // not a directive: kept as written
        }
    }
    return out;
}
