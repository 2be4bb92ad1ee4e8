#include "platform/emulated/PasswordHash.h"

#include "foundation/PlistIO.h"
#include "platform/emulated/NtHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <plist/plist.h>

#include <cstdlib>
#include <string>

namespace veltrona {

namespace {

constexpr const char* kHashKey = "SALTED-SHA512-PBKDF2";
// Stored counts outside this range are not ours and would only stall a login.
constexpr std::int64_t kMaximumIterations = 10'000'000;

std::optional<PlistData> derive(std::string_view password, const PlistData& salt, int iterations, std::size_t length)
{
    PlistData entropy(length);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha512(), static_cast<int>(entropy.size()),
                          entropy.data())
        != 1)
        return std::nullopt;
    return entropy;
}

// libplist writes the binary form; foundation writes XML only.
std::optional<PlistData> binaryPlist(const PlistData& entropy, int iterations, const PlistData& salt,
                                     const std::optional<NtHash>& ntHash)
{
    plist_t hash = plist_new_dict();
    plist_dict_set_item(hash, "entropy", plist_new_data(reinterpret_cast<const char*>(entropy.data()), entropy.size()));
    plist_dict_set_item(hash, "iterations", plist_new_uint(static_cast<std::uint64_t>(iterations)));
    plist_dict_set_item(hash, "salt", plist_new_data(reinterpret_cast<const char*>(salt.data()), salt.size()));
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, kHashKey, hash);
    if (ntHash)
        plist_dict_set_item(root, kNtHashKey,
                            plist_new_data(reinterpret_cast<const char*>(ntHash->data()), ntHash->size()));
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    plist_free(root);
    if (!bytes)
        return std::nullopt;
    PlistData data(bytes, bytes + length);
    std::free(bytes);
    return data;
}

} // namespace

std::optional<PlistData> makeShadowHashData(std::string_view password, int iterations)
{
    PlistData salt(kPasswordSaltLength);
    if (iterations <= 0 || RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1)
        return std::nullopt;
    std::optional<PlistData> entropy = derive(password, salt, iterations, kPasswordEntropyLength);
    if (!entropy)
        return std::nullopt;
    return binaryPlist(*entropy, iterations, salt, ntPasswordHash(password));
}

bool shadowHashMatches(const PlistData& shadowHashData, std::string_view password)
{
    std::optional<PlistValue> root =
        parsePlist(std::string_view(reinterpret_cast<const char*>(shadowHashData.data()), shadowHashData.size()));
    if (!root || !root->dictionary())
        return false;
    const PlistValue* hash = root->dictionary()->find(kHashKey);
    if (!hash || !hash->dictionary())
        return false;
    const PlistValue* entropy = hash->dictionary()->find("entropy");
    const PlistValue* iterations = hash->dictionary()->find("iterations");
    const PlistValue* salt = hash->dictionary()->find("salt");
    if (!entropy || !entropy->data() || !iterations || !iterations->integer() || !salt || !salt->data())
        return false;
    if (*iterations->integer() <= 0 || *iterations->integer() > kMaximumIterations || entropy->data()->empty())
        return false;
    std::optional<PlistData> derived =
        derive(password, *salt->data(), static_cast<int>(*iterations->integer()), entropy->data()->size());
    return derived && CRYPTO_memcmp(derived->data(), entropy->data()->data(), derived->size()) == 0;
}

} // namespace veltrona
