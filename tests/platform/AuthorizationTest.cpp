// Authorization Services of the emulated Mac: rights, authentication and live external forms.

#include "foundation/PlistIO.h"
#include "platform/emulated/AuthorizationDatabase.h"
#include "platform/emulated/AuthorizationLiveForms.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/PasswordHash.h"
#include "services/TaskWrapper.h"
#include "tests/support/FileText.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRight = "com.brantholm.orlaquin.admin";
constexpr AuthorizationFlags kFlags = kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize;

AuthorizationItemSet credentials(const std::string& name, const std::string& password)
{
    return {{kAuthorizationEnvironmentUsername, {name.begin(), name.end()}, 0},
            {kAuthorizationEnvironmentPassword, {password.begin(), password.end()}, 0}};
}

PlistDictionary programRule()
{
    PlistDictionary rule;
    rule.set("allow-root", "true");
    rule.set("class", "user");
    rule.set("comment", "Used by Quillfen applications to run a tool as admin over the duration of the application.");
    rule.set("group", "admin");
    rule.set("shared", "false");
    return rule;
}

// A user with a password who is in no group but staff (through the primary group).
void addStaffUser(const fs::path& root, const std::string& name, const std::string& password)
{
    Directory directory(root);
    ASSERT_TRUE(directory
                    .update(
                        RecordType::Users, name,
                        [&](Record& record) {
                            record.setValues("gid", {"20"});
                            record.setValues("realname", {"Staff Member"});
                            record.setData("ShadowHashData", *makeShadowHashData(password, 1000));
                            return Status::success();
                        },
                        true)
                    .ok());
}

class AuthorizationTest : public ::testing::Test {
protected:
    OSStatus authorize(const std::string& name, const std::string& password, const char* right = kRight)
    {
        AuthorizationRef ref;
        EXPECT_EQ(services.create({}, {}, kAuthorizationFlagDefaults, ref), errAuthorizationSuccess);
        return services.copyRights(ref, {{right, {}, 0}}, credentials(name, password), kFlags);
    }

    TempPlatformRoot root;
    AuthorizationServicesEmulated services{root.paths()};
};

TEST_F(AuthorizationTest, ChecksNamePasswordAndAdminGroup)
{
    addStaffUser(root.root(), "sam", "samspass");
    const struct {
        const char* name;
        const char* password;
        OSStatus expected;
    } cases[] = {
        {"admin", "secret", errAuthorizationSuccess},
        {"ADMIN", "secret", errAuthorizationSuccess},
        {"Admin User", "secret", errAuthorizationSuccess},
        {"admin user", "secret", errAuthorizationDenied},
        {"admin", "Secret", errAuthorizationDenied},
        {"admin", "", errAuthorizationDenied},
        {"nobody", "", errAuthorizationDenied},
        {"ghost", "secret", errAuthorizationDenied},
        {"sam", "samspass", errAuthorizationDenied},
        {"../admin", "secret", errAuthorizationDenied},
    };
    for (const auto& c : cases)
        EXPECT_EQ(authorize(c.name, c.password), c.expected) << c.name << " / " << c.password;
}

TEST_F(AuthorizationTest, ARightsGroupMayComeFromThePrimaryGroup)
{
    addStaffUser(root.root(), "sam", "samspass");
    PlistDictionary staffRule;
    staffRule.set("class", "user");
    staffRule.set("group", "staff");
    AuthorizationRef ref;
    ASSERT_EQ(services.create({}, {}, kAuthorizationFlagDefaults, ref), errAuthorizationSuccess);
    ASSERT_EQ(services.rightSet(ref, "test.staff", staffRule), errAuthorizationSuccess);
    EXPECT_EQ(authorize("sam", "samspass", "test.staff"), errAuthorizationSuccess);
}

