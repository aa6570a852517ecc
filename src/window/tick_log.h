#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

// With RHOMBULUS2_TICK_LOG=FILE the game writes the time from each tick's start to the next
// one's, in microseconds, one line a tick (tools/bench/cpu.sh reads it), and "# screen N" after
// each tick that changed the screen (the window tests wait for it before they click on).
class TickLog {
  public:
    TickLog() {
        const char* path = std::getenv("RHOMBULUS2_TICK_LOG");
        if (path != nullptr && path[0] != '\0') file_ = std::fopen(path, "w");
    }
    ~TickLog() {
        if (file_ != nullptr) std::fclose(file_);
    }
    void Tick(std::chrono::steady_clock::time_point now) {
        if (file_ == nullptr) return;
        if (last_.time_since_epoch().count() != 0) {
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - last_);
            std::fprintf(file_, "%lld\n", static_cast<long long>(us.count()));
            // Out every 16 ticks: a write a tick would weigh on the figures it is read for.
            if (++unflushed_ == 16) {
                std::fflush(file_);
                unflushed_ = 0;
            }
        }
        last_ = now;
    }
    void Pause() {
        last_ = {};
        if (file_ != nullptr) std::fflush(file_);
    }
    // A line of its own for the reader, marked with "#".
    void Note(const std::string& text) {
        if (file_ != nullptr) std::fprintf(file_, "# %s\n", text.c_str());
    }
    void Screen(int screenId) {
        if (file_ == nullptr || screenId == screen_) return;
        screen_ = screenId;
        std::fprintf(file_, "# screen %d\n", screenId);
        std::fflush(file_);
    }

  private:
    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point last_{};
    int screen_ = -1;
    int unflushed_ = 0;
};
