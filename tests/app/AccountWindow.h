#pragma once
// The window after a successful login on a fresh emulated Mac, commands run as root through the
// real runner and stand-in tools: the account tests' starting point, with helpers to fill the
// directory, read it back, type like a user and see the notifications posted.

#include "accounts/AccountRecord.h"
#include "app/AccountArrayController.h"
#include "app/WindowController.h"
#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/NotificationCenterEmulated.h"
#include "tests/app/AppTestBed.h"
#include "tests/support/FileText.h"

#include <QLineEdit>
#include <QTest>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace veltrona::test {

// Types as the keyboard does, one character at a time; QTest's own helper knows ASCII only.
inline void typeInto(QLineEdit* field, const QString& text)
{
    for (const char32_t codePoint : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString::fromUcs4(&codePoint, 1), Qt::NoModifier);
}

// A VPN account put straight into the directory, as another tool would have made it.
inline void storeVpnUser(const std::filesystem::path& root, const std::string& name, int uid,
                         const std::string& realName = "VPN-User")
{
    Record record;
    record.setValues("name", {name});
    record.setValues("uid", {std::to_string(uid)});
    record.setValues("realname", {realName});
    record.setValues("shell", {"/usr/bin/false"});
    ASSERT_TRUE(Directory(root).store(RecordType::Users, record).ok());
}

// A value of a written profile's VPN payload, by key path ("PPP.AuthName"); nothing when the file
// or the value is missing.
inline std::optional<PlistValue> profilePayloadValue(const std::filesystem::path& file, std::string_view keyPath)
{
    const std::optional<PlistValue> profile = readPlistFile(file);
    const PlistValue* payloads = profile ? valueForKey(*profile, "PayloadContent") : nullptr;
    if (!payloads || !payloads->array() || payloads->array()->empty())
        return std::nullopt;
    const PlistValue* value = valueForKeyPath(payloads->array()->front(), keyPath);
    return value ? std::optional<PlistValue>(*value) : std::nullopt;
}

inline PlistValue bytes(std::string_view text)
{
    return PlistValue(PlistData(text.begin(), text.end()));
}

class AccountWindow : public ::testing::Test {
protected:
    void SetUp() override { window = &bed.makeLoggedInController(); }

    void addVpnUser(const std::string& name, int uid, const std::string& realName = "VPN-User")
    {
        storeVpnUser(bed.platform.root(), name, uid, realName);
    }

    std::optional<Record> user(const std::string& name) const
    {
        return Directory(bed.platform.root()).find(RecordType::Users, name).record;
    }

    std::vector<std::string> listed() const
    {
        std::vector<std::string> names;
        for (const AccountRecord& record : window->userAccountsController->arrangedObjects())
            names.push_back(record.userName);
        return names;
    }

    std::vector<std::string> selected() const
    {
        std::vector<std::string> names;
        for (const AccountRecord& record : window->userAccountsController->selectedObjects())
            names.push_back(record.userName);
        return names;
    }

    // The notifications posted so far, one name a line.
    std::string notifications() const
    {
        const std::filesystem::path log = bed.paths.map(kNotificationLogFile);
        return std::filesystem::exists(log) ? readText(log) : std::string();
    }

    std::filesystem::path desktop() const { return bed.paths.map("/Users/admin/Desktop"); }

    AppTestBed bed{AppTestBed::Commands::RunAsRoot};
    WindowController* window = nullptr;
};

} // namespace veltrona::test
