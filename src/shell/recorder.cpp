#include "shell/recorder.h"

#include "core/name_text.h"

namespace {

// The runner's key names, by keyboard button.
constexpr std::size_t kMaxKeptText = 16u * 1024 * 1024;

constexpr const char* kKeyNames[8] = {"left",  "right",  "up",     "down",
                                      "space", "return", "escape", "p"};

}  // namespace

InputRecorder::~InputRecorder() {
    if (file_ != nullptr) std::fclose(file_);
}

bool InputRecorder::Open(const std::string& path, std::uint64_t seed, int firstStartLanguage) {
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) return false;
    std::fprintf(file_, "# seed %llu\n", static_cast<unsigned long long>(seed));
    std::fprintf(file_, "# language %d\n", firstStartLanguage);
    std::fflush(file_);
    return true;
}

void InputRecorder::KeepText(const std::string& header, int tick) {
    keep_ = true;
    text_ = header;
    // A key held from before: the kept replay's own keyboard starts with it down.
    for (int k = 0; k < 8 && tick > 0; ++k) {
        if (keys_[k]) text_ += std::to_string(tick) + " keydown " + kKeyNames[k] + "\n";
    }
}

void InputRecorder::EndKept(int tick) {
    if (keep_ && text_.size() < kMaxKeptText) text_ += std::to_string(tick) + " end\n";
    keep_ = false;
}

void InputRecorder::Line(int tick, const std::string& event) {
    // A run that outgrows a replay's room stops being kept rather than fill memory.
    if (keep_ && text_.size() < kMaxKeptText) {
        text_ += std::to_string(tick) + " " + event + "\n";
    }
    if (file_ == nullptr) return;
    std::fprintf(file_, "%d %s\n", tick, event.c_str());
    // Written at once, so that a game that ends badly still leaves its recording behind.
    std::fflush(file_);
}

void InputRecorder::Keys(int tick, const std::array<bool, 8>& down) {
    for (int k = 0; k < 8; ++k) {
        if (down[k] == keys_[k]) continue;
        Line(tick, std::string(down[k] ? "keydown " : "keyup ") + kKeyNames[k]);
        keys_[k] = down[k];
    }
}

void InputRecorder::Typed(int tick, char32_t ch) {
    if (ch == 8) {
        Line(tick, "keydown backspace");
        return;
    }
    std::string text = "text ";
    AppendCodePoint(text, ch);
    Line(tick, text);
}
