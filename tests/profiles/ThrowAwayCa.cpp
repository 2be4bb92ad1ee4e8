#include "tests/profiles/ThrowAwayCa.h"

#include "platform/ShellWord.h"
#include "tests/support/FileText.h"

#include <cstdlib>
#include <fstream>
#include <optional>

namespace veltrona::test {

namespace {

std::string word(const std::filesystem::path& path)
{
    return shellWord(path.string());
}

// Elliptic-curve keys: quick to make, and accepted by smime signing.
const std::string kNewKey = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

} // namespace

ThrowAwayCa::ThrowAwayCa()
{
    std::ofstream(dir_ / "ca.ext") << "basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\n";
    std::ofstream(dir_ / "leaf.ext") << "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n";
    ok_ = run("openssl req -x509" + kNewKey + " -keyout " + word(dir_ / "root.key") + " -out " + word(rootCertificate())
              + " -subj /CN=Throw-away-root -days 2 -addext basicConstraints=critical,CA:TRUE"
                " -addext keyUsage=critical,keyCertSign,cRLSign")
          && run("openssl req" + kNewKey + " -keyout " + word(dir_ / "intermediate.key") + " -out "
                 + word(dir_ / "intermediate.csr") + " -subj /CN=Throw-away-intermediate")
          && run("openssl x509 -req -in " + word(dir_ / "intermediate.csr") + " -CA " + word(rootCertificate())
                 + " -CAkey " + word(dir_ / "root.key") + " -set_serial 2 -days 2 -extfile " + word(dir_ / "ca.ext")
                 + " -out " + word(intermediateCertificate()));
}

ThrowAwayCa::Pair ThrowAwayCa::issue(const std::string& name, bool byIntermediate)
{
    const std::string stem = "leaf" + std::to_string(++issued_);
    Pair pair{dir_ / (stem + ".crt"), dir_ / (stem + ".key")};
    const std::filesystem::path issuer = byIntermediate ? intermediateCertificate() : rootCertificate();
    const std::filesystem::path issuerKey = dir_ / (byIntermediate ? "intermediate.key" : "root.key");
    ok_ = ok_
          && run("openssl req" + kNewKey + " -keyout " + word(pair.key) + " -out " + word(dir_ / (stem + ".csr"))
                 + " -subj " + shellWord("/CN=" + name))
          && run("openssl x509 -req -in " + word(dir_ / (stem + ".csr")) + " -CA " + word(issuer) + " -CAkey "
                 + word(issuerKey) + " -set_serial " + std::to_string(100 + issued_) + " -days 2 -extfile "
                 + word(dir_ / "leaf.ext") + " -out " + word(pair.certificate));
    return pair;
}

bool ThrowAwayCa::run(const std::string& command)
{
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

std::optional<std::string> verifiedContent(const std::filesystem::path& signedFile, const ThrowAwayCa& ca)
{
    TempDir out;
    const std::string command = "openssl smime -verify -inform der -in " + word(signedFile) + " -CAfile "
                                + word(ca.rootCertificate()) + " -out " + word(out / "content") + " 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return std::nullopt;
    return readText(out / "content");
}

} // namespace veltrona::test
