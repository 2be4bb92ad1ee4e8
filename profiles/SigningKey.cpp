#include "profiles/SigningKey.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

namespace veltrona {

namespace {

// Called by OpenSSL instead of its terminal prompt; answering with no pass phrase fails the read.
int refusePassPhrase(char*, int, int, void* asked)
{
    *static_cast<bool*>(asked) = true;
    return -1;
}

} // namespace

SigningKeyState signingKeyState(const std::string& keyPath)
{
    const std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(keyPath.c_str(), "rb"), &BIO_free);
    if (!file) {
        ERR_clear_error();
        return SigningKeyState::Unknown;
    }
    bool asked = false;
    EVP_PKEY* key = PEM_read_bio_PrivateKey(file.get(), nullptr, refusePassPhrase, &asked);
    ERR_clear_error();
    if (key) {
        EVP_PKEY_free(key);
        return SigningKeyState::Usable;
    }
    return asked ? SigningKeyState::NeedsPassPhrase : SigningKeyState::Unknown;
}

} // namespace veltrona
