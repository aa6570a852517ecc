#include "online/json_object.h"

std::optional<nlohmann::json> ParseJsonObject(const std::string& text, std::size_t maxBytes) {
    if (text.size() > maxBytes) return std::nullopt;
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (inString) {
            if (ch == '\\')
                ++i;
            else if (ch == '"')
                inString = false;
        } else if (ch == '"') {
            inString = true;
        } else if (ch == '{' || ch == '[') {
            if (++depth > kMaxJsonDepth) return std::nullopt;
        } else if (ch == '}' || ch == ']') {
            --depth;
        }
    }
    nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return std::nullopt;
    return j;
}
