#include "web/base64.h"

#include <random>

#include <gtest/gtest.h>
#include <openssl/evp.h>

using namespace zorvane;

TEST(Base64, PaddingFollowsTheLastGroup)
{
    EXPECT_EQ(base64Encode(""), "");
    EXPECT_EQ(base64Encode("f"), "Zg==");
    EXPECT_EQ(base64Encode("fo"), "Zm8=");
    EXPECT_EQ(base64Encode("foo"), "Zm9v");
    EXPECT_EQ(base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(base64Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(base64Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64, BytesAreTakenAsUnsigned)
{
    EXPECT_EQ(base64Encode(std::string("\0", 1)), "AA==");
    EXPECT_EQ(base64Encode("\xff\xfe\xfd"), "//79");
    EXPECT_EQ(base64Encode("\xfb\xff"), "+/8=");
    EXPECT_EQ(base64Encode("用户:密码"), "55So5oi3OuWvhueggQ==");
}

TEST(Base64, ProxyCredentials)
{
    EXPECT_EQ(base64Encode("user:password"), "dXNlcjpwYXNzd29yZA==");
    EXPECT_EQ(base64Encode("user:"), "dXNlcjo=");
}

TEST(Base64, LongInputIsOneLine)
{
    std::string encoded = base64Encode(std::string(100, 'x'));
    EXPECT_EQ(encoded.size(), 136u);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(encoded.substr(132), "eA==");
}

TEST(Base64, AgreesWithOpenSslForEveryLength)
{
    std::mt19937 random(12345);
    for (std::size_t length = 0; length <= 300; ++length) {
        std::string bytes(length, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random() & 0xff);
        std::string expected(4 * ((length + 2) / 3) + 1, '\0');
        int written =
            EVP_EncodeBlock(reinterpret_cast<unsigned char*>(expected.data()),
                            reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(length));
        expected.resize(static_cast<std::size_t>(written));
        ASSERT_EQ(base64Encode(bytes), expected) << "length " << length;
    }
}
