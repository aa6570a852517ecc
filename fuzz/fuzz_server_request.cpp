// What the online server reads from the network before any work: a request's signature
// headers, its body and a ticket in it. The input is a request as text: "METHOD PATH", the key,
// nonce, time and signature headers' values one a line, an empty line, then the body. Each check
// refuses with a reason or accepts; a body decoded writes back to one that decodes the same.
#include <sodium.h>

#include "fuzz_support.h"
#include "online/json_object.h"
#include "server/auth.h"
#include "server/server.h"

namespace {

// The server's key of the fuzz run, the same every run so that the corpus can hold tickets
// signed with it.
const KeyPair& FuzzServerKey() {
    static const KeyPair key = [] {
        KeyPair k;
        unsigned char seed[crypto_sign_SEEDBYTES];
        for (unsigned char& b : seed) b = 0x52;
        crypto_sign_seed_keypair(k.pub.data(), k.secret.data(), seed);
        return k;
    }();
    return key;
}

constexpr long long kFuzzNow = 1765000000;

std::string NextLine(const std::string& text, std::size_t& at) {
    const std::size_t nl = text.find('\n', at);
    const std::string line = text.substr(at, nl == std::string::npos ? nl : nl - at);
    at = nl == std::string::npos ? text.size() : nl + 1;
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!CryptoReady()) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    const std::string first = NextLine(text, at);
    const std::size_t space = first.find(' ');
    SignedRequest r;
    r.method = first.substr(0, space);
    r.path = space == std::string::npos ? "" : first.substr(space + 1);
    r.key = NextLine(text, at);
    r.nonce = NextLine(text, at);
    r.time = NextLine(text, at);
    r.signature = NextLine(text, at);
    NextLine(text, at);
    r.body = text.substr(at);

    const CheckedRequest checked = CheckSignedRequest(r, kFuzzNow);
    FUZZ_EXPECT(checked.ok == checked.why.empty());
    if (checked.ok) {
        FUZZ_EXPECT(checked.key == r.key && checked.nonce == r.nonce);
        FUZZ_EXPECT(checked.time >= kFuzzNow - kRequestWindowSeconds &&
                    checked.time <= kFuzzNow + kRequestWindowSeconds);
    }

    const auto body = ParseJsonObject(r.body, kMaxSubmitBody);
    if (!body) return 0;
    FUZZ_EXPECT(body->is_object());
    const auto again = ParseJsonObject(body->dump(), kMaxSubmitBody * 2);
    FUZZ_EXPECT(again && *again == *body);
    if (body->contains("name") && (*body)["name"].is_string()) {
        const std::string name = (*body)["name"];
        if (ValidName(name)) FUZZ_EXPECT(ValidName(FoldName(name)));
    }
    if (body->contains("mode") && (*body)["mode"].is_string())
        FUZZ_EXPECT(OnlineModeOf((*body)["mode"]) >= 0 && OnlineModeOf((*body)["mode"]) <= 3);
    if (body->contains("ticket")) {
        Ticket t;
        std::string why;
        if (ReadTicket((*body)["ticket"], FuzzServerKey().pub, t, why)) {
            FUZZ_EXPECT(why.empty() && t.mode >= 1 && t.mode <= 3 && t.seed <= 0xFFFFFFFFull);
            // What the server signed reads back the same.
            Ticket back;
            FUZZ_EXPECT(ReadTicket(TicketJson(t), FuzzServerKey().pub, back, why));
            FUZZ_EXPECT(TicketText(back) == TicketText(t));
        } else {
            FUZZ_EXPECT(!why.empty());
        }
    }
    return 0;
}
