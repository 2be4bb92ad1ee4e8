#include "backup/BackupFile.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <fstream>
#include <iterator>
#include <memory>

namespace veltrona {

namespace {

constexpr std::string_view kMagic{"VELTRONA-BACKUP\n", 16};
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;
constexpr std::size_t kKeySize = 32;
// magic, version (2), logN (1), r (4), p (4), salt, nonce, payload length (8)
constexpr std::size_t kHeaderSize = kMagic.size() + 2 + 1 + 4 + 4 + kSaltSize + kNonceSize + 8;
// Bounds on what a header may ask of scrypt, so a crafted file cannot make us spend gigabytes.
constexpr std::uint8_t kMaxLogN = 20;
constexpr std::uint32_t kMaxR = 16;
constexpr std::uint32_t kMaxP = 4;
constexpr std::uint64_t kMaxMemory = 1ULL << 31;

struct Header {
    std::uint16_t version = kBackupFormatVersion;
    BackupKdfCost cost;
    std::array<unsigned char, kSaltSize> salt{};
    std::array<unsigned char, kNonceSize> nonce{};
    std::uint64_t length = 0;
};

void putNumber(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

std::uint64_t takeNumber(std::string_view in, std::size_t& at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | static_cast<unsigned char>(in[at++]);
    return value;
}

std::string headerBytes(const Header& header)
{
    std::string out(kMagic);
    putNumber(out, header.version, 2);
    putNumber(out, header.cost.logN, 1);
    putNumber(out, header.cost.r, 4);
    putNumber(out, header.cost.p, 4);
    out.append(reinterpret_cast<const char*>(header.salt.data()), header.salt.size());
    out.append(reinterpret_cast<const char*>(header.nonce.data()), header.nonce.size());
    putNumber(out, header.length, 8);
    return out;
}

bool costAcceptable(const BackupKdfCost& cost)
{
    return cost.logN >= 1 && cost.logN <= kMaxLogN && cost.r >= 1 && cost.r <= kMaxR && cost.p >= 1 && cost.p <= kMaxP;
}

std::optional<std::array<unsigned char, kKeySize>> deriveKey(std::string_view passphrase, const Header& header)
{
    std::array<unsigned char, kKeySize> key{};
    const std::uint64_t n = 1ULL << header.cost.logN;
    if (EVP_PBE_scrypt(passphrase.data(), passphrase.size(), header.salt.data(), header.salt.size(), n, header.cost.r,
                       header.cost.p, kMaxMemory, key.data(), key.size())
        != 1)
        return std::nullopt;
    return key;
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// AES-256-GCM one way or the other; for decryption `tag` is checked, for encryption filled in.
bool runGcm(bool encrypt, const std::array<unsigned char, kKeySize>& key, const Header& header,
            std::string_view associated, std::string_view input, std::string& output, unsigned char* tag)
{
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!context)
        return false;
    EVP_CIPHER_CTX* c = context.get();
    if (EVP_CipherInit_ex(c, EVP_aes_256_gcm(), nullptr, nullptr, nullptr, encrypt ? 1 : 0) != 1
        || EVP_CIPHER_CTX_ctrl(c, EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(kNonceSize), nullptr) != 1
        || EVP_CipherInit_ex(c, nullptr, nullptr, key.data(), header.nonce.data(), encrypt ? 1 : 0) != 1)
        return false;
    int written = 0;
    if (EVP_CipherUpdate(c, nullptr, &written, reinterpret_cast<const unsigned char*>(associated.data()),
                         static_cast<int>(associated.size()))
        != 1)
        return false;
    output.assign(input.size() + kTagSize, '\0');
    auto* out = reinterpret_cast<unsigned char*>(output.data());
    if (EVP_CipherUpdate(c, out, &written, reinterpret_cast<const unsigned char*>(input.data()),
                         static_cast<int>(input.size()))
        != 1)
        return false;
    int total = written;
    if (!encrypt && EVP_CIPHER_CTX_ctrl(c, EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag) != 1)
        return false;
    if (EVP_CipherFinal_ex(c, out + total, &written) != 1)
        return false;
    total += written;
    output.resize(static_cast<std::size_t>(total));
    return !encrypt || EVP_CIPHER_CTX_ctrl(c, EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize), tag) == 1;
}

} // namespace

std::optional<std::string> sealBackup(std::string_view payload, std::string_view passphrase, BackupKdfCost cost)
{
    Header header;
    header.cost = cost;
    header.length = payload.size();
    if (!costAcceptable(cost) || payload.size() > static_cast<std::size_t>(INT32_MAX)
        || RAND_bytes(header.salt.data(), static_cast<int>(header.salt.size())) != 1
        || RAND_bytes(header.nonce.data(), static_cast<int>(header.nonce.size())) != 1)
        return std::nullopt;
    const std::optional<std::array<unsigned char, kKeySize>> key = deriveKey(passphrase, header);
    if (!key)
        return std::nullopt;
    const std::string associated = headerBytes(header);
    std::string ciphertext;
    std::array<unsigned char, kTagSize> tag{};
    if (!runGcm(true, *key, header, associated, payload, ciphertext, tag.data()))
        return std::nullopt;
    return associated + ciphertext + std::string(reinterpret_cast<const char*>(tag.data()), tag.size());
}

OpenedBackup openBackup(std::string_view file, std::string_view passphrase)
{
    OpenedBackup opened;
    if (!file.starts_with(kMagic))
        return opened;
    // The version comes right after the magic, so a later format is named even when the rest of
    // its header has another shape.
    std::size_t at = kMagic.size();
    if (file.size() < at + 2) {
        opened.problem = BackupOpenProblem::Truncated;
        return opened;
    }
    Header header;
    header.version = static_cast<std::uint16_t>(takeNumber(file, at, 2));
    opened.version = header.version;
    if (header.version > kBackupFormatVersion) {
        opened.problem = BackupOpenProblem::NewerFormat;
        return opened;
    }
    if (header.version != kBackupFormatVersion) {
        opened.problem = BackupOpenProblem::WrongPassphraseOrDamaged;
        return opened;
    }
    if (file.size() < kHeaderSize) {
        opened.problem = BackupOpenProblem::Truncated;
        return opened;
    }
    header.cost.logN = static_cast<std::uint8_t>(takeNumber(file, at, 1));
    header.cost.r = static_cast<std::uint32_t>(takeNumber(file, at, 4));
    header.cost.p = static_cast<std::uint32_t>(takeNumber(file, at, 4));
    for (unsigned char& byte : header.salt)
        byte = static_cast<unsigned char>(file[at++]);
    for (unsigned char& byte : header.nonce)
        byte = static_cast<unsigned char>(file[at++]);
    header.length = takeNumber(file, at, 8);
    const std::size_t rest = file.size() - kHeaderSize;
    if (header.length > static_cast<std::uint64_t>(INT32_MAX) || rest < header.length + kTagSize) {
        opened.problem = BackupOpenProblem::Truncated;
        return opened;
    }
    // Bytes after the tag, or a cost no sealing of ours asks for, are damage.
    opened.problem = BackupOpenProblem::WrongPassphraseOrDamaged;
    if (rest != header.length + kTagSize || !costAcceptable(header.cost))
        return opened;
    const std::optional<std::array<unsigned char, kKeySize>> key = deriveKey(passphrase, header);
    if (!key)
        return opened;
    std::array<unsigned char, kTagSize> tag{};
    const std::string_view ciphertext = file.substr(kHeaderSize, header.length);
    for (std::size_t i = 0; i < kTagSize; ++i)
        tag[i] = static_cast<unsigned char>(file[kHeaderSize + header.length + i]);
    std::string payload;
    if (!runGcm(false, *key, header, file.substr(0, kHeaderSize), ciphertext, payload, tag.data()))
        return opened;
    opened.payload = std::move(payload);
    return opened;
}

std::optional<std::string> readBackupFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(stream), {});
    if (!stream && !stream.eof())
        return std::nullopt;
    return bytes;
}

std::string backupOpenProblemText(BackupOpenProblem problem, std::uint16_t version)
{
    switch (problem) {
    case BackupOpenProblem::NotABackup: return "The file is not a Veltrona backup.";
    case BackupOpenProblem::Truncated: return "The backup file is truncated: it ends before its data does.";
    case BackupOpenProblem::NewerFormat:
        return "The backup was made by a newer version of Veltrona (format " + std::to_string(version)
               + "); this version reads format " + std::to_string(kBackupFormatVersion) + " only.";
    case BackupOpenProblem::WrongPassphraseOrDamaged: break;
    }
    return "The passphrase is wrong or the backup file is damaged (the encryption cannot tell these apart).";
}

} // namespace veltrona
