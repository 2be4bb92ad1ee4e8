#include "accounts/AccountCommands.h"

#include "accounts/AccountListing.h"
#include "platform/ShellWord.h"
#include "services/ResourceFolder.h"

namespace veltrona {

namespace {

CommandArguments shellCommand(std::string text)
{
    return {"/bin/sh", "-c", std::move(text)};
}

// Inside a single-quoted pattern only a quote needs care.
std::string insideSingleQuotes(const std::string& text)
{
    const std::string quoted = singleQuoted(text);
    return quoted.substr(1, quoted.size() - 2);
}

} // namespace

CommandArguments nameProbeCommand(const std::string& name)
{
    return shellCommand("dscl . -list /Users | grep -i '^" + insideSingleQuotes(name) + "$'");
}

CommandArguments aliasProbeCommand(const std::string& name)
{
    return shellCommand("dscl . -read " + shellWord("/Users/" + name) + " RecordName");
}

CommandArguments uniqueIDListingCommand()
{
    return shellCommand("dscl . -list /Users UniqueID");
}

std::string creationScript()
{
    return "currentDir=$1\n"
           "realName=$2\n"
           "userName=$3\n"
           "password=$4\n"
           "\n"
           "cd \"$currentDir\"\n"
           "\n"
           "maxid=$(dscl . -list /Users UniqueID | grep '[4][0123456789][0123456789]' | awk '{print $2}' | sort -ug "
           "| tail -1)\n"
           "if ! ( test $maxid ) then\n"
           "\tmaxid=400\n"
           "fi\n"
           "uniqueID=$((maxid+1))\n"
           "primaryGroupID=20\n"
           "\n"
           "dscl . -create /Users/$userName\n"
           "dscl . -create /Users/$userName UserShell /usr/bin/false\n"
           "dscl . -create /Users/$userName RealName \"$realName\"\n"
           "dscl . -create /Users/$userName UniqueID $uniqueID\n"
           "dscl . -create /Users/$userName PrimaryGroupID $primaryGroupID\n"
           "dscl . -create /Users/$userName NFSHomeDirectory /var/empty\n"
           "\n"
           "dscl . change /Users/$userName AuthenticationAuthority "
           "';ShadowHash;HASHLIST:<SALTED-SHA512-PBKDF2,SRP-RFC5054-4096-SHA512-PBKDF2>' "
           "';ShadowHash;HASHLIST:<SALTED-SHA1,SMB-NT,SMB-LAN-MANAGER>'\n"
           "\n"
           "dscl . -passwd /Users/$userName \"$password\"";
}

std::string creationScriptWithUniqueID()
{
    std::string script = creationScript();
    const std::string computed =
        script.substr(script.find("maxid="), script.find("primaryGroupID=") - script.find("maxid="));
    script.replace(script.find(computed), computed.size(), "uniqueID=$5\n");
    return script;
}

CommandArguments creationCommand(const std::string& name, const std::string& password)
{
    return {"/bin/sh", "-c", creationScript(), "", kResourceFolder, kVpnUserRealName, name, password};
}

CommandArguments creationCommand(const std::string& name, const std::string& password, int uniqueID)
{
    return {"/bin/sh", "-c",     creationScriptWithUniqueID(), "", kResourceFolder, kVpnUserRealName,
            name,      password, std::to_string(uniqueID)};
}

CommandArguments authenticationCommand(const std::string& name, const std::string& password)
{
    return {"/bin/sh", "-c", "dscl . -authonly \"$1\" \"$2\" >/dev/null 2>&1 && echo YES", "", name, password};
}

CommandArguments resetPasswordCommand(const std::string& name, const std::string& password)
{
    return shellCommand("dscl . -passwd " + shellWord("/Users/" + name) + " " + singleQuoted(password));
}

CommandArguments administratorProbeCommand(const std::string& name)
{
    return shellCommand("dscl . read /groups/admin GroupMembership | grep '\\<" + insideSingleQuotes(name) + "\\>'");
}

std::string deletionScript()
{
    return "userName=$1\n"
           "\n"
           "dscl . -delete /Users/$userName\n";
}

CommandArguments deletionCommand(const std::string& name)
{
    return {"/bin/sh", "-c", deletionScript(), "", name};
}

CommandArguments deletionCheckCommand(const std::string& name)
{
    return {"/bin/sh", "-c",
            "names=$(dscl . -list /Users) || exit 0\n"
            "printf '%s\\n' \"$names\" | grep -qixF -- \"$1\" || echo GONE\n",
            "", name};
}

} // namespace veltrona
