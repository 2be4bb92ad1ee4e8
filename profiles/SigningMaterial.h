#pragma once
// The certificate and key a profile is signed with, and the openssl command that signs it.

#include "platform/PlatformPaths.h"

#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

inline constexpr const char* kCertificateFolder = "/usr/local/quillfen/ssl/certs/";
inline constexpr const char* kPrivateKeyFolder = "/usr/local/quillfen/ssl/private/";
// The pair used when the host has none of its own.
inline constexpr const char* kFallbackSigningName = "testServer";

// Where the files named after `name` (a host, or the fallback) lie, mapped onto this machine.
struct SigningFiles {
    std::string certificate;  // certs/NAME.crt
    std::string key;          // private/NAME.key
    std::string intermediate; // certs/NAME.IntermediateCA.crt
};
SigningFiles signingFilesFor(const PlatformPaths& platform, std::string_view name);

struct SigningMaterial {
    std::string signer;
    std::string key;
    std::optional<std::string> intermediate; // only ever with the host's own pair
};

// The host's own certificate and key when both exist (with its intermediate certificate when that
// exists too), else the fallback pair, else nothing. A host that cannot be a file name (holding
// "/" or NUL) has no pair of its own, so it cannot lead the look-up out of the folders.
std::optional<SigningMaterial> findSigningMaterial(const PlatformPaths& platform, std::string_view host);

// Whether a profile for this host can be signed: the account sheets' signing check box.
bool signingPossible(const PlatformPaths& platform, std::string_view host);

// "/usr/bin/openssl smime -sign -in PROFILE -out SIGNED -signer CERT -inkey KEY -passin pass:[ -certfile CA]
// -outform der -nodetach", each path one shell word (quoted only when it needs to be). The empty
// pass phrase keeps openssl from ever asking for one on a terminal (issue 17).
std::string signingCommand(const std::string& profilePath, const std::string& signedProfilePath,
                           const SigningMaterial& material);

} // namespace veltrona
