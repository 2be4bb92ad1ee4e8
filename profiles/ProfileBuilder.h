#pragma once
// A client profile (.mobileconfig) made from the template and one account's settings.

#include "foundation/PlistValue.h"
#include "profiles/ProfileInput.h"

#include <filesystem>
#include <string>

namespace veltrona {

enum class ProfileProblem {
    None,
    NoAccount,          // no account selected: the profile has nobody to log in
    TemplateUnreadable, // missing or not a property list
    TemplateMalformed,  // lacks PayloadContent's first dictionary with its PPP and IPSec dictionaries
};

struct ProfileBuild {
    PlistDictionary profile; // empty unless problem is None
    ProfileProblem problem = ProfileProblem::None;
    bool ok() const { return problem == ProfileProblem::None; }
};

// "<resourceDirectory>/VPNStuff/VPN.mobileconfig".
std::string profileTemplatePath(const std::string& resourceDirectory);

// Keys of the template that the profile does not set are carried over unchanged; further
// payloads of the template are dropped.
ProfileBuild buildProfile(const PlistValue& templateRoot, const ProfileInput& input);
// Reads the template afresh for every profile.
ProfileBuild buildProfileFromTemplate(const std::filesystem::path& templatePath, const ProfileInput& input);

} // namespace veltrona
