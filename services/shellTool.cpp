// shellTool: the privileged helper. Reads a 32-byte authorization external form from standard
// input and, only when it names a live authorization holding the program's right, executes its
// arguments (the program first) with the platform's tools first on PATH.
#include "platform/PlatformBackend.h"
#include "platform/PlatformPaths.h"
#include "platform/PlatformRoot.h"
#include "services/TaskWrapper.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace veltrona;

int refuse(const std::string& message)
{
    std::fprintf(stderr, "shellTool: %s\n", message.c_str());
    return 1;
}

// Exactly the form's bytes; standard input is left at whatever follows.
bool readExternalForm(AuthorizationExternalForm& form)
{
    std::size_t have = 0;
    while (have < form.bytes.size()) {
        const ssize_t count = ::read(STDIN_FILENO, form.bytes.data() + have, form.bytes.size() - have);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        have += static_cast<std::size_t>(count);
    }
    return true;
}

// A platform program the root holds (/bin/launchctl) runs from the root; anything else, such as
// /bin/sh, is the machine's own.
std::string hostProgramPath(const PlatformPaths& paths, const std::string& program)
{
    if (program.empty() || program.front() != '/' || program.find("/../") != std::string::npos)
        return program;
    const std::string mapped = paths.map(program);
    std::error_code error;
    const bool runnable = std::filesystem::is_regular_file(mapped, error) && ::access(mapped.c_str(), X_OK) == 0;
    return runnable ? mapped : program;
}

void putPlatformFirstOnPath(const std::filesystem::path& root)
{
    std::string path;
    for (const char* folder : {"bin", "usr/bin", "usr/sbin", "sbin"})
        path += (root / folder).string() + ":";
    const char* inherited = std::getenv("PATH");
    path += inherited && *inherited ? inherited : "/usr/bin:/bin:/usr/sbin:/sbin";
    ::setenv("PATH", path.c_str(), 1);
    // The tools started below find the same root, even when it was the default one.
    ::setenv(kPlatformRootVariable, root.c_str(), 1);
}

} // namespace

int main(int argc, char** argv)
{
    AuthorizationExternalForm form;
    if (!readExternalForm(form))
        return refuse("no authorization on standard input");
    if (argc < 2)
        return refuse("no command to run");
    if (form == AuthorizationExternalForm{})
        return refuse("not authorized");

    const ResolvedRoot resolved = resolvePlatformRoot();
    if (!resolved.status)
        return refuse(resolved.status.message());
    if (!isPlatformRoot(resolved.root))
        return refuse("there is no platform root at " + resolved.root.string());
    const PlatformPaths paths(resolved.root);
    // Asked without the rest of Authorization Services, which would bring password hashing and
    // random numbers, most of libcrypto, into a tool that every privileged command starts.
    if (const OSStatus status = checkExternalForm(paths, form, kAdminRightName); status != errAuthorizationSuccess)
        return refuse("not authorized (" + std::to_string(status) + ")");

    putPlatformFirstOnPath(resolved.root);
    const std::string program = hostProgramPath(paths, argv[1]);
    // The command gets standard input, output and error only, none of the caller's other files.
    ::closefrom(3);
    ::execv(program.c_str(), argv + 1);
    std::fprintf(stderr, "shellTool: can't run %s: %s\n", argv[1], std::strerror(errno));
    return 127;
}
