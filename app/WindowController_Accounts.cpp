// VPN user accounts (accounts/): the list, creation, password reset and deletion. Each action reads
// the sheet, hands the texts to accounts/ and shows what comes back.
#include "app/WindowController.h"

#include "accounts/AccountActions.h"
#include "accounts/AccountEntry.h"
#include "accounts/AccountListing.h"
#include "accounts/EntryFilter.h"
#include "app/AccountArrayController.h"
#include "app/Alert.h"
#include "app/AlertFromText.h"
#include "app/ButtonTitle.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "platform/NotificationCenter.h"
#include "services/AlertText.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <numeric>
#include <string_view>

namespace veltrona {

namespace {

constexpr const char* kCreateTitle = "Create";
constexpr const char* kSaveMobileConfigFileKey = "saveMobileConfigFile";

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string stdText(const QLineEdit* field)
{
    return field->text().toStdString();
}

// Written back only when it changed, so the cursor and the undo history of an unchanged field stay.
void setTextIfChanged(QLineEdit* field, const std::string& text)
{
    const QString updated = qText(text);
    if (field->text() != updated)
        field->setText(updated);
}

FilteredEntry filterText(const QString& text, bool lowerCase)
{
    return filterEntry(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())),
        lowerCase);
}

QString fromUtf16(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::optional<std::string> WindowController::selectedUserName() const
{
    return firstSelectedUserName(userAccountsController->selectedObjects());
}

void WindowController::reportEntryProblem(const EntryProblem& problem, QLabel* infoField, QLineEdit* field)
{
    services_.interaction.beep();
    infoField->setText(qText(problem.message));
    field->setFocus(Qt::OtherFocusReason);
}

void WindowController::beginAlertSheet(const AlertText& text, std::function<void(int)> completionHandler)
{
    alertFromText(services_.interaction, text).beginSheetModalForWindow(window_, std::move(completionHandler));
}

void WindowController::loadUserAccountsArray()
{
    std::vector<int> all(static_cast<std::size_t>(userAccountsController->arrangedCount()));
    std::iota(all.begin(), all.end(), 0);
    userAccountsController->removeObjectsAtArrangedObjectIndexes(all);
    userAccountsController->clearSortDescriptors();
    // A listing that cannot be read leaves the table empty; accounts/ has logged why.
    userAccountsController->addObjects(loadVpnAccounts(runner(), services_.log));
}

void WindowController::controlTextDidChange(QObject* control)
{
    auto* field = qobject_cast<QLineEdit*>(control);
    if (field == nullptr || (field != userNameField && field != sharedSecretPanelField))
        return;
    const bool lowerCase = field == userNameField;
    const QString text = field->text();
    const FilteredEntry filtered = filterText(text, lowerCase);
    for (std::size_t beep = 0; beep < filtered.dropped; ++beep)
        services_.interaction.beep();
    const QString kept = fromUtf16(filtered.text);
    if (kept == text)
        return;
    // The cursor stays after what was kept of the text before it.
    const qsizetype keptBeforeCursor =
        static_cast<qsizetype>(filterText(text.left(field->cursorPosition()), lowerCase).text.size());
    field->setText(kept);
    field->setCursorPosition(static_cast<int>(std::min(keptBeforeCursor, kept.size())));
}

void WindowController::addUser(QObject* /*sender*/)
{
    for (QLineEdit* field : {userNameField, userPasswordField, userPasswordVerifyField})
        field->clear();
    userAccountsInfoField->clear();
    setSignMobileConfigFileCheckBox();
    beginSheet(userAccountsPanel);
    // The keyboard starts in the first field, so the sheet can be filled in without the mouse.
    userNameField->setFocus(Qt::OtherFocusReason);
}

void WindowController::saveUser(QObject* sender)
{
    const auto* button = qobject_cast<const QAbstractButton*>(sender);
    const bool creating = button && titleWithoutAccelerators(button->text()) == QLatin1String(kCreateTitle);

    NewAccountEntry entry{stdText(userNameField), stdText(userPasswordField), stdText(userPasswordVerifyField)};
    const std::optional<EntryProblem> entryProblem = checkNewAccountEntry(entry, creating);
    setTextIfChanged(userNameField, entry.name);
    setTextIfChanged(userPasswordField, entry.password);
    setTextIfChanged(userPasswordVerifyField, entry.verify);
    QLineEdit* const fields[] = {userNameField, userPasswordField, userPasswordVerifyField};
    const auto fieldOf = [&fields](EntryField field) { return fields[static_cast<int>(field)]; };
    if (entryProblem) {
        reportEntryProblem(*entryProblem, userAccountsInfoField, fieldOf(entryProblem->field));
        return;
    }

    if (creating) {
        if (const std::optional<EntryProblem> refused =
                createVPNAccount(runner(), services_.paths, entry.name, entry.password)) {
            reportEntryProblem(*refused, userAccountsInfoField, fieldOf(refused->field));
            return;
        }
        userAccountsController->addObject({entry.name, "1"});
        // Where the new row stands depends on the table's sort; the profile below is its own.
        const std::vector<AccountRecord> arranged = userAccountsController->arrangedObjects();
        const auto row = std::find_if(arranged.begin(), arranged.end(),
                                      [&entry](const AccountRecord& record) { return record.userName == entry.name; });
        const int index = static_cast<int>(row - arranged.begin());
        userAccountsController->setSelectionIndex(index);
        userAccountsController->scrollRowToVisible(index);
        services_.notifications.postNotificationName(kUserWasRemovedNotification);
    }

    if (services_.defaults.integerForKey(kSaveMobileConfigFileKey) != 0)
        saveMobileConfigProfile(userPasswordField);
    closeSheet(sender);
}

void WindowController::handleDoubleClick(QObject* /*sender*/)
{
    const std::optional<std::string> name = selectedUserName();
    if (!name) {
        services_.interaction.beep();
        return;
    }
    userResetPasswordUserNameField->setText(qText(*name));
    for (QLineEdit* field : {userResetPasswordField, userResetPasswordVerifyField})
        field->clear();
    userResetPasswordInfoField->clear();
    setSignMobileConfigFileCheckBox();
    beginSheet(userResetPasswordPanel);
    userResetPasswordField->setFocus(Qt::OtherFocusReason);
}

void WindowController::saveNewPassword(QObject* sender)
{
    std::string password = stdText(userResetPasswordField);
    std::string verify = stdText(userResetPasswordVerifyField);
    std::optional<EntryProblem> problem = checkPasswordReset(password, verify);
    setTextIfChanged(userResetPasswordField, password);
    setTextIfChanged(userResetPasswordVerifyField, verify);
    if (!problem)
        problem = resetVPNAccountPassword(runner(), stdText(userResetPasswordUserNameField), password);
    if (problem) {
        QLineEdit* field = problem->field == EntryField::Verify ? userResetPasswordVerifyField : userResetPasswordField;
        reportEntryProblem(*problem, userResetPasswordInfoField, field);
        return;
    }
    if (services_.defaults.integerForKey(kSaveMobileConfigFileKey) != 0)
        saveMobileConfigProfile(userResetPasswordField);
    closeSheet(sender);
}

void WindowController::deleteUser(QObject* /*sender*/)
{
    const std::optional<std::string> name = selectedUserName();
    if (!name) {
        services_.interaction.beep();
        return;
    }
    if (isAdministrator(runner(), *name)) {
        beginAlertSheet(administratorRefusalAlert(*name));
        return;
    }
    beginAlertSheet(deletionConfirmationAlert(*name),
                    [this, userName = *name](int returnCode) { deleteConfirmed(returnCode, userName); });
}

void WindowController::deleteConfirmed(int returnCode, const std::string& userName)
{
    if (returnCode != NSAlertSecondButtonReturn)
        return;
    startProgress();
    if (!deleteVPNAccount(runner(), userName)) {
        loadUserAccountsArray();
        stopProgress();
        beginAlertSheet(deletionFailedAlert(userName));
        return;
    }
    // The record of the account deleted, whichever row is selected by now.
    std::vector<AccountRecord> deleted;
    for (const AccountRecord& record : userAccountsController->arrangedObjects()) {
        if (record.userName == userName)
            deleted.push_back(record);
    }
    userAccountsController->removeObjects(deleted);
    services_.notifications.postNotificationName(kUserWasRemovedNotification);
    stopProgress();
    beginAlertSheet(deletionDoneAlert(userName));
}

} // namespace veltrona
