#include "profiles/ProfileBuilder.h"

#include "foundation/PlistIO.h"
#include "profiles/ReverseLookUp.h"
#include "services/Base64.h"
#include "services/ResourceFolder.h"

#include <cstdint>

namespace veltrona {

namespace {

// A typed text as a data value: its UTF-8 bytes after one trip out through Base64 and back, the
// way the server file keeps the shared secret.
PlistData textData(std::string_view text)
{
    return dataFromBase64String(base64EncodedString(std::vector<std::uint8_t>(text.begin(), text.end())));
}

// The template's first payload with its PPP and IPSec dictionaries; nothing when it lacks them.
const PlistDictionary* templatePayload(const PlistValue& templateRoot)
{
    const PlistDictionary* root = templateRoot.dictionary();
    const PlistValue* content = root ? root->find("PayloadContent") : nullptr;
    const PlistArray* payloads = content ? content->array() : nullptr;
    if (payloads == nullptr || payloads->empty())
        return nullptr;
    const PlistDictionary* payload = payloads->front().dictionary();
    if (payload == nullptr)
        return nullptr;
    for (const char* key : {"PPP", "IPSec"}) {
        const PlistValue* inner = payload->find(key);
        if (inner == nullptr || inner->dictionary() == nullptr)
            return nullptr;
    }
    return payload;
}

} // namespace

std::string profileTemplatePath(const std::string& resourceDirectory)
{
    return resourceDirectory + "/" + kResourceFolder + "/VPN.mobileconfig";
}

ProfileBuild buildProfile(const PlistValue& templateRoot, const ProfileInput& input)
{
    ProfileBuild build;
    if (input.userName.empty()) {
        build.problem = ProfileProblem::NoAccount;
        return build;
    }
    const PlistDictionary* templateDictionary = templatePayload(templateRoot);
    if (templateDictionary == nullptr) {
        build.problem = ProfileProblem::TemplateMalformed;
        return build;
    }

    const std::string identifier = doReverseLookUp(input.host) + ".serverSettings.vpn." + input.vpnType + ".vpn";
    const std::string description = "VPN settings for " + input.host;
    const std::string displayName = "VPN (" + input.host + ") " + input.vpnType;

    PlistDictionary payload = *templateDictionary;
    PlistDictionary& ppp = *payload.find("PPP")->dictionary();
    ppp.set("CommRemoteAddress", input.host);
    ppp.set("AuthName", input.userName);
    if (input.password)
        ppp.set("AuthPassword", textData(*input.password));
    else
        ppp.set("AuthPassword", "");
    if (input.vpnType == "PPTP") {
        for (const char* key : {"CCPEnabled", "CCPMPPE128Enabled", "CCPMPPE40Enabled"})
            ppp.set(key, std::int64_t{0});
    }
    payload.find("IPSec")->dictionary()->set("SharedSecret", textData(input.sharedSecret));
    payload.set("PayloadDescription", description);
    payload.set("PayloadDisplayName", displayName);
    payload.set("PayloadIdentifier", identifier);
    payload.set("PayloadUUID", input.uuids.payload);
    payload.set("UserDefinedName", displayName);
    payload.set("VPNType", input.vpnType);

    build.profile = *templateRoot.dictionary();
    build.profile.set("PayloadContent", PlistArray{std::move(payload)});
    build.profile.set("PayloadDescription", description);
    build.profile.set("PayloadDisplayName", displayName);
    build.profile.set("PayloadIdentifier", identifier);
    build.profile.set("PayloadOrganization", input.host);
    build.profile.set("PayloadUUID", input.uuids.profile);
    return build;
}

ProfileBuild buildProfileFromTemplate(const std::filesystem::path& templatePath, const ProfileInput& input)
{
    if (input.userName.empty())
        return {{}, ProfileProblem::NoAccount};
    const std::optional<PlistValue> templateRoot = readPlistFile(templatePath);
    if (!templateRoot)
        return {{}, ProfileProblem::TemplateUnreadable};
    return buildProfile(*templateRoot, input);
}

} // namespace veltrona
