#include "online/signing.h"

#include <sodium.h>

bool CryptoReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

std::string ToHex(const unsigned char* data, std::size_t size) {
    std::string hex(size * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), data, size);
    hex.resize(size * 2);
    return hex;
}

bool FromHex(const std::string& hex, unsigned char* out, std::size_t size) {
    if (hex.size() != size * 2) return false;
    std::size_t got = 0;
    return sodium_hex2bin(out, size, hex.data(), hex.size(), nullptr, &got, nullptr) == 0 &&
           got == size;
}

KeyPair NewKeyPair() {
    KeyPair k;
    crypto_sign_keypair(k.pub.data(), k.secret.data());
    return k;
}

KeyPair KeyPairOfSecret(const SecretKey& secret) {
    KeyPair k;
    k.secret = secret;
    crypto_sign_ed25519_sk_to_pk(k.pub.data(), k.secret.data());
    return k;
}

std::string Sign(const SecretKey& secret, const std::string& message) {
    unsigned char sig[kSignatureBytes];
    crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                         message.size(), secret.data());
    return ToHex(sig, sizeof sig);
}

bool SignedBy(const PublicKey& pub, const std::string& message, const std::string& sigHex) {
    unsigned char sig[kSignatureBytes];
    if (!FromHex(sigHex, sig, sizeof sig)) return false;
    return crypto_sign_verify_detached(sig, reinterpret_cast<const unsigned char*>(message.data()),
                                       message.size(), pub.data()) == 0;
}

std::string SignedText(const std::string& method, const std::string& path, long long time,
                       const std::string& nonce, const std::string& body) {
    return "rhombulus2 request\n" + method + "\n" + path + "\n" + std::to_string(time) + "\n" +
           nonce + "\n" + body;
}

SignedRequest SignRequest(const KeyPair& keys, const std::string& method, const std::string& path,
                          const std::string& body, long long time, const std::string& nonce) {
    SignedRequest r{
        method, path, body, ToHex(keys.pub.data(), keys.pub.size()), nonce, std::to_string(time),
        ""};
    r.signature = Sign(keys.secret, SignedText(method, path, time, nonce, body));
    return r;
}

std::string NewNonce() {
    unsigned char nonce[kNonceBytes];
    randombytes_buf(nonce, sizeof nonce);
    return ToHex(nonce, sizeof nonce);
}
