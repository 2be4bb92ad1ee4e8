#include "profiles/SigningMaterial.h"

#include "platform/ShellWord.h"

#include <filesystem>

namespace veltrona {

namespace {

bool isFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool canBeFileName(std::string_view name)
{
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::optional<SigningMaterial> pairFor(const PlatformPaths& platform, std::string_view name, bool withIntermediate)
{
    const SigningFiles files = signingFilesFor(platform, name);
    if (!isFile(files.certificate) || !isFile(files.key))
        return std::nullopt;
    SigningMaterial material{files.certificate, files.key, std::nullopt};
    if (withIntermediate && isFile(files.intermediate))
        material.intermediate = files.intermediate;
    return material;
}

} // namespace

SigningFiles signingFilesFor(const PlatformPaths& platform, std::string_view name)
{
    const std::string certs = platform.map(kCertificateFolder);
    const std::string keys = platform.map(kPrivateKeyFolder);
    const std::string n(name);
    return {certs + n + ".crt", keys + n + ".key", certs + n + ".IntermediateCA.crt"};
}

std::optional<SigningMaterial> findSigningMaterial(const PlatformPaths& platform, std::string_view host)
{
    if (canBeFileName(host)) {
        if (std::optional<SigningMaterial> own = pairFor(platform, host, true))
            return own;
    }
    return pairFor(platform, kFallbackSigningName, false);
}

bool signingPossible(const PlatformPaths& platform, std::string_view host)
{
    return findSigningMaterial(platform, host).has_value();
}

std::string signingCommand(const std::string& profilePath, const std::string& signedProfilePath,
                           const SigningMaterial& material)
{
    std::string command = "/usr/bin/openssl smime -sign -in " + shellWord(profilePath) + " -out "
                          + shellWord(signedProfilePath) + " -signer " + shellWord(material.signer) + " -inkey "
                          + shellWord(material.key)
                          // An empty pass phrase given outright: openssl never turns to the terminal.
                          + " -passin pass:";
    if (material.intermediate)
        command += " -certfile " + shellWord(*material.intermediate);
    return command + " -outform der -nodetach";
}

} // namespace veltrona
