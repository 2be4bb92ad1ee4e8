#include "tests/accounts/PrivilegedRoot.h"

#include "platform/PlatformRoot.h"

#include <cstdlib>

namespace veltrona::test {

PrivilegedRoot::PrivilegedRoot() : runner_(authorization_, VELTRONA_BIN_DIR "/Resources", log_)
{
    ::setenv(kPlatformRootVariable, platform_.root().c_str(), 1);
    runner_.setAdminPassword(kTestAdminPassword, kTestAdminName);
    ready_ = runner_.checkIfSudoer();
}

PrivilegedRoot::~PrivilegedRoot()
{
    ::unsetenv(kPlatformRootVariable);
}

} // namespace veltrona::test
