#pragma once
// A certificate authority made with the openssl tool for one test: a root, an intermediate, and
// signing certificates issued by either.

#include "tests/support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>

namespace veltrona::test {

class ThrowAwayCa {
public:
    ThrowAwayCa();

    bool ok() const { return ok_; }
    std::filesystem::path rootCertificate() const { return dir_ / "root.crt"; }
    std::filesystem::path intermediateCertificate() const { return dir_ / "intermediate.crt"; }

    struct Pair {
        std::filesystem::path certificate;
        std::filesystem::path key;
    };
    // A signing certificate and key for `name`, issued by the intermediate or by the root itself.
    Pair issue(const std::string& name, bool byIntermediate);

private:
    bool run(const std::string& command);

    TempDir dir_;
    bool ok_ = false;
    int issued_ = 0;
};

// Runs `openssl smime -verify` on a DER signed file against the CA's root alone; the signed
// content when the signature and the chain hold, nothing otherwise.
std::optional<std::string> verifiedContent(const std::filesystem::path& signedFile, const ThrowAwayCa& ca);

} // namespace veltrona::test
