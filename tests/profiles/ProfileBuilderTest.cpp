// The profile made from the real template: every key it sets, what it carries over and drops,
// and the templates it refuses.

#include "profiles/ProfileBuilder.h"
#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "profiles/ReverseLookUp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace veltrona::test {
namespace {

const std::string kTemplate = std::string(VELTRONA_VPNSTUFF_DIR) + "/VPN.mobileconfig";

PlistValue realTemplate()
{
    std::optional<PlistValue> value = readPlistFile(kTemplate);
    EXPECT_TRUE(value && value->dictionary());
    return value ? *value : PlistValue(PlistDictionary());
}

PlistData bytes(std::string_view text)
{
    return PlistData(text.begin(), text.end());
}

ProfileInput aliceInput(std::string type)
{
    return {type, "a.b.c", "s3cr\xC3\xA9t", "alice", "pa ss", {"PAYLOAD-UUID", "PROFILE-UUID"}};
}

TEST(ReverseLookUp, LabelsComeInReverseOrder)
{
    const std::vector<std::pair<std::string, std::string>> table = {
        {"a.b.c", "c.b.a"}, {"10.0.0.1", "1.0.0.10"}, {"", ""}, {"single", "single"}, {"a..b", "b..a"},
        {".a", "a."},       {"a.b.", ".b.a"},
    };
    for (const auto& [host, reversed] : table)
        EXPECT_EQ(doReverseLookUp(host), reversed) << host;
}

TEST(ProfileBuilder, SetsEveryKeyForBothTypes)
{
    // Key paths below the payload start with "payload."; the rest are the profile's top level.
    // Absent values are keys the template must keep as they are.
    struct Row {
        const char* keyPath;
        std::optional<PlistValue> l2tp;
        std::optional<PlistValue> pptp;
    };
    const std::vector<Row> table = {
        {"PayloadDescription", "VPN settings for a.b.c", "VPN settings for a.b.c"},
        {"PayloadDisplayName", "VPN (a.b.c) L2TP", "VPN (a.b.c) PPTP"},
        {"PayloadIdentifier", "c.b.a.serverSettings.vpn.L2TP.vpn", "c.b.a.serverSettings.vpn.PPTP.vpn"},
        {"PayloadOrganization", "a.b.c", "a.b.c"},
        {"PayloadUUID", "PROFILE-UUID", "PROFILE-UUID"},
        {"payload.PPP.CommRemoteAddress", "a.b.c", "a.b.c"},
        {"payload.PPP.AuthName", "alice", "alice"},
        {"payload.PPP.AuthPassword", bytes("pa ss"), bytes("pa ss")},
        {"payload.PPP.CCPEnabled", std::nullopt, std::int64_t{0}},
        {"payload.PPP.CCPMPPE128Enabled", std::nullopt, std::int64_t{0}},
        {"payload.PPP.CCPMPPE40Enabled", std::nullopt, std::int64_t{0}},
        {"payload.IPSec.SharedSecret", bytes("s3cr\xC3\xA9t"), bytes("s3cr\xC3\xA9t")},
        {"payload.PayloadDescription", "VPN settings for a.b.c", "VPN settings for a.b.c"},
        {"payload.PayloadDisplayName", "VPN (a.b.c) L2TP", "VPN (a.b.c) PPTP"},
        {"payload.PayloadIdentifier", "c.b.a.serverSettings.vpn.L2TP.vpn", "c.b.a.serverSettings.vpn.PPTP.vpn"},
        {"payload.PayloadUUID", "PAYLOAD-UUID", "PAYLOAD-UUID"},
        {"payload.UserDefinedName", "VPN (a.b.c) L2TP", "VPN (a.b.c) PPTP"},
        {"payload.VPNType", "L2TP", "PPTP"},
    };

    // The L2TP profile must leave CCP values alone, so the template gets some to keep.
    PlistValue templateRoot = realTemplate();
    PlistValue* templatePpp = valueForKeyPath((*valueForKey(templateRoot, "PayloadContent")->array())[0], "PPP");
    ASSERT_NE(templatePpp, nullptr);
    for (const char* key : {"CCPEnabled", "CCPMPPE128Enabled", "CCPMPPE40Enabled"})
        templatePpp->dictionary()->set(key, std::int64_t{1});
    const PlistValue templatePayload = (*valueForKey(templateRoot, "PayloadContent")->array())[0];

    for (const std::string type : {"L2TP", "PPTP"}) {
        SCOPED_TRACE(type);
        const ProfileBuild build = buildProfile(templateRoot, aliceInput(type));
        ASSERT_TRUE(build.ok());
        const PlistValue profile(build.profile);
        const PlistArray* payloads = valueForKey(profile, "PayloadContent")->array();
        ASSERT_TRUE(payloads && payloads->size() == 1u);
        const PlistValue& payload = payloads->front();

        std::set<std::string> setPaths;
        for (const Row& row : table) {
            const std::string path = row.keyPath;
            const bool inPayload = path.starts_with("payload.");
            const std::string inner = inPayload ? path.substr(8) : path;
            const PlistValue* actual = valueForKeyPath(inPayload ? payload : profile, inner);
            std::optional<PlistValue> expected = type == "L2TP" ? row.l2tp : row.pptp;
            if (!expected)
                expected = *valueForKeyPath(templatePayload, inner);
            ASSERT_NE(actual, nullptr) << path;
            EXPECT_EQ(*actual, *expected) << path;
            setPaths.insert(path);
        }

        // Every other key of the template, at each level, is carried over unchanged.
        const auto carried = [&](const PlistValue& from, const PlistValue& to, const std::string& prefix) {
            for (const auto& [key, value] : *from.dictionary()) {
                const std::string path = prefix + key;
                if (setPaths.count(path) || key == "PayloadContent" || key == "PPP" || key == "IPSec")
                    continue;
                const PlistValue* kept = valueForKey(to, key);
                ASSERT_NE(kept, nullptr) << path;
                EXPECT_EQ(*kept, value) << path;
            }
        };
        carried(templateRoot, profile, "");
        carried(templatePayload, payload, "payload.");
        carried(*valueForKey(templatePayload, "PPP"), *valueForKey(payload, "PPP"), "payload.PPP.");
        carried(*valueForKey(templatePayload, "IPSec"), *valueForKey(payload, "IPSec"), "payload.IPSec.");
    }
}

TEST(ProfileBuilder, EmptyHostAndAProfileSavedOnRequest)
{
    ProfileInput input = aliceInput("L2TP");
    input.host.clear();
    input.password.reset();
    const ProfileBuild build = buildProfile(realTemplate(), input);
    ASSERT_TRUE(build.ok());
    const PlistValue profile(build.profile);
    EXPECT_EQ(*valueForKey(profile, "PayloadIdentifier"), PlistValue(".serverSettings.vpn.L2TP.vpn"));
    EXPECT_EQ(*valueForKey(profile, "PayloadDescription"), PlistValue("VPN settings for "));
    EXPECT_EQ(*valueForKey(profile, "PayloadDisplayName"), PlistValue("VPN () L2TP"));
    const PlistValue& payload = valueForKey(profile, "PayloadContent")->array()->front();
    EXPECT_EQ(*valueForKeyPath(payload, "PPP.AuthPassword"), PlistValue(""));
}

TEST(ProfileBuilder, ExtraPayloadsOfTheTemplateAreDropped)
{
    PlistValue templateRoot = realTemplate();
    PlistArray& payloads = *valueForKey(templateRoot, "PayloadContent")->array();
    payloads.push_back(PlistDictionary());
    payloads.push_back("stray");
    const ProfileBuild build = buildProfile(templateRoot, aliceInput("L2TP"));
    ASSERT_TRUE(build.ok());
    EXPECT_EQ(valueForKey(PlistValue(build.profile), "PayloadContent")->array()->size(), 1u);
}

TEST(ProfileBuilder, EveryProfileGetsTwoFreshDistinctUuids)
{
    const auto uuidsOf = [](const ProfileInput& input) {
        const PlistValue profile(buildProfileFromTemplate(kTemplate, input).profile);
        return std::vector<std::string>{
            *valueForKey(profile, "PayloadUUID")->string(),
            *valueForKey(valueForKey(profile, "PayloadContent")->array()->front(), "PayloadUUID")->string()};
    };
    std::set<std::string> seen;
    for (int i = 0; i < 2; ++i) {
        for (const std::string& uuid : uuidsOf({"L2TP", "h", "s", "alice", std::nullopt})) {
            EXPECT_EQ(uuid.size(), 36u);
            EXPECT_EQ(uuid.find_first_of("abcdef"), std::string::npos) << uuid;
            seen.insert(uuid);
        }
    }
    EXPECT_EQ(seen.size(), 4u);
}

TEST(ProfileBuilder, MissingAccountOrUnusableTemplateMakesNoProfile)
{
    ProfileInput nobody = aliceInput("L2TP");
    nobody.userName.clear();
    EXPECT_EQ(buildProfileFromTemplate(kTemplate, nobody).problem, ProfileProblem::NoAccount);
    EXPECT_EQ(buildProfileFromTemplate("/nonexistent/VPN.mobileconfig", aliceInput("L2TP")).problem,
              ProfileProblem::TemplateUnreadable);

    const auto withPayloads = [](PlistValue content) {
        PlistDictionary root;
        root.set("PayloadContent", std::move(content));
        return PlistValue(root);
    };
    PlistDictionary noIpsec;
    noIpsec.set("PPP", PlistDictionary());
    PlistDictionary ipsecText = noIpsec;
    ipsecText.set("IPSec", "SharedSecret");
    const std::vector<std::pair<const char*, PlistValue>> malformed = {
        {"an array at the root", PlistArray{}},
        {"no payload list", PlistDictionary()},
        {"payload list of text", withPayloads("payloads")},
        {"no payloads", withPayloads(PlistArray{})},
        {"first payload no dictionary", withPayloads(PlistArray{"x", PlistDictionary()})},
        {"payload without IPSec", withPayloads(PlistArray{noIpsec})},
        {"IPSec not a dictionary", withPayloads(PlistArray{ipsecText})},
    };
    for (const auto& [why, templateRoot] : malformed) {
        const ProfileBuild build = buildProfile(templateRoot, aliceInput("PPTP"));
        EXPECT_EQ(build.problem, ProfileProblem::TemplateMalformed) << why;
        EXPECT_TRUE(build.profile.empty()) << why;
    }
}

} // namespace
} // namespace veltrona::test
