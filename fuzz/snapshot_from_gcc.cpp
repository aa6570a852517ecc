// Not a fuzz target but a check of the fuzz build: the snapshot payload in the corpus, written
// by the game built with gcc, is taken back by this build (clang) and written out again byte for
// byte.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "shell/snapshot.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: snapshot_from_gcc PAYLOAD\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> payload((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
    FuzzGame f;
    std::string why;
    const std::vector<std::uint8_t> file = WrapSnapshotPayload(payload.data(), payload.size());
    if (!RestoreSnapshotBytes(f.game, file, why)) {
        std::fprintf(stderr, "FAIL: %s is refused: %s\n", argv[1], why.c_str());
        return 1;
    }
    if (SnapshotBytes(f.game) != file) {
        std::fprintf(stderr, "FAIL: %s comes back as other bytes\n", argv[1]);
        return 1;
    }
    std::printf("snapshot_from_gcc: %zu bytes taken back and written alike\n", payload.size());
    return 0;
}
