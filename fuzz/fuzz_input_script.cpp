// The headless runner's input scripts: parsed, then every event checked to lie within the run.
#include "fuzz_support.h"
#include "runner/runner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<ScriptEvent> events;
    std::string error;
    if (!ParseInputScript(std::string(reinterpret_cast<const char*>(data), size), events, error)) {
        FUZZ_EXPECT(error.rfind("line ", 0) == 0);
        return 0;
    }
    long long last = 0;
    for (const ScriptEvent& e : events) {
        FUZZ_EXPECT(e.tick >= 1 && e.tick <= kMaxTick + 1 && e.tick >= last);
        last = e.tick;
    }
    return 0;
}
