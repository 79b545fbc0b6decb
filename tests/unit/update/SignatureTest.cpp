#include "update/Signature.h"

#include "Signing.h"

#include <gtest/gtest.h>

using namespace pordane;
using namespace pordane::update;

namespace {

struct Base64Case {
    const char* text;
    const char* bytes; // nullptr: invalid
};

class Base64 : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64, DecodesStandardBase64)
{
    const auto& c = GetParam();
    const auto got = decodeBase64(c.text);
    if (!c.bytes)
        EXPECT_FALSE(got.has_value()) << c.text;
    else
        EXPECT_EQ(got, std::optional<std::string>(c.bytes)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, Base64,
                         ::testing::Values(Base64Case{"aGVsbG8=", "hello"}, Base64Case{"aGVs\r\nbG8=\n", "hello"},
                                           Base64Case{"", ""}, Base64Case{"aGVsbG8", nullptr},
                                           Base64Case{"aGV$bG8=", nullptr}, Base64Case{"aGVsbG8=x", nullptr},
                                           Base64Case{"aGVsbG8-", nullptr}));

TEST(Base64, RoundTrip)
{
    const std::string bytes("\0\xFF\x10 binario", 11);
    EXPECT_EQ(decodeBase64(encodeBase64(bytes)), bytes);
}

class Signatures : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_keys = signing::generateKeyPair();
        m_sig = *signing::signDetached(m_message, m_keys.secretKey);
    }
    std::string m_message = "[update]\r\nnewversion=4.6\r\n";
    signing::KeyPair m_keys;
    std::string m_sig;
};

TEST_F(Signatures, OnlyTheExactBytesByTheKeyVerify)
{
    EXPECT_TRUE(validPublicKey(m_keys.publicKey));
    EXPECT_TRUE(verifySignature(m_message, m_sig, m_keys.publicKey));
    EXPECT_TRUE(verifySignature(m_message, m_sig + "\n", m_keys.publicKey)); // as the tool writes it

    std::string flipped = m_message;
    flipped[10] ^= 0x01;
    EXPECT_FALSE(verifySignature(flipped, m_sig, m_keys.publicKey));
    EXPECT_FALSE(verifySignature(m_message + " ", m_sig, m_keys.publicKey));
    auto badSig = *decodeBase64(m_sig);
    badSig[0] ^= 0x80;
    EXPECT_FALSE(verifySignature(m_message, encodeBase64(badSig), m_keys.publicKey));
    EXPECT_FALSE(verifySignature(m_message, m_sig, signing::generateKeyPair().publicKey));
    EXPECT_FALSE(verifySignature(m_message, "", m_keys.publicKey));
    EXPECT_FALSE(verifySignature(m_message, "no es base64", m_keys.publicKey));
    EXPECT_FALSE(verifySignature(m_message, m_sig, m_keys.publicKey.substr(4)));
    EXPECT_FALSE(validPublicKey(m_keys.secretKey));
    EXPECT_FALSE(signing::signDetached(m_message, m_keys.publicKey));
}

TEST(Digests, HexComparedWithoutCase)
{
    Sha256 empty;
    EXPECT_EQ(empty.hex(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    Sha256 abc;
    abc.add("a");
    abc.add("bc");
    const std::string hex = abc.hex();
    EXPECT_TRUE(sameDigest("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", hex));
    EXPECT_TRUE(sameDigest("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad \r\n", hex));
    EXPECT_FALSE(sameDigest("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015a", hex));
    EXPECT_FALSE(sameDigest("", hex));
}

} // namespace
