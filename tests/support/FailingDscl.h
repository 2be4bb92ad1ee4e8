#pragma once
// A directory tool that fails one sub-command, as a full disk or a refusing directory would: the
// root's dscl is wrapped so that "dscl . SUBCOMMAND ..." prints eDSPermissionError and exits 40,
// while every other call reaches the stand-in unchanged.

#include "tests/support/FileText.h"

#include <filesystem>
#include <string>

namespace veltrona::test {

inline void makeDsclFail(const std::filesystem::path& root, const std::string& subcommand)
{
    const std::filesystem::path dscl = root / "usr/bin/dscl";
    std::filesystem::rename(dscl, root / "usr/bin/dscl.real");
    writeText(dscl, "#!/bin/sh\n"
                    "if [ \"$2\" = '"
                        + subcommand
                        + "' ]; then\n"
                          "\techo '<dscl_cmd> DS Error: -14120 (eDSPermissionError)' >&2\n"
                          "\texit 40\n"
                          "fi\n"
                          "exec \"$0.real\" \"$@\"\n");
    std::filesystem::permissions(dscl, std::filesystem::perms::owner_all | std::filesystem::perms::group_read
                                           | std::filesystem::perms::group_exec | std::filesystem::perms::others_read
                                           | std::filesystem::perms::others_exec);
}

} // namespace veltrona::test
