// Ed25519 keys and signed requests, shared by the game (which signs) and the server (which
// checks). Players have no passwords: a name belongs to the key that claimed it, and every
// writing request is signed over what it asks (method, path, body), a nonce and the time. Pure
// functions of their input and libsodium; no files, no network.
#pragma once

#include <array>
#include <cstddef>
#include <string>

inline constexpr std::size_t kPublicKeyBytes = 32;
inline constexpr std::size_t kSecretKeyBytes = 64;
inline constexpr std::size_t kSignatureBytes = 64;
inline constexpr std::size_t kNonceBytes = 16;

using PublicKey = std::array<unsigned char, kPublicKeyBytes>;
using SecretKey = std::array<unsigned char, kSecretKeyBytes>;

// Whether libsodium could start; nothing else here may be called before it is true.
bool CryptoReady();

std::string ToHex(const unsigned char* data, std::size_t size);
// Exactly `size` bytes from lowercase or uppercase hex of exactly 2 * size digits.
bool FromHex(const std::string& hex, unsigned char* out, std::size_t size);

struct KeyPair {
    PublicKey pub{};
    SecretKey secret{};
};
KeyPair NewKeyPair();
// The key pair whose secret half is `secret` (the public half is part of it).
KeyPair KeyPairOfSecret(const SecretKey& secret);
std::string Sign(const SecretKey& secret, const std::string& message);  // hex
bool SignedBy(const PublicKey& pub, const std::string& message, const std::string& sigHex);

// The headers of a signed request.
inline constexpr const char* kKeyHeader = "X-R2-Key";
inline constexpr const char* kNonceHeader = "X-R2-Nonce";
inline constexpr const char* kTimeHeader = "X-R2-Time";
inline constexpr const char* kSignatureHeader = "X-R2-Signature";

struct SignedRequest {
    std::string method, path, body;
    std::string key, nonce, time, signature;  // the headers as sent
};
// What is signed: the method, path, time and nonce, one a line, then the body.
std::string SignedText(const std::string& method, const std::string& path, long long time,
                       const std::string& nonce, const std::string& body);
// The headers a client sends for a request signed with `keys` at `time`.
SignedRequest SignRequest(const KeyPair& keys, const std::string& method, const std::string& path,
                          const std::string& body, long long time, const std::string& nonce);
// A fresh nonce: kNonceBytes random bytes in lowercase hex.
std::string NewNonce();
