#include "platform/vpnd/AdminChannel.h"

#include "foundation/AtomicFile.h"
#include "foundation/HexText.h"
#include "foundation/RegularFile.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace veltrona {

namespace {

template <typename T, void (*Free)(T*)> struct Deleter {
    void operator()(T* object) const { Free(object); }
};
using PKeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

unsigned freeLoopbackTcpPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    unsigned port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

bool addExtension(X509* certificate, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    const bool added = extension != nullptr && X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

template <typename Encode> std::string der(Encode encode)
{
    unsigned char* bytes = nullptr;
    const int length = encode(&bytes);
    std::string out;
    if (length > 0)
        out.assign(reinterpret_cast<char*>(bytes), static_cast<std::size_t>(length));
    OPENSSL_free(bytes);
    return out;
}

} // namespace

std::optional<AdminChannelMaking> makeAdminChannel()
{
    AdminChannelMaking making;
    making.channel.port = freeLoopbackTcpPort();
    unsigned char random[24];
    if (making.channel.port == 0 || RAND_bytes(random, sizeof(random)) != 1)
        return std::nullopt;
    making.channel.password = hexText(std::string_view(reinterpret_cast<const char*>(random), sizeof(random)));

    // RSA: what every SoftEther release takes as its server key.
    PKeyPtr key(EVP_RSA_gen(2048));
    X509Ptr certificate(X509_new());
    if (!key || !certificate)
        return std::nullopt;
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 3650L * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1,
                               0);
    X509_set_issuer_name(certificate.get(), name);
    X509_set_pubkey(certificate.get(), key.get());
    if (!addExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE")
        || !addExtension(certificate.get(), NID_subject_alt_name, "IP:127.0.0.1")
        || X509_sign(certificate.get(), key.get(), EVP_sha256()) == 0)
        return std::nullopt;

    making.certificateDer = der([&](unsigned char** out) { return i2d_X509(certificate.get(), out); });
    making.keyDer = der([&](unsigned char** out) { return i2d_PrivateKey(key.get(), out); });
    BioPtr pem(BIO_new(BIO_s_mem()));
    if (!pem || PEM_write_bio_X509(pem.get(), certificate.get()) != 1)
        return std::nullopt;
    char* text = nullptr;
    const long length = BIO_get_mem_data(pem.get(), &text);
    making.channel.certificatePem.assign(text, static_cast<std::size_t>(length));
    if (making.certificateDer.empty() || making.keyDer.empty())
        return std::nullopt;
    return making;
}

Status writeAdminChannel(const std::filesystem::path& file, const AdminChannel& channel,
                         const std::filesystem::path& within)
{
    std::ostringstream text;
    text << "port " << channel.port << "\npassword " << channel.password << "\n" << channel.certificatePem;
    return writeFileAtomically(file, text.str(), FileAccess::OwnerOnly, within);
}

Status writeAdminChannelUnavailable(const std::filesystem::path& file, const std::string& reason,
                                    const std::filesystem::path& within)
{
    return writeFileAtomically(file, "unavailable " + reason + "\n", FileAccess::OwnerOnly, within);
}

std::variant<AdminChannel, std::string> readAdminChannel(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return std::string();
    const std::optional<std::string> text = readRegularFile(file, 64 * 1024);
    if (!text)
        return file.string() + " cannot be read";
    if (text->starts_with("unavailable "))
        return text->substr(12, text->find('\n') - 12);
    std::istringstream in(*text);
    AdminChannel channel;
    std::string word;
    const std::size_t begin = text->find("-----BEGIN CERTIFICATE-----");
    if (!(in >> word) || word != "port" || !(in >> channel.port) || !(in >> word) || word != "password"
        || !(in >> channel.password) || begin == std::string::npos || channel.port == 0 || channel.port > 65535)
        return file.string() + " is damaged";
    channel.certificatePem = text->substr(begin);
    return channel;
}

} // namespace veltrona
