#include "vpnserver/SigningCheck.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace veltrona {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Certificate = std::unique_ptr<X509, CertificateFree>;
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

// A key that needs a pass phrase is not used for signing, so it is not asked for either.
int noPassPhrase(char*, int, int, void*)
{
    return 0;
}

Certificate readCertificate(const std::string& path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    return Certificate(file ? PEM_read_X509(file.get(), nullptr, nullptr, nullptr) : nullptr);
}

Key readKey(const std::string& path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    return Key(file ? PEM_read_PrivateKey(file.get(), nullptr, noPassPhrase, nullptr) : nullptr);
}

bool exists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

SetupCheck failing(std::string message)
{
    return {kSigningCheck, CheckResult::Fail, std::move(message)};
}

} // namespace

SetupCheck checkSigning(const SigningCheckFiles& files, std::time_t now)
{
    const bool haveCertificate = exists(files.certificate);
    const bool haveKey = exists(files.key);
    if (!haveCertificate && !haveKey)
        return {kSigningCheck, CheckResult::Pass, "no certificate of the host's own"};
    if (!haveKey)
        return failing("Put the private key for " + files.certificate + " at " + files.key + ".");
    if (!haveCertificate)
        return failing("Put the certificate for " + files.key + " at " + files.certificate + ".");

    const Certificate certificate = readCertificate(files.certificate);
    if (!certificate)
        return failing("Replace " + files.certificate + " with a certificate in PEM form.");
    const Key key = readKey(files.key);
    if (!key)
        return failing("Replace " + files.key + " with a private key in PEM form without a pass phrase.");
    if (X509_check_private_key(certificate.get(), key.get()) != 1)
        return failing("Replace the key or the certificate so that they belong together.");

    std::time_t expiry = now;
    if (X509_cmp_time(X509_get0_notAfter(certificate.get()), &expiry) <= 0)
        return failing("Renew the certificate: it has expired.");
    expiry = now + std::time_t{kExpiryWarningDays} * 24 * 60 * 60;
    if (X509_cmp_time(X509_get0_notAfter(certificate.get()), &expiry) <= 0)
        return failing("Renew the certificate: it expires within 30 days.");

    if (exists(files.chain)) {
        const Certificate issuer = readCertificate(files.chain);
        if (!issuer || X509_check_issued(issuer.get(), certificate.get()) != X509_V_OK)
            return failing("Replace " + files.chain + " with the certificate that issued the host's certificate.");
    }
    return {kSigningCheck, CheckResult::Pass, "the certificate and key belong together and stay valid"};
}

} // namespace veltrona
