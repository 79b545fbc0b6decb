#include "update/Signature.h"

#include <sodium.h>

#include <cctype>
#include <mutex>

namespace pordane::update {

namespace {

bool initialised()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = sodium_init() >= 0; });
    return ok;
}

} // namespace

struct Sha256::State {
    crypto_hash_sha256_state state;
};

std::optional<std::string> decodeBase64(std::string_view text)
{
    if (!initialised())
        return std::nullopt;
    std::string out(text.size() / 4 * 3 + 3, '\0');
    size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(out.data()), out.size(), text.data(), text.size(), " \t\r\n",
                          &length, &end, sodium_base64_VARIANT_ORIGINAL)
            != 0
        || end != text.data() + text.size())
        return std::nullopt;
    out.resize(length);
    return out;
}

std::string encodeBase64(std::string_view bytes)
{
    std::string out(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(out.data(), out.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1); // the terminating NUL
    return out;
}

bool validPublicKey(std::string_view publicKeyBase64)
{
    const auto key = decodeBase64(publicKeyBase64);
    return key && key->size() == crypto_sign_PUBLICKEYBYTES;
}

bool verifySignature(std::string_view message, std::string_view signatureBase64, std::string_view publicKeyBase64)
{
    const auto key = decodeBase64(publicKeyBase64);
    const auto signature = decodeBase64(signatureBase64);
    if (!key || key->size() != crypto_sign_PUBLICKEYBYTES || !signature || signature->size() != crypto_sign_BYTES)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature->data()),
                                       reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                       reinterpret_cast<const unsigned char*>(key->data()))
        == 0;
}

Sha256::Sha256() : m_state(std::make_unique<State>())
{
    initialised();
    crypto_hash_sha256_init(&m_state->state);
}

Sha256::~Sha256() = default;

void Sha256::add(std::string_view bytes)
{
    crypto_hash_sha256_update(&m_state->state, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Sha256::hex()
{
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&m_state->state, digest);
    char text[crypto_hash_sha256_BYTES * 2 + 1];
    sodium_bin2hex(text, sizeof text, digest, sizeof digest);
    return text;
}

bool sameDigest(std::string_view expectedHex, std::string_view actualHex)
{
    while (!expectedHex.empty() && std::isspace(static_cast<unsigned char>(expectedHex.back())))
        expectedHex.remove_suffix(1);
    if (expectedHex.empty() || expectedHex.size() != actualHex.size())
        return false;
    for (std::size_t i = 0; i < expectedHex.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(expectedHex[i])) != actualHex[i])
            return false;
    return true;
}

} // namespace pordane::update
