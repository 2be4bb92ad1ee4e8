#pragma once
// The sealed backup file: a clear header (magic, format version, scrypt parameters, salt, nonce,
// payload length) followed by the payload encrypted with AES-256-GCM under a key that scrypt
// derives from the passphrase. The header is the cipher's associated data, so a changed header
// fails authentication like a changed byte of the payload.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

inline constexpr std::uint16_t kBackupFormatVersion = 1;
inline constexpr const char* kNoPassphrase = "No passphrase was given.";
inline constexpr const char* kPassphrasesDiffer = "The passphrases do not match.";
// What save and open panels propose for a backup's name.
inline constexpr const char* kBackupFileExtension = "backup";

// Why a file does not open, each found as early as it can be: the structure before the key is
// derived, the key and the tag last.
enum class BackupOpenProblem {
    NotABackup,              // no backup header at all
    Truncated,               // a backup header, but fewer bytes than it announces
    NewerFormat,             // made by a later format this version cannot read
    WrongPassphraseOrDamaged // authentication failed: GCM cannot say which of the two
};

struct OpenedBackup {
    std::optional<std::string> payload;
    BackupOpenProblem problem = BackupOpenProblem::NotABackup;
    std::uint16_t version = 0; // the file's format version, for the message on a newer one
};

// scrypt's work factor as log2 of N, with r and p; the defaults cost about 32 MiB and a fraction
// of a second. Tests may ask for less.
struct BackupKdfCost {
    std::uint8_t logN = 15;
    std::uint32_t r = 8;
    std::uint32_t p = 1;
};

// The sealed bytes; nothing when OpenSSL fails (no randomness, no memory).
std::optional<std::string> sealBackup(std::string_view payload, std::string_view passphrase, BackupKdfCost cost = {});

OpenedBackup openBackup(std::string_view file, std::string_view passphrase);

// A file's bytes (an empty file gives ""); nothing when it cannot be opened or read.
std::optional<std::string> readBackupFile(const std::filesystem::path& path);

// The user's message for a problem; `version` for NewerFormat.
std::string backupOpenProblemText(BackupOpenProblem problem, std::uint16_t version);

} // namespace veltrona
