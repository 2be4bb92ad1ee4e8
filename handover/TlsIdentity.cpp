#include "handover/TlsIdentity.h"

#include "foundation/AddressText.h"
#include "profiles/SigningMaterial.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>


namespace veltrona {

namespace {

std::shared_ptr<X509> ownX509(X509* certificate)
{
    return certificate ? std::shared_ptr<X509>(certificate, X509_free) : nullptr;
}

std::shared_ptr<EVP_PKEY> ownKey(EVP_PKEY* key)
{
    return key ? std::shared_ptr<EVP_PKEY>(key, EVP_PKEY_free) : nullptr;
}

// Instead of OpenSSL's terminal prompt: nothing ever waits for a pass phrase.
int noPassPhrase(char*, int, int, void*)
{
    return -1;
}

std::shared_ptr<X509> readCertificate(const std::string& path)
{
    const std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(path.c_str(), "rb"), &BIO_free);
    return file ? ownX509(PEM_read_bio_X509(file.get(), nullptr, noPassPhrase, nullptr)) : nullptr;
}

std::shared_ptr<EVP_PKEY> readKey(const std::string& path)
{
    const std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(path.c_str(), "rb"), &BIO_free);
    return file ? ownKey(PEM_read_bio_PrivateKey(file.get(), nullptr, noPassPhrase, nullptr)) : nullptr;
}

bool addExtension(X509* certificate, int nid, const std::string& value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (!extension)
        return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

} // namespace

std::optional<TlsIdentity> readSigningIdentity(const PlatformPaths& platform, std::string_view host)
{
    const std::optional<SigningMaterial> material = findSigningMaterial(platform, host);
    if (!material)
        return std::nullopt;
    TlsIdentity identity;
    identity.certificate = readCertificate(material->signer);
    identity.key = readKey(material->key);
    if (material->intermediate) {
        if (std::shared_ptr<X509> intermediate = readCertificate(*material->intermediate))
            identity.chain.push_back(std::move(intermediate));
    }
    const bool usable = identity.certificate && identity.key
                        && X509_check_private_key(identity.certificate.get(), identity.key.get()) == 1;
    ERR_clear_error();
    if (!usable)
        return std::nullopt;
    return identity;
}

std::optional<TlsIdentity> throwAwayIdentity(std::string_view address)
{
    TlsIdentity identity;
    identity.throwAway = true;
    identity.key = ownKey(EVP_EC_gen("P-256"));
    identity.certificate = ownX509(X509_new());
    X509* certificate = identity.certificate.get();
    if (!identity.key || !certificate) {
        ERR_clear_error();
        return std::nullopt;
    }
    const std::string name(address.empty() ? std::string_view("localhost") : address);
    const std::string alternative = (isIPAddress(name) ? "IP:" : "DNS:") + name;
    // A random serial, so no two offers' certificates look alike to a phone that remembers one.
    unsigned char serial[16];
    bool made = X509_set_version(certificate, 2) == 1 && RAND_bytes(serial, sizeof serial) == 1;
    serial[0] &= 0x7f; // a positive serial number
    const std::unique_ptr<BIGNUM, decltype(&BN_free)> number(BN_bin2bn(serial, sizeof serial, nullptr), &BN_free);
    made = made && number && BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(certificate)) != nullptr;
    X509_NAME* subject = X509_get_subject_name(certificate);
    made = made
           && X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                         reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0)
                  == 1;
    made = made && X509_set_issuer_name(certificate, subject) == 1;
    made = made && X509_gmtime_adj(X509_getm_notBefore(certificate), -60) != nullptr;
    made = made && X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 60 * 60) != nullptr;
    made = made && X509_set_pubkey(certificate, identity.key.get()) == 1;
    made = made && addExtension(certificate, NID_subject_alt_name, alternative);
    made = made && addExtension(certificate, NID_basic_constraints, "critical,CA:FALSE");
    made = made && X509_sign(certificate, identity.key.get(), EVP_sha256()) > 0;
    ERR_clear_error();
    if (!made)
        return std::nullopt;
    return identity;
}

} // namespace veltrona
