#include "platform/emulated/AuthorizationLiveForms.h"

#include "foundation/PlistIO.h"

// The low-level digest calls skip OpenSSL 3's provider start-up, about a millisecond of every
// shellTool run; they are deprecated, not removed.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace veltrona {

namespace {

std::string hexDigest(const AuthorizationExternalForm& form)
{
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256_CTX context;
    SHA256_Init(&context);
    SHA256_Update(&context, form.bytes.data(), form.bytes.size());
    SHA256_Final(digest, &context);
    static const char* const digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0xf]);
    }
    return hex;
}

bool isZero(const AuthorizationExternalForm& form)
{
    return std::all_of(form.bytes.begin(), form.bytes.end(), [](std::uint8_t b) { return b == 0; });
}

} // namespace

std::optional<std::uint64_t> processStartTime(pid_t pid)
{
    if (pid <= 0)
        return std::nullopt;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!stat || !std::getline(stat, line))
        return std::nullopt;
    // The command name in parentheses may hold blanks and parentheses: fields follow the last ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    // After the name: state is field 3, starttime field 22.
    for (int index = 3; index <= 22; ++index) {
        if (!(fields >> field))
            return std::nullopt;
    }
    std::uint64_t ticks = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), ticks);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return ticks;
}

AuthorizationLiveForms::AuthorizationLiveForms(std::filesystem::path platformRoot) : root_(std::move(platformRoot)) {}

std::filesystem::path AuthorizationLiveForms::folder() const
{
    return root_ / "var/run/authorization";
}

std::filesystem::path AuthorizationLiveForms::fileFor(const AuthorizationExternalForm& form) const
{
    return folder() / (hexDigest(form) + ".plist");
}

Status AuthorizationLiveForms::record(const AuthorizationExternalForm& form, const std::set<std::string>& rights)
{
    std::optional<std::uint64_t> started = processStartTime(::getpid());
    if (!started)
        return Status::failure(1, "Cannot read this process's start time.");
    std::error_code ec;
    std::filesystem::create_directories(folder(), ec);
    // Only the owner may see which authorizations are live.
    if (::chmod(folder().c_str(), 0700) != 0)
        return Status::failure(1, "Cannot protect " + folder().string() + ".");

    PlistArray rightNames;
    for (const std::string& right : rights)
        rightNames.emplace_back(right);
    PlistDictionary entry;
    entry.set("rights", rightNames);
    entry.set("pid", static_cast<std::int64_t>(::getpid()));
    entry.set("start", std::to_string(*started));
    const std::filesystem::path file = fileFor(form);
    if (Status written = writePlistAtomically(entry, file); !written.ok())
        return written;
    if (::chmod(file.c_str(), 0600) != 0)
        return Status::failure(1, "Cannot protect " + file.string() + ".");
    return Status::success();
}

void AuthorizationLiveForms::forget(const AuthorizationExternalForm& form)
{
    std::error_code ec;
    std::filesystem::remove(fileFor(form), ec);
}

AuthorizationLiveForms::Check AuthorizationLiveForms::check(const AuthorizationExternalForm& form, std::string_view right)
{
    if (isZero(form))
        return Check::Unknown;
    const std::filesystem::path file = fileFor(form);
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return Check::Unknown;
    std::optional<PlistValue> entry = readPlistFile(file);
    const PlistDictionary* fields = entry ? entry->dictionary() : nullptr;
    const PlistValue* pid = fields ? fields->find("pid") : nullptr;
    const PlistValue* start = fields ? fields->find("start") : nullptr;
    const PlistValue* rights = fields ? fields->find("rights") : nullptr;
    if (!pid || !pid->integer() || !start || !start->string() || !rights || !rights->array())
        return Check::Unknown;

    std::optional<std::uint64_t> started = processStartTime(static_cast<pid_t>(*pid->integer()));
    if (!started || std::to_string(*started) != *start->string()) {
        forget(form);
        return Check::Stale;
    }
    for (const PlistValue& held : *rights->array()) {
        if (held.string() && *held.string() == right)
            return Check::Valid;
    }
    return Check::LacksRight;
}

} // namespace veltrona
