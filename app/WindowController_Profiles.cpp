// Client profile export (profiles/): a profile for the selected account, onto the Desktop after a
// password was typed, or wherever the user chooses in a save dialog.
#include "app/WindowController.h"

#include "app/Alert.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/UserDefaults.h"
#include "platform/ProcessInfo.h"
#include "profiles/ProfileBuilder.h"
#include "profiles/ProfileExport.h"
#include "profiles/SavePath.h"
#include "profiles/SigningMaterial.h"

#include <QComboBox>
#include <QLineEdit>

namespace veltrona {

namespace {

constexpr const char* kSavePathKey = "savePath";
constexpr const char* kSignMobileConfigFileKey = "signMobileConfigFile";
constexpr const char* kSignMobileConfigFileEnabledKey = "signMobileConfigFileEnabled";
constexpr const char* kProfileExtension = "mobileconfig";

// The dialog's road: the profile is written when the user confirms, into the file chosen.
void saveThroughDialog(const AppServices& services, QWidget* window, ProfileBuild build, const std::string& userName)
{
    const std::string home = services.processInfo.homeDirectory();
    SavePanelOptions options;
    options.directory =
        QString::fromStdString(saveDialogFolder(services.paths, services.defaults.stringForKey(kSavePathKey), home));
    options.nameFieldStringValue = QString::fromStdString(userName);
    options.message = QStringLiteral("Save a new .mobileconfig profile:");
    options.allowedFileType = QLatin1String(kProfileExtension);

    UserDefaults& defaults = services.defaults;
    Interaction& interaction = services.interaction;
    const PlatformPaths platform = services.paths;
    services.interaction.beginSavePanel(
        window, options,
        [&defaults, &interaction, window, platform, build = std::move(build)](const QString& file,
                                                                              const QString& folder) {
            if (file.isEmpty())
                return;
            defaults.setStringForKey(kSavePathKey, savePathForFolder(platform, folder.toStdString()));
            // A template that cannot be read leaves nothing to write.
            if (!build.ok())
                return;
            // The user chose this file: a profile that did not reach it must not pass for saved.
            if (const Status saved = saveProfile(build.profile, file.toStdString()); !saved) {
                Alert alert(interaction);
                alert.setMessageText(QStringLiteral("The profile could not be saved."));
                alert.setInformativeText(QString::fromStdString(saved.message()));
                alert.beginSheetModalForWindow(window, {});
            }
        });
}

} // namespace

void WindowController::saveMobileConfigProfile(QObject* sender)
{
    // A password field is the automatic road: the profile carries what was just typed there.
    const auto* passwordField = qobject_cast<const QLineEdit*>(sender);
    ProfileInput input;
    input.vpnType = vpnTypeMenu->currentText().toStdString();
    input.host = vpnHostField->text().toStdString();
    input.sharedSecret = sharedSecretField->text().toStdString();
    input.userName = selectedUserName().value_or(std::string());
    if (passwordField)
        input.password = passwordField->text().toStdString();

    ProfileBuild build = buildProfileFromTemplate(profileTemplatePath(services_.resourceDirectory), input);
    if (build.problem == ProfileProblem::NoAccount) {
        services_.interaction.beep();
        return;
    }
    if (!passwordField) {
        saveThroughDialog(services_, window_, std::move(build), input.userName);
        return;
    }
    if (!build.ok())
        return;
    const AutomaticExport destination{desktopFolder(services_.paths, services_.processInfo.homeDirectory()),
                                      services_.paths, services_.defaults.integerForKey(kSignMobileConfigFileKey) != 0};
    // What went wrong with signing is in the log; the unsigned profile is kept then.
    writeProfileAutomatically(build.profile, input.userName, input.vpnType, input.host, destination, runner(),
                              services_.log);
}

void WindowController::setSignMobileConfigFileCheckBox()
{
    UserDefaults& defaults = services_.defaults;
    if (signingPossible(services_.paths, vpnHostField->text().toStdString())) {
        defaults.setStringForKey(kSignMobileConfigFileEnabledKey, "1");
        return;
    }
    defaults.setStringForKey(kSignMobileConfigFileEnabledKey, "0");
    defaults.setStringForKey(kSignMobileConfigFileKey, "0");
}

} // namespace veltrona
