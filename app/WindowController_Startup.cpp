// Start-up: the version gate, the launch sequence, the administrator login and the reload.
#include "app/WindowController.h"

#include "app/Alert.h"
#include "app/Interaction.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "app/VersionGate.h"
#include "platform/ProcessInfo.h"
#include "services/Keychain.h"
#include "services/TaskWrapper.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace veltrona {

namespace {

// Not among the four defaults: the login sheet's name and remember box, kept from one launch to
// the next so that a remembered password can log in without the sheet.
constexpr const char* kAdministratorNameKey = "administratorName";
constexpr const char* kRememberPasswordKey = "savePasswordInKeychain";

Keychain passwordStore(const AppServices& services)
{
    return Keychain(services.keychain, services.processInfo, services.log);
}

} // namespace

std::map<std::string, std::string> WindowController::initialDefaults()
{
    return {
        {"savePath", "~"},
        {"saveMobileConfigFile", "0"},
        {"signMobileConfigFile", "0"},
        {"signMobileConfigFileEnabled", "0"},
    };
}

bool WindowController::initialize(const ProcessInfo& processInfo, UserDefaults& defaults, Interaction& interaction)
{
    if (!versionGatePasses(processInfo.operatingSystemVersionString())) {
        interaction.beep();
        Alert alert(interaction);
        alert.setMessageText(QStringLiteral("This version of Veltrona will only run on Mac OS X El Capitan"));
        alert.setInformativeText(QStringLiteral("Sorry. The application will now quit."));
        alert.runModal();
        interaction.terminate();
        return false;
    }
    defaults.registerInitialValues(initialDefaults());
    return true;
}

void WindowController::awakeFromNib()
{
    const UserDefaults& defaults = services_.defaults;
    administratorField->setText(QString::fromStdString(defaults.stringForKey(kAdministratorNameKey)));
    savePasswordInKeychain->setChecked(defaults.integerForKey(kRememberPasswordKey) != 0);
}

void WindowController::applicationDidFinishLaunching()
{
    createRunner();
    if (administratorField->text().isEmpty())
        administratorField->setText(QString::fromStdString(services_.processInfo.fullUserName()));
    passwordField->setText(QString());
    if (savePasswordInKeychain->isChecked()) {
        const std::string stored =
            passwordStore(services_).getPasswordForUser(administratorField->text().toStdString());
        passwordField->setText(QString::fromStdString(stored));
    }
    if (!passwordField->text().isEmpty() && shouldAccessBeGranted() == 0) {
        doStartUpChecks();
        return;
    }
    passwordField->selectAll();
    passwordField->setFocus();
    beginSheet(loginPanel);
}

int WindowController::shouldAccessBeGranted()
{
    if (!unixTask)
        createRunner();
    unixTask->setAdminPassword(passwordField->text().toStdString(), administratorField->text().toStdString());
    return unixTask->checkIfSudoer() ? 0 : 1;
}

void WindowController::doLogin(QObject* /*sender*/)
{
    // Qt's fields hold what was typed at every moment: there is no edit in progress to commit.
    if (shouldAccessBeGranted() != 0) {
        services_.interaction.beep();
        passwordInfoField->setText(QStringLiteral("Access failed : Cannot authenticate the Administrator."));
        passwordField->selectAll();
        passwordField->setFocus();
        return;
    }
    services_.interaction.endSheet(loginPanel, 0);
    const std::string name = administratorField->text().toStdString();
    if (savePasswordInKeychain->isChecked())
        passwordStore(services_).storePassword(passwordField->text().toStdString(), name);
    else
        passwordStore(services_).deletePasswordForUser(name);
    rememberLoginChoices();
    doStartUpChecks();
}

void WindowController::rememberLoginChoices()
{
    UserDefaults& defaults = services_.defaults;
    defaults.setStringForKey(kAdministratorNameKey, administratorField->text().toStdString());
    defaults.setStringForKey(kRememberPasswordKey, savePasswordInKeychain->isChecked() ? "1" : "0");
}

void WindowController::quitApp(QObject* /*sender*/)
{
    services_.interaction.endSheet(loginPanel, 0);
    services_.interaction.terminate();
}

void WindowController::doStartUpChecks()
{
    doSanityCheck();
    reloadData(nullptr);
}

void WindowController::reloadData(QObject* /*sender*/)
{
    startProgress();
    loadVPNSettings();
    loadUserAccountsArray();
    checkStatusLights(nullptr);
    stopProgress();
}

} // namespace veltrona
