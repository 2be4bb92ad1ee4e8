#pragma once
// A temporary folder laid out like the application and the Mac it acts on: a resource directory
// holding copies of the real templates, and a platform root with the installation directory.

#include "foundation/PlistValue.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/TempDir.h"
#include "vpnserver/ServerFileLocations.h"

#include <filesystem>
#include <string>

namespace veltrona::test {

class ServerFixture {
public:
    // Blanks, quotes and "$" in both folders' names, so that every test also shows that paths
    // reach the scripts as one unchanged word.
    explicit ServerFixture(const std::string& resourceFolderName = "Veltrona's Resources $HOME",
                           const std::string& rootFolderName = "platform root");

    const std::filesystem::path& root() const { return root_; }
    const std::string& resources() const { return resources_; }
    const ServerFileLocations& locations() const { return locations_; }
    // A folder for test stand-ins (`sudo`), to go first on PATH.
    std::string toolFolder() const { return (temp_ / "tools").string(); }
    // Every command line the stand-in `sudo` was given, one a line.
    std::string sudoLog() const;

    // Lets the runner do what a move script does ($1 moved into the installation directory)
    // without starting a shell, for tests that write many times.
    void emulateMoves(RecordingRunner& runner) const;

    static PlistValue serverTemplate();
    static PlistValue jobTemplate();
    // The installed file parsed; the empty dictionary when it is missing or no dictionary.
    PlistValue installedServer() const;
    PlistValue installedJob() const;

    // Writes a property list or raw bytes where the installed file belongs.
    void installServer(const PlistValue& root) const;
    void installJob(const PlistValue& root) const;
    void installRaw(const std::string& path, const std::string& bytes) const;

private:
    TempDir temp_;
    std::filesystem::path root_;
    std::string resources_;
    ServerFileLocations locations_;
};

} // namespace veltrona::test
