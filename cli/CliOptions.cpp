#include "cli/CliOptions.h"

namespace veltrona::cli {

namespace {

const std::set<std::string> kCommandFlags{"--apply", "--yes", "--sign", "--password-stdin", "--serve",
                                          "--passphrase-stdin"};

// The value of "--name=value" or of the next argument.
std::optional<std::string> takeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
                                     ParsedOptions& parsed)
{
    const std::string& argument = arguments[i];
    if (argument.size() > name.size() && argument.compare(0, name.size() + 1, name + "=") == 0)
        return argument.substr(name.size() + 1);
    if (i + 1 < arguments.size())
        return arguments[++i];
    parsed.error = Failure{kRefused, name + " needs a value."};
    return std::nullopt;
}

bool named(const std::string& argument, const std::string& name)
{
    return argument == name || argument.rfind(name + "=", 0) == 0;
}

} // namespace

ParsedOptions parseCliOptions(const std::vector<std::string>& arguments)
{
    ParsedOptions parsed;
    CliOptions& options = parsed.options;
    bool onlyWords = false;
    for (std::size_t i = 0; i < arguments.size() && !parsed.error; ++i) {
        const std::string& argument = arguments[i];
        if (onlyWords || argument.empty() || argument[0] != '-' || argument == "-") {
            options.words.push_back(argument);
        } else if (argument == "--") {
            onlyWords = true;
        } else if (named(argument, "--platform-root")) {
            options.platformRoot = takeValue(arguments, i, "--platform-root", parsed);
        } else if (named(argument, "--admin")) {
            options.admin = takeValue(arguments, i, "--admin", parsed);
        } else if (argument == "-o" || named(argument, "--output")) {
            options.outputFile = takeValue(arguments, i, argument == "-o" ? "-o" : "--output", parsed);
        } else if (named(argument, "--bind")) {
            options.bindAddress = takeValue(arguments, i, "--bind", parsed);
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (kCommandFlags.contains(argument)) {
            options.flags.insert(argument);
        } else if (argument.find("password") != std::string::npos) {
            parsed.error = Failure{kRefused, "Passwords are never taken as arguments: give them on standard input "
                                             "(the administrator's also in VELTRONA_ADMIN_PASSWORD)."};
        } else {
            parsed.error = Failure{kRefused, "Unknown option " + argument + ". See veltronactl --help."};
        }
    }
    return parsed;
}

std::string usageText()
{
    return "Usage: veltronactl [GLOBAL OPTIONS] COMMAND [ARGUMENTS]\n"
           "\n"
           "Commands:\n"
           "  status                         installed or not, type, job loaded, settings, VPN accounts\n"
           "  start | restart | stop         as the window's button (start installs first when needed)\n"
           "  settings                       show the server settings\n"
           "  settings set KEY=VALUE... [--apply]\n"
           "                                 change type, host, dns, domains, range (START-END) in the\n"
           "                                 installed files; --apply restarts a running server\n"
           "  secret set                     store the shared secret read from standard input\n"
           "  users                          list the VPN accounts\n"
           "  users add NAME                 create one (password, and optionally its repetition, on\n"
           "                                 standard input, one a line)\n"
           "  users passwd NAME              give one a new password (likewise)\n"
           "  users delete NAME --yes        delete one (administrators are refused)\n"
           "  profile NAME [-o FILE] [--sign] [--password-stdin]\n"
           "                                 write a client profile: to FILE, or to the Desktop as the\n"
           "                                 window does (signed with --sign when a certificate exists)\n"
           "  profile NAME --serve [--bind ADDRESS] [--password-stdin]\n"
           "                                 offer the profile \"Export Profile...\" writes (signed when a\n"
           "                                 certificate exists) to a phone at a one-time HTTPS address,\n"
           "                                 shown as a QR code: one download or 10 minutes, Ctrl-C ends\n"
           "                                 it; it listens on the primary interface's address, or ADDRESS\n"
           "  suggest                        the proposed address range, DNS servers and host\n"
           "  check                          check the setup before a start: shared secret, accounts,\n"
           "                                 address range, DNS servers, UDP ports, root and packages,\n"
           "                                 signing certificate; exit 1 when a check fails\n"
           "  sessions                       who is connected: account, address it comes from, its\n"
           "                                 address in the tunnel, since when, bytes in and out\n"
           "  sessions disconnect NAME       end that account's sessions (it may connect again)\n"
           "  check-update                   ask the web site for a newer version\n"
           "  uninstall --yes                stop the server, remove its files and shared secret\n"
           "  backup FILE [--passphrase-stdin]\n"
           "                                 write the server files, shared secret, VPN accounts (with\n"
           "                                 their password hashes) and signing material to FILE,\n"
           "                                 encrypted with a passphrase (asked twice on the terminal)\n"
           "  restore FILE [--passphrase-stdin] [--yes]\n"
           "                                 show what a backup holds and, once confirmed (or with\n"
           "                                 --yes), bring this Mac to that state; accounts whose name\n"
           "                                 a non-VPN account has are skipped\n"
           "\n"
           "Global options:\n"
           "  --platform-root DIR   the emulated Mac to act on (default: $VELTRONA_PLATFORM_ROOT, else\n"
           "                        the per-user one)\n"
           "  --admin NAME          the administrator (default: the current user's full name)\n"
           "  --json                machine-readable output: one JSON object\n"
           "  --verbose             also show what the privileged tools write on standard error\n"
           "  --help, --version\n"
           "\n"
           "The administrator's password comes from VELTRONA_ADMIN_PASSWORD, else the password the\n"
           "window remembered in the keychain, else the first line of standard input (input that a\n"
           "command reads follows on the next lines). Passwords are never taken as arguments.\n"
           "A backup's passphrase is read from the terminal without echo, or with --passphrase-stdin\n"
           "from the next lines of standard input.\n"
           "\n"
           "Exit status: 0 done, 1 bad input or refused, 2 not authorized, 3 the platform failed.\n";
}

} // namespace veltrona::cli
