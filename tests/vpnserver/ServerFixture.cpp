#include "tests/vpnserver/ServerFixture.h"

#include "foundation/PlistIO.h"
#include "platform/emulated/SystemVersion.h"
#include "tests/support/FileText.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace veltrona::test {

namespace {

namespace fs = std::filesystem;

const fs::path kTemplates = VELTRONA_VPNSTUFF_DIR;

PlistValue readOrEmpty(const fs::path& path)
{
    std::optional<PlistValue> value = readPlistFile(path);
    if (!value || value->dictionary() == nullptr)
        return PlistValue(PlistDictionary());
    return *value;
}

PlistValue readTemplate(const char* name)
{
    std::optional<PlistValue> value = readPlistFile(kTemplates / name);
    EXPECT_TRUE(value && value->dictionary()) << "template " << name;
    return value ? *value : PlistValue(PlistDictionary());
}

} // namespace

ServerFixture::ServerFixture(const std::string& resourceFolderName, const std::string& rootFolderName)
    : root_(temp_ / rootFolderName), resources_((temp_ / resourceFolderName).string()),
      locations_(resources_, PlatformPaths(root_))
{
    fs::create_directories(root_ / "usr/local/quillfen/vpn");
    // Enough of an emulated Mac for the stand-in tools to accept the root.
    writeSystemVersion(root_, {"10.11.6", "15G31"});
    fs::create_directories(fs::path(resources_) / "VPNStuff");
    for (const char* name : {kServerFileName, kJobFileName})
        fs::copy_file(kTemplates / name, fs::path(resources_) / "VPNStuff" / name);

    // The Mac's sudo runs the command as root; here it only notes what it was asked.
    fs::create_directories(toolFolder());
    const fs::path sudo = fs::path(toolFolder()) / "sudo";
    std::ofstream(sudo)
        << "#!/bin/sh\nprintf '%s|' \"$@\" >> \"$(dirname \"$0\")/sudo.log\"\necho >> \"$(dirname \"$0\")/sudo.log\"\n";
    fs::permissions(sudo, fs::perms::owner_all);
}

std::string ServerFixture::sudoLog() const
{
    return readText(fs::path(toolFolder()) / "sudo.log");
}

void ServerFixture::emulateMoves(RecordingRunner& runner) const
{
    const fs::path directory = locations_.installationDirectory();
    runner.setHandler([directory](const RecordingRunner::Arguments& arguments) {
        if (arguments.size() == 5) {
            std::error_code error;
            fs::rename(arguments[4], directory / fs::path(arguments[4]).filename(), error);
            EXPECT_FALSE(error) << error.message();
        }
        return std::optional<std::string>();
    });
}

PlistValue ServerFixture::serverTemplate()
{
    return readTemplate(kServerFileName);
}

PlistValue ServerFixture::jobTemplate()
{
    return readTemplate(kJobFileName);
}

PlistValue ServerFixture::installedServer() const
{
    return readOrEmpty(locations_.installedServerFile());
}

PlistValue ServerFixture::installedJob() const
{
    return readOrEmpty(locations_.installedJobFile());
}

void ServerFixture::installServer(const PlistValue& root) const
{
    ASSERT_TRUE(writePlistAtomically(*root.dictionary(), locations_.installedServerFile()).ok());
}

void ServerFixture::installJob(const PlistValue& root) const
{
    ASSERT_TRUE(writePlistAtomically(*root.dictionary(), locations_.installedJobFile()).ok());
}

void ServerFixture::installRaw(const std::string& path, const std::string& bytes) const
{
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace veltrona::test
