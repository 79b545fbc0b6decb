// Signed updates: an Ed25519 detached signature of the control file's exact
// bytes and a SHA-256 of each downloaded file (libsodium). Used only when the
// build carries a public key.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pordane::update {

// Standard base64 (blanks and line ends ignored); nullopt when invalid.
std::optional<std::string> decodeBase64(std::string_view text);
std::string encodeBase64(std::string_view bytes);

// True when `signatureBase64` is a valid Ed25519 signature of `message` by
// the key `publicKeyBase64` (32 bytes once decoded).
bool verifySignature(std::string_view message, std::string_view signatureBase64, std::string_view publicKeyBase64);

// Whether the key is usable (32 bytes of base64).
bool validPublicKey(std::string_view publicKeyBase64);

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void add(std::string_view bytes);
    // Lower-case hex; call once.
    std::string hex();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Hex digests compared without regard to case; an empty expectation never matches.
bool sameDigest(std::string_view expectedHex, std::string_view actualHex);

} // namespace pordane::update
