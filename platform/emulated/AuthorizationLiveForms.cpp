#include "platform/emulated/AuthorizationLiveForms.h"

#include "foundation/AtomicFile.h"
#include "foundation/HexText.h"
#include "foundation/RegularFile.h"

// The low-level digest calls skip OpenSSL 3's provider start-up, about a millisecond of every
// shellTool run; they are deprecated, not removed.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <algorithm>
#include <charconv>
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
    return hexText(std::string_view(reinterpret_cast<const char*>(digest), sizeof(digest)));
}

bool isZero(const AuthorizationExternalForm& form)
{
    return std::all_of(form.bytes.begin(), form.bytes.end(), [](std::uint8_t b) { return b == 0; });
}

} // namespace

AuthorizationLiveForms::AuthorizationLiveForms(std::filesystem::path platformRoot) : root_(std::move(platformRoot))
{
}

std::filesystem::path AuthorizationLiveForms::folder() const
{
    return root_ / "var/run/authorization";
}

std::filesystem::path AuthorizationLiveForms::fileFor(const AuthorizationExternalForm& form) const
{
    return folder() / hexDigest(form);
}

Status AuthorizationLiveForms::record(const AuthorizationExternalForm& form, const std::set<std::string>& rights)
{
    std::optional<std::uint64_t> started = processStartTime(::getpid());
    if (!started)
        return Status::failure(1, "Cannot read this process's start time.");
    std::error_code ec;
    std::filesystem::create_directories(folder(), ec);
    // Only the owner may see which authorizations are live.
    if (!setModeNotFollowingLinks(folder(), 0700) || !liesWithin(folder(), root_))
        return Status::failure(1, "Cannot protect " + folder().string() + ".");

    dropEnded();

    // Plain lines, not a property list: shellTool reads them at every command and so never loads
    // the property-list library.
    std::string entry = "pid " + std::to_string(::getpid()) + "\nstart " + std::to_string(*started) + "\n";
    for (const std::string& right : rights)
        entry += "right " + right + "\n";
    return writeFileAtomically(fileFor(form), entry, FileAccess::OwnerOnly, root_);
}

void AuthorizationLiveForms::forget(const AuthorizationExternalForm& form)
{
    std::error_code ec;
    std::filesystem::remove(fileFor(form), ec);
}

namespace {

struct FormEntry {
    std::optional<pid_t> pid;
    std::string start;
    bool holdsRight = false;
};

// The entry in a form's file; nothing for what is not such a file of ours.
std::optional<FormEntry> readEntry(const std::filesystem::path& file, std::string_view right)
{
    struct stat info { };
    if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return std::nullopt;
    // A FIFO or other non-file in its place is no form; it must not block the helper either.
    const std::optional<std::string> text = readRegularFile(file, 4096);
    if (!text)
        return std::nullopt;
    std::optional<pid_t> pid;
    std::string start;
    bool holdsRight = false;
    // Plain lines, read without streams: their start-up would cost every shellTool run.
    for (std::string_view rest = *text; !rest.empty();) {
        const std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(line.size() + 1, rest.size()));
        const std::size_t blank = line.find(' ');
        const std::string_view key = line.substr(0, blank);
        const std::string value = blank == std::string_view::npos ? std::string() : std::string(line.substr(blank + 1));
        if (key == "pid") {
            pid_t number = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
            if (error == std::errc() && end == value.data() + value.size() && number > 0)
                pid = number;
        } else if (key == "start") {
            start = value;
        } else if (key == "right") {
            holdsRight = holdsRight || value == right;
        }
    }
    if (!pid || start.empty())
        return std::nullopt;
    return FormEntry{pid, start, holdsRight};
}

// Whether the authorizing process still runs: the same pid started at the same time.
bool authorizerLives(const FormEntry& entry)
{
    const std::optional<std::uint64_t> started = processStartTime(*entry.pid);
    return started && std::to_string(*started) == entry.start;
}

} // namespace

AuthorizationLiveForms::Check AuthorizationLiveForms::check(const AuthorizationExternalForm& form,
                                                            std::string_view right)
{
    if (isZero(form))
        return Check::Unknown;
    const std::optional<FormEntry> entry = readEntry(fileFor(form), right);
    if (!entry)
        return Check::Unknown;
    if (!authorizerLives(*entry)) {
        forget(form);
        return Check::Stale;
    }
    return entry->holdsRight ? Check::Valid : Check::LacksRight;
}

void AuthorizationLiveForms::dropEnded()
{
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(folder(), ec)) {
        const std::optional<FormEntry> entry = readEntry(item.path(), {});
        if (entry && !authorizerLives(*entry))
            std::filesystem::remove(item.path(), ec);
    }
}

} // namespace veltrona
