#include "vpnserver/ServerFileWriter.h"

#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "foundation/Text.h"
#include "vpnserver/MoveScripts.h"
#include "vpnserver/SharedSecretData.h"

#include <optional>

namespace veltrona {

namespace {

// Writes the temporary copy and moves it; a failed write leaves nothing fresh to move, and moving
// a stale copy left by an earlier run would install old settings.
Status writeAndMove(const PlistValue& root, const std::string& temporaryCopy, FileAccess access, std::string script,
                    CommandRunner& runner)
{
    Status written = writePlistAtomically(*root.dictionary(), temporaryCopy, access);
    if (!written)
        return written;
    runner.setArgs(moveScriptArguments(std::move(script), temporaryCopy));
    runner.startProcessGetResult();
    return Status::success();
}

Status writeServerFile(const ServerSettings& settings, const ServerFileLocations& locations, CommandRunner& runner)
{
    std::optional<PlistValue> root = readPlistDictionaryFile(locations.serverTemplate());
    if (!root)
        return Status::failure(2, "The server template cannot be read: " + locations.serverTemplate());

    setValueForKey(&*root, "VPNHost", PlistValue(settings.vpnHost));
    setValueForKey(&*root, "SharedSecret", PlistValue(sharedSecretData(settings.sharedSecret)));

    // Stores through a missing entry or dictionary have no effect; the file is still written.
    PlistValue* entry = valueForKeyPath(*root, "Servers.com.apple.ppp." + settings.type);
    PlistValue* dns = entry ? valueForKey(*entry, "DNS") : nullptr;
    setValueForKey(dns, "OfferedServerAddresses", PlistValue(stringArray(offeredList(settings.dnsServerAddresses))));
    setValueForKey(dns, "OfferedSearchDomains", PlistValue(stringArray(offeredList(settings.searchDomains))));
    PlistValue* ipv4 = entry ? valueForKey(*entry, "IPv4") : nullptr;
    setValueForKey(ipv4, "DestAddressRanges",
                   PlistValue(stringArray({settings.startIPAddress, settings.endIPAddress})));

    return installServerFile(*root, locations, runner);
}

Status writeJobFile(const ServerSettings& settings, const ServerFileLocations& locations, CommandRunner& runner)
{
    std::optional<PlistValue> root = readPlistDictionaryFile(locations.jobTemplate());
    const PlistValue* arguments = root ? valueForKey(*root, "ProgramArguments") : nullptr;
    const PlistArray* list = arguments ? arguments->array() : nullptr;
    // Without a last program argument there is no place for the type: a job template like that
    // is as good as none.
    if (list == nullptr || list->empty() || list->back().string() == nullptr)
        return Status::failure(2, "The job template cannot be read: " + locations.jobTemplate());

    PlistArray copy = *list;
    copy.back() = PlistValue(programArgumentForType(*copy.back().string(), settings.type));
    setValueForKey(&*root, "ProgramArguments", PlistValue(std::move(copy)));

    return writeAndMove(*root, locations.jobTemporaryCopy(), FileAccess::AsBefore,
                        jobFileMoveScript(locations.platform()), runner);
}

} // namespace

Status installServerFile(const PlistValue& root, const ServerFileLocations& locations, CommandRunner& runner)
{
    // It holds the shared secret; mv keeps the mode, so the installed file is the owner's alone too.
    return writeAndMove(root, locations.serverTemporaryCopy(), FileAccess::OwnerOnly,
                        serverFileMoveScript(locations.platform()), runner);
}

VpnConfigResult vpnConfig(const ServerSettings& settings, const ServerFileLocations& locations, CommandRunner& runner)
{
    VpnConfigResult result;
    result.serverFile = writeServerFile(settings, locations, runner);
    result.jobFile = writeJobFile(settings, locations, runner);
    return result;
}

std::vector<std::string> offeredList(std::string_view field)
{
    // Stripping each piece keeps a list typed as "a, b" from gaining a blank at every restart,
    // since reading joins the pieces with ", ".
    std::vector<std::string> pieces = split(field, ",");
    for (std::string& piece : pieces)
        piece = trimWhitespace(piece);
    return pieces;
}

std::string programArgumentForType(std::string_view argument, std::string_view type)
{
    std::vector<std::string> pieces = split(argument, ".");
    if (pieces.empty())
        pieces.emplace_back();
    pieces.back() = std::string(type);
    return join(pieces, ".");
}

} // namespace veltrona