TEST_F(AuthorizationTest, NeverPromptsAndNeedsExtendRights)
{
    AuthorizationRef ref;
    ASSERT_EQ(services.create({}, {}, kAuthorizationFlagDefaults, ref), errAuthorizationSuccess);
    const AuthorizationItemSet right{{kRight, {}, 0}};
    EXPECT_EQ(services.copyRights(ref, right, {}, kFlags), errAuthorizationInteractionNotAllowed);
    EXPECT_EQ(services.copyRights(ref, right, {}, kFlags | kAuthorizationFlagInteractionAllowed),
              errAuthorizationCanceled);
    EXPECT_EQ(services.copyRights(ref, right, credentials("admin", "secret"), kAuthorizationFlagDefaults),
              errAuthorizationDenied);
    EXPECT_EQ(services.copyRights(ref, {{"", {}, 0}}, credentials("admin", "secret"), kFlags),
              errAuthorizationInvalidSet);
    EXPECT_EQ(services.copyRights(AuthorizationRef{999}, right, credentials("admin", "secret"), kFlags),
              errAuthorizationInvalidRef);
}

TEST_F(AuthorizationTest, SettingUpTheRightLeavesAnExistingDefinitionAlone)
{
    EXPECT_EQ(services.rightGet(kRight, nullptr), errAuthorizationDenied);
    // The runner itself sets the right up as it authenticates the administrator.
    RecordingLog log;
    TaskWrapper runner(services, {}, log);
    runner.setAdminPassword("secret", "admin");
    EXPECT_TRUE(runner.checkIfSudoer());
    PlistDictionary stored;
    ASSERT_EQ(services.rightGet(kRight, &stored), errAuthorizationSuccess);
    EXPECT_EQ(stored, programRule());

    // An administrator tightens the rule.
    PlistDictionary custom;
    custom.set("class", "deny");
    AuthorizationRef administrator;
    ASSERT_EQ(services.create({{"system.preferences", {}, 0}}, credentials("admin", "secret"), kFlags, administrator),
              errAuthorizationSuccess);
    ASSERT_EQ(services.rightSet(administrator, kRight, custom), errAuthorizationSuccess);
    const std::string before = readText(AuthorizationDatabase(root.root()).file());
    EXPECT_FALSE(runner.checkIfSudoer()) << "the stored rule decides";
    EXPECT_EQ(readText(AuthorizationDatabase(root.root()).file()), before);
    EXPECT_EQ(authorize("admin", "secret"), errAuthorizationDenied) << "the stored rule decides";
}

// Redefining the program's right is an administrator's business: a standard user who could loosen
// it would get a form that shellTool runs.
TEST_F(AuthorizationTest, OnlyAnAdministratorMayRedefineAnExistingRight)
{
    addStaffUser(root.root(), "sam", "samspass");
    AuthorizationRef setup;
    ASSERT_EQ(services.create({}, {}, kAuthorizationFlagDefaults, setup), errAuthorizationSuccess);
    ASSERT_EQ(services.rightSet(setup, kRight, programRule()), errAuthorizationSuccess) << "a new right needs no one";

    PlistDictionary open;
    open.set("class", "allow");
    PlistDictionary staffRule;
    staffRule.set("class", "user");
    staffRule.set("group", "staff");
    ASSERT_EQ(services.rightSet(setup, "test.staff", staffRule), errAuthorizationSuccess);
    AuthorizationRef sam;
    ASSERT_EQ(services.create({{"test.staff", {}, 0}}, credentials("sam", "samspass"), kFlags, sam),
              errAuthorizationSuccess);
    const std::string before = readText(AuthorizationDatabase(root.root()).file());
    EXPECT_EQ(services.rightSet(setup, kRight, open), errAuthorizationDenied);
    EXPECT_EQ(services.rightSet(sam, kRight, open), errAuthorizationDenied);
    EXPECT_EQ(readText(AuthorizationDatabase(root.root()).file()), before);
    EXPECT_EQ(authorize("sam", "samspass"), errAuthorizationDenied);

    AuthorizationRef administrator;
    ASSERT_EQ(services.create({{kRight, {}, 0}}, credentials("admin", "secret"), kFlags, administrator),
              errAuthorizationSuccess);
    EXPECT_EQ(services.rightSet(administrator, kRight, open), errAuthorizationSuccess);
}

