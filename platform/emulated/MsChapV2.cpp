#include "platform/emulated/MsChapV2.h"

#include "foundation/HexText.h"

// Single DES and MD4 are what the protocol is made of; OpenSSL keeps them as deprecated calls.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/des.h>
#include <openssl/md4.h>
#include <openssl/sha.h>

#include <cstring>

namespace veltrona {

namespace {

using Digest = std::array<std::uint8_t, SHA_DIGEST_LENGTH>;

std::array<std::uint8_t, 8> challengeHash(const MsChapV2Exchange& exchange)
{
    SHA_CTX context;
    SHA1_Init(&context);
    SHA1_Update(&context, exchange.peerChallenge.data(), exchange.peerChallenge.size());
    SHA1_Update(&context, exchange.authenticatorChallenge.data(), exchange.authenticatorChallenge.size());
    SHA1_Update(&context, exchange.userName.data(), exchange.userName.size());
    Digest digest{};
    SHA1_Final(digest.data(), &context);
    std::array<std::uint8_t, 8> hash{};
    std::memcpy(hash.data(), digest.data(), hash.size());
    return hash;
}

// Seven key bytes spread over eight, parity bits set.
void desEncrypt(const std::uint8_t* clear, const std::uint8_t* key7, std::uint8_t* cipher)
{
    DES_cblock key;
    key[0] = key7[0];
    for (int i = 1; i < 7; ++i)
        key[i] = static_cast<std::uint8_t>((key7[i - 1] << (8 - i)) | (key7[i] >> i));
    key[7] = static_cast<std::uint8_t>(key7[6] << 1);
    DES_set_odd_parity(&key);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    DES_cblock in;
    DES_cblock out;
    std::memcpy(in, clear, 8);
    DES_ecb_encrypt(&in, &out, &schedule, DES_ENCRYPT);
    std::memcpy(cipher, out, 8);
}

} // namespace

MsChapNtResponse msChapV2NtResponse(const MsChapV2Exchange& exchange, const NtHash& ntHash)
{
    const std::array<std::uint8_t, 8> challenge = challengeHash(exchange);
    std::array<std::uint8_t, 21> padded{};
    std::memcpy(padded.data(), ntHash.data(), ntHash.size());
    MsChapNtResponse response{};
    for (int i = 0; i < 3; ++i)
        desEncrypt(challenge.data(), padded.data() + 7 * i, response.data() + 8 * i);
    return response;
}

std::string msChapV2AuthenticatorResponse(const MsChapV2Exchange& exchange, const NtHash& ntHash)
{
    static constexpr char kMagic1[] = "Magic server to client signing constant";
    static constexpr char kMagic2[] = "Pad to make it do more than one iteration";
    std::array<std::uint8_t, 16> hashHash{};
    MD4(ntHash.data(), ntHash.size(), hashHash.data());

    SHA_CTX context;
    Digest digest{};
    SHA1_Init(&context);
    SHA1_Update(&context, hashHash.data(), hashHash.size());
    SHA1_Update(&context, exchange.ntResponse.data(), exchange.ntResponse.size());
    SHA1_Update(&context, kMagic1, sizeof(kMagic1) - 1);
    SHA1_Final(digest.data(), &context);

    const std::array<std::uint8_t, 8> challenge = challengeHash(exchange);
    SHA1_Init(&context);
    SHA1_Update(&context, digest.data(), digest.size());
    SHA1_Update(&context, challenge.data(), challenge.size());
    SHA1_Update(&context, kMagic2, sizeof(kMagic2) - 1);
    SHA1_Final(digest.data(), &context);

    return "S="
           + hexText(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()), HexCase::Upper);
}

std::optional<std::string> verifyMsChapV2(const MsChapV2Exchange& exchange, const NtHash& ntHash)
{
    const MsChapNtResponse expected = msChapV2NtResponse(exchange, ntHash);
    if (CRYPTO_memcmp(expected.data(), exchange.ntResponse.data(), expected.size()) != 0)
        return std::nullopt;
    return msChapV2AuthenticatorResponse(exchange, ntHash);
}

} // namespace veltrona
