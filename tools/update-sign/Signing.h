// The maker's side of signed updates: Ed25519 keys and detached signatures
// (base64), and the sha256 of files for the control file's entries.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pordane::signing {

struct KeyPair {
    std::string publicKey; // base64, 32 bytes: PORDANE_UPDATE_PUBLIC_KEY
    std::string secretKey; // base64, 64 bytes: keep it off the web server
};

KeyPair generateKeyPair();

// Base64 of the detached signature of `message`; nullopt for a bad key.
std::optional<std::string> signDetached(std::string_view message, std::string_view secretKeyBase64);

// Lower-case hex sha256 of the file; nullopt when it cannot be read.
std::optional<std::string> sha256OfFile(const std::filesystem::path& file);

} // namespace pordane::signing
