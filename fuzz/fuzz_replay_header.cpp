// The header of a replay file: read or refused with a reason; what is read writes back to a
// header that reads the same.
#include "fuzz_support.h"
#include "shell/replay_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReplayHeader header;
    std::string why;
    if (!ReadReplayHeader(text, header, why)) {
        FUZZ_EXPECT(!why.empty());
        return 0;
    }
    FUZZ_EXPECT(header.language >= 0 && header.language <= 7);
    ReplayHeader again;
    FUZZ_EXPECT(ReadReplayHeader(ReplayHeaderText(header), again, why));
    FUZZ_EXPECT(again.seed == header.seed && again.language == header.language &&
                again.version == header.version && again.levels == header.levels);
    ReplayMismatch(header, "1.0.0", 1);
    return 0;
}
