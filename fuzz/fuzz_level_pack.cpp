// A level pack as a player might drop it into the levels folder: read or refused with a reason;
// what is read passes through the checker and writes back to a pack that reads the same, its
// proof marks included.
#include <string_view>

#include "fuzz_support.h"
#include "playfield/level_pack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)levels::IsPackText(text);
    const levels::PackResult read = levels::ParsePack(text);
    FUZZ_EXPECT(read.ok || !read.problem.message.empty());
    if (!read.ok) return 0;
    FUZZ_EXPECT(!read.pack.levels.empty() &&
                static_cast<int>(read.pack.levels.size()) <= levels::kMaxPackLevels);
    for (const levels::Level& level : read.pack.levels) {
        for (const levels::Problem& p : levels::CheckLevel(level))
            FUZZ_EXPECT(p.cell < levels::kRecordCount);
    }
    std::string written, error;
    if (!levels::WritePack(read.pack, written, error)) return 0;
    const levels::PackResult again = levels::ParsePack(written);
    FUZZ_EXPECT(again.ok && again.pack.levels.size() == read.pack.levels.size());
    for (size_t i = 0; i < read.pack.levels.size(); ++i) {
        for (int k = levels::kFirstFieldCell; k <= levels::kLastBuiltCell; ++k)
            FUZZ_EXPECT(again.pack.levels[i].records[k] == read.pack.levels[i].records[k]);
        // A proof read is a proof written: same tries cleared, shots and time, same field.
        const levels::ProofMark& a = read.pack.levels[i].proof;
        const levels::ProofMark& b = again.pack.levels[i].proof;
        FUZZ_EXPECT(a.known == b.known && a.cleared == b.cleared && a.shots == b.shots &&
                    a.time == b.time);
        FUZZ_EXPECT(!a.known || (a.cleared >= 0 && a.cleared <= levels::kProofMarkTries));
    }
    return 0;
}
