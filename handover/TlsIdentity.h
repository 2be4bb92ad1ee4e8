#pragma once
// The certificate and key an offer's HTTPS speaks with, held in memory only.

#include "platform/PlatformPaths.h"

#include <openssl/types.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

struct TlsIdentity {
    std::shared_ptr<X509> certificate;
    std::shared_ptr<EVP_PKEY> key;
    std::vector<std::shared_ptr<X509>> chain; // the intermediate certificate, when there is one
    bool throwAway = false;
};

// The host's signing material (as profiles are signed with it), read into memory. Nothing when
// there is none, a file cannot be read, the key needs a pass phrase or does not belong to the
// certificate.
std::optional<TlsIdentity> readSigningIdentity(const PlatformPaths& platform, std::string_view host);

// A self-signed pair made for one offer and never written anywhere, named after `address` (the
// address the offer listens on, as the certificate's subject alternative name).
std::optional<TlsIdentity> throwAwayIdentity(std::string_view address);

} // namespace veltrona
