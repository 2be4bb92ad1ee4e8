// Password hashes in the Mac's ShadowHashData layout.

#include "platform/emulated/PasswordHash.h"
#include "foundation/PlistIO.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

std::string_view bytesOf(const PlistData& data)
{
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

TEST(PasswordHashTest, IsABinaryPlistOfSaltedPbkdf2)
{
    std::optional<PlistData> hash = makeShadowHashData("secret");
    ASSERT_TRUE(hash);
    ASSERT_EQ(bytesOf(*hash).substr(0, 8), "bplist00");
    std::optional<PlistValue> root = parsePlist(bytesOf(*hash));
    ASSERT_TRUE(root && root->dictionary());
    const PlistValue* entry = root->dictionary()->find("SALTED-SHA512-PBKDF2");
    ASSERT_TRUE(entry && entry->dictionary());
    const PlistDictionary& fields = *entry->dictionary();
    ASSERT_TRUE(fields.find("salt") && fields.find("salt")->data());
    EXPECT_EQ(fields.find("salt")->data()->size(), 32u);
    ASSERT_TRUE(fields.find("entropy") && fields.find("entropy")->data());
    EXPECT_EQ(fields.find("entropy")->data()->size(), 128u);
    ASSERT_TRUE(fields.find("iterations") && fields.find("iterations")->integer());
    EXPECT_GE(*fields.find("iterations")->integer(), 100000);
    EXPECT_EQ(bytesOf(*hash).find("secret"), std::string_view::npos);
}

// Records hashed before the iteration count went up still let their users in.
TEST(PasswordHashTest, OlderHashesWithFewerIterationsStillVerify)
{
    const std::optional<PlistData> older = makeShadowHashData("secret", 5000);
    ASSERT_TRUE(older);
    EXPECT_TRUE(shadowHashMatches(*older, "secret"));
    EXPECT_FALSE(shadowHashMatches(*older, "Secret"));
}

TEST(PasswordHashTest, MatchesOnlyTheExactPassword)
{
    const std::string password = "pa ss\xC3\xA9 ";
    std::optional<PlistData> hash = makeShadowHashData(password, 1000);
    ASSERT_TRUE(hash);
    EXPECT_TRUE(shadowHashMatches(*hash, password));
    for (const char* other : {"", "pa ss\xC3\xA9", "Pa ss\xC3\xA9 ", "pa ss\xC3\xA9  "})
        EXPECT_FALSE(shadowHashMatches(*hash, other)) << other;
}

TEST(PasswordHashTest, EachHashHasItsOwnSalt)
{
    std::optional<PlistData> first = makeShadowHashData("same", 1000);
    std::optional<PlistData> second = makeShadowHashData("same", 1000);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(shadowHashMatches(*second, "same"));
}

// A record hashed elsewhere: the entropy was computed once, outside this program, by both
//   python3 -c "import hashlib; print(hashlib.pbkdf2_hmac('sha512', b'correct horse', bytes(range(32)), 1000, 128))"
//   openssl kdf -keylen 128 -kdfopt digest:SHA512 -kdfopt 'pass:correct horse'
//       -kdfopt hexsalt:000102...1e1f -kdfopt iter:1000 PBKDF2
// so a different digest or derivation behind the record's SALTED-SHA512-PBKDF2 label cannot pass.
TEST(PasswordHashTest, VerifiesAKnownAnswerFromAnIndependentTool)
{
    const std::string record =
        "<plist version=\"1.0\"><dict><key>SALTED-SHA512-PBKDF2</key><dict>"
        "<key>entropy</key><data>"
        "ezTXKzrtu3uRVUVG5Asx+GIToYvZs6A8p9VT93h5rTS3g4N0Ydgj1eHhoSfCakJbZ+8yBtrZcUWPJXR27jWxDiJes0K9SSsXFqtbYl7+"
        "H2HjyqE4f+OOT/Wn63XuIRB60BWbB+tg1+cpWP0W4kLsvR/B70mTxuTRBuqUi0LJLus="
        "</data><key>iterations</key><integer>1000</integer>"
        "<key>salt</key><data>AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=</data>"
        "</dict></dict></plist>";
    const PlistData data(record.begin(), record.end());
    EXPECT_TRUE(shadowHashMatches(data, "correct horse"));
    EXPECT_FALSE(shadowHashMatches(data, "correct horsE"));
}

TEST(PasswordHashTest, MalformedDataNeverMatches)
{
    const std::string xmlWithoutSalt = "<plist version=\"1.0\"><dict><key>SALTED-SHA512-PBKDF2</key><dict>"
                                       "<key>entropy</key><data>AAAA</data><key>iterations</key><integer>10</integer>"
                                       "</dict></dict></plist>";
    const std::string hugeIterations = "<plist version=\"1.0\"><dict><key>SALTED-SHA512-PBKDF2</key><dict>"
                                       "<key>entropy</key><data>AAAA</data><key>iterations</key>"
                                       "<integer>999999999999</integer><key>salt</key><data>AAAA</data>"
                                       "</dict></dict></plist>";
    for (const std::string& bytes : {std::string(), std::string("garbage"), xmlWithoutSalt, hugeIterations}) {
        PlistData data(bytes.begin(), bytes.end());
        EXPECT_FALSE(shadowHashMatches(data, "")) << bytes;
    }
}

} // namespace
} // namespace veltrona::test