TEST_F(AuthorizationTest, AnUnreadableDatabaseIsNotOverwritten)
{
    const fs::path file = AuthorizationDatabase(root.root()).file();
    std::ofstream(file) << "not a plist";
    AuthorizationRef ref;
    ASSERT_EQ(services.create({}, {}, kAuthorizationFlagDefaults, ref), errAuthorizationSuccess);
    EXPECT_EQ(services.rightSet(ref, kRight, programRule()), errAuthorizationInternal);
    EXPECT_EQ(readText(file), "not a plist");
}

TEST_F(AuthorizationTest, ExternalFormsAreLiveUntilFreed)
{
    AuthorizationRef ref;
    ASSERT_EQ(services.create({}, {}, kAuthorizationFlagDefaults, ref), errAuthorizationSuccess);
    ASSERT_EQ(services.copyRights(ref, {{kRight, {}, 0}}, credentials("admin", "secret"), kFlags),
              errAuthorizationSuccess);
    AuthorizationExternalForm form;
    ASSERT_EQ(services.makeExternalForm(ref, form), errAuthorizationSuccess);
    EXPECT_NE(form, AuthorizationExternalForm{});
    AuthorizationExternalForm again;
    ASSERT_EQ(services.makeExternalForm(ref, again), errAuthorizationSuccess);
    EXPECT_EQ(again, form);

    // Another process (a fresh object) checks the form.
    AuthorizationServicesEmulated helper(root.paths());
    EXPECT_EQ(helper.checkExternalForm(form, kRight), errAuthorizationSuccess);
    EXPECT_EQ(helper.checkExternalForm(form, "system.privilege.admin"), errAuthorizationDenied);
    EXPECT_EQ(helper.checkExternalForm(AuthorizationExternalForm{}, kRight), errAuthorizationInvalidRef);
    AuthorizationExternalForm forged = form;
    forged.bytes[31] ^= 1;
    EXPECT_EQ(helper.checkExternalForm(forged, kRight), errAuthorizationInvalidRef);

    // Only the owner may read the live forms, and they hold a hash, never the bytes.
    AuthorizationLiveForms forms(root.root());
    struct stat folder { };
    struct stat file { };
    ASSERT_EQ(::stat(forms.folder().c_str(), &folder), 0);
    ASSERT_EQ(::stat(forms.fileFor(form).c_str(), &file), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    const std::string stored = readText(forms.fileFor(form));
    EXPECT_EQ(stored.find(std::string(form.bytes.begin(), form.bytes.end())), std::string::npos);

    ASSERT_EQ(services.free(ref, kAuthorizationFlagDefaults), errAuthorizationSuccess);
    EXPECT_EQ(helper.checkExternalForm(form, kRight), errAuthorizationInvalidRef);
    EXPECT_EQ(services.free(ref, kAuthorizationFlagDefaults), errAuthorizationInvalidRef);
    EXPECT_EQ(services.makeExternalForm(ref, again), errAuthorizationInvalidRef);
}

TEST_F(AuthorizationTest, AFormWhoseProcessWasReplacedIsRefused)
{
    AuthorizationRef ref;
    ASSERT_EQ(services.create({{kRight, {}, 0}}, credentials("admin", "secret"), kFlags, ref), errAuthorizationSuccess);
    AuthorizationExternalForm form;
    ASSERT_EQ(services.makeExternalForm(ref, form), errAuthorizationSuccess);
    const fs::path file = AuthorizationLiveForms(root.root()).fileFor(form);
    // The same pid, started at another time: a reused pid.
    std::string entry = readText(file);
    const std::size_t start = entry.find("start ");
    ASSERT_NE(start, std::string::npos);
    entry.replace(start, entry.find('\n', start) - start, "start 1");
    writeText(file, entry);
    EXPECT_EQ(services.checkExternalForm(form, kRight), errAuthorizationInvalidRef);
    EXPECT_FALSE(fs::exists(file)) << "a stale form is forgotten";
}

TEST_F(AuthorizationTest, AFormDiesWithItsProcess)
{
    int formPipe[2];
    int holdPipe[2];
    ASSERT_EQ(::pipe(formPipe), 0);
    ASSERT_EQ(::pipe(holdPipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Authorize, hand the form over, wait, then end without freeing anything.
        AuthorizationServicesEmulated own(root.paths());
        AuthorizationRef ref;
        AuthorizationExternalForm form;
        if (own.create({{kRight, {}, 0}}, credentials("admin", "secret"), kFlags, ref) != errAuthorizationSuccess
            || own.makeExternalForm(ref, form) != errAuthorizationSuccess)
            ::_exit(1);
        if (::write(formPipe[1], form.bytes.data(), form.bytes.size()) != static_cast<ssize_t>(form.bytes.size()))
            ::_exit(1);
        char ignored;
        ::close(holdPipe[1]);
        while (::read(holdPipe[0], &ignored, 1) > 0) { }
        ::_exit(0);
    }
    ::close(formPipe[1]);
    ::close(holdPipe[0]);
    AuthorizationExternalForm form;
    ASSERT_EQ(::read(formPipe[0], form.bytes.data(), form.bytes.size()), static_cast<ssize_t>(form.bytes.size()));
    EXPECT_EQ(services.checkExternalForm(form, kRight), errAuthorizationSuccess);
    ::close(holdPipe[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(services.checkExternalForm(form, kRight), errAuthorizationInvalidRef);
    ::close(formPipe[0]);
}

// Issue 17: a killed front end left its live form in the root for good. The next authorization
// drops every form whose process has ended, as authd does when its client dies.
TEST_F(AuthorizationTest, AnEndedProcesssFormIsDroppedAtTheNextAuthorization)
{
    int formPipe[2];
    ASSERT_EQ(::pipe(formPipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AuthorizationServicesEmulated own(root.paths());
        AuthorizationRef ref;
        AuthorizationExternalForm form;
        if (own.create({{kRight, {}, 0}}, credentials("admin", "secret"), kFlags, ref) != errAuthorizationSuccess
            || own.makeExternalForm(ref, form) != errAuthorizationSuccess)
            ::_exit(1);
        const bool sent =
            ::write(formPipe[1], form.bytes.data(), form.bytes.size()) == static_cast<ssize_t>(form.bytes.size());
        ::_exit(sent ? 0 : 1); // ends without freeing, as a killed process does
    }
    ::close(formPipe[1]);
    AuthorizationExternalForm dead;
    ASSERT_EQ(::read(formPipe[0], dead.bytes.data(), dead.bytes.size()), static_cast<ssize_t>(dead.bytes.size()));
    ::close(formPipe[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const AuthorizationLiveForms forms(root.root());
    ASSERT_TRUE(fs::exists(forms.fileFor(dead))) << "nobody has asked about it yet";

    AuthorizationRef ref;
    ASSERT_EQ(services.create({{kRight, {}, 0}}, credentials("admin", "secret"), kFlags, ref), errAuthorizationSuccess);
    AuthorizationExternalForm live;
    ASSERT_EQ(services.makeExternalForm(ref, live), errAuthorizationSuccess);
    EXPECT_FALSE(fs::exists(forms.fileFor(dead)));
    EXPECT_TRUE(fs::exists(forms.fileFor(live))) << "a live process's form stays";
    EXPECT_EQ(services.checkExternalForm(live, kRight), errAuthorizationSuccess);
}

TEST_F(AuthorizationTest, ProcessStartTimesAreReadFromProc)
{
    EXPECT_TRUE(processStartTime(::getpid()));
    EXPECT_FALSE(processStartTime(0));
    EXPECT_FALSE(processStartTime(-1));
}

} // namespace
} // namespace veltrona::test
