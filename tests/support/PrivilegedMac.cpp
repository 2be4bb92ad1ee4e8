#include "tests/support/PrivilegedMac.h"

#include "platform/PlatformRoot.h"

#include <cstdlib>
#include <stdexcept>

namespace veltrona::test {

namespace fs = std::filesystem;

namespace {

fs::path builtResources()
{
    return builtMacToolsFolder().parent_path() / "Resources";
}

} // namespace

bool PrivilegedMac::available()
{
    return fs::exists(builtResources() / "shellTool") && fs::exists(builtMacToolsFolder() / "dscl");
}

PrivilegedMac::PrivilegedMac()
    : resources_(mac_.folder() / "Resources"), runner_(authorization_, resources_.string(), log_)
{
    if (const char* old = std::getenv(kPlatformRootVariable))
        savedRootVariable_ = old;
    ::setenv(kPlatformRootVariable, mac_.root().c_str(), 1);
    fs::create_directories(resources_);
    fs::copy_file(builtResources() / "shellTool", resources_ / "shellTool");
    fs::copy(builtResources() / "VPNStuff", resources_ / "VPNStuff", fs::copy_options::recursive);
    runner_.setAdminPassword(kTestAdminPassword, kTestAdminName);
    if (!runner_.checkIfSudoer())
        throw std::runtime_error("the emulated administrator could not authenticate");
}

PrivilegedMac::~PrivilegedMac()
{
    if (savedRootVariable_)
        ::setenv(kPlatformRootVariable, savedRootVariable_->c_str(), 1);
    else
        ::unsetenv(kPlatformRootVariable);
}

} // namespace veltrona::test
