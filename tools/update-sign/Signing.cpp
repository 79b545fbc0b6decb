#include "Signing.h"

#include "update/Signature.h"

#include <sodium.h>

#include <fstream>

namespace pordane::signing {

KeyPair generateKeyPair()
{
    if (sodium_init() < 0)
        return {};
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(pk, sk);
    KeyPair k{update::encodeBase64(std::string_view(reinterpret_cast<char*>(pk), sizeof pk)),
              update::encodeBase64(std::string_view(reinterpret_cast<char*>(sk), sizeof sk))};
    sodium_memzero(sk, sizeof sk);
    return k;
}

std::optional<std::string> signDetached(std::string_view message, std::string_view secretKeyBase64)
{
    const auto sk = update::decodeBase64(secretKeyBase64);
    if (!sk || sk->size() != crypto_sign_SECRETKEYBYTES || sodium_init() < 0)
        return std::nullopt;
    unsigned char sig[crypto_sign_BYTES];
    crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                         reinterpret_cast<const unsigned char*>(sk->data()));
    return update::encodeBase64(std::string_view(reinterpret_cast<char*>(sig), sizeof sig));
}

std::optional<std::string> sha256OfFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    update::Sha256 digest;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        digest.add(std::string_view(buffer, static_cast<std::size_t>(in.gcount())));
    }
    if (in.bad())
        return std::nullopt;
    return digest.hex();
}

} // namespace pordane::signing
