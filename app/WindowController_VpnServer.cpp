// The VPN server (vpnserver/): settings, shared secret, start, restart and stop, and the status
// light. Read the controls, hand them to vpnserver/, show what comes back.
#include "app/WindowController.h"

#include "accounts/TypedEntry.h"
#include "app/AlertFromText.h"
#include "app/AppResources.h"
#include "app/ButtonTitle.h"
#include "app/Interaction.h"
#include "vpnserver/PortProbe.h"
#include "vpnserver/RunFolder.h"
#include "vpnserver/ServerFileLocations.h"
#include "vpnserver/ServerFileReader.h"
#include "vpnserver/ServerFileWriter.h"
#include "vpnserver/SetupChecks.h"
#include "vpnserver/SharedSecret.h"
#include "vpnserver/VpnButton.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veltrona {

namespace {

// The shared secret field's text when there is no secret to edit.
constexpr const char* kSharedSecretError = "ERROR";

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string stdText(const QString& text)
{
    return text.toStdString();
}

} // namespace

ServerSettings WindowController::serverSettings() const
{
    return {
        stdText(vpnTypeMenu->currentText()), stdText(vpnHostField->text()),
        stdText(sharedSecretField->text()),  stdText(dnsServerAddressesField->text()),
        stdText(searchDomainsField->text()), stdText(startIPAddressField->text()),
        stdText(endIPAddressField->text()),
    };
}

void WindowController::vpnConfig()
{
    logFailedWrites(veltrona::vpnConfig(serverSettings(), serverFileLocations(), runner()));
}

void WindowController::logFailedWrites(const VpnConfigResult& result)
{
    // The reload that follows shows what is installed; the log says why a write installed nothing.
    for (const Status* written : {&result.serverFile, &result.jobFile}) {
        if (!written->ok())
            services_.log.log(written->message());
    }
}

void WindowController::loadVPNSettings()
{
    const LoadedServerSettings loaded = veltrona::loadVPNSettings(serverFileLocations());
    const ServerSettings& settings = loaded.settings;

    // A job file that is missing or names no type the menu offers leaves the selection as it is.
    const int typeIndex = settings.type.empty() ? -1 : vpnTypeMenu->findText(qText(settings.type));
    if (typeIndex >= 0)
        vpnTypeMenu->setCurrentIndex(typeIndex);

    // Without a server file these are all empty.
    vpnHostField->setText(qText(settings.vpnHost));
    sharedSecretField->setText(qText(settings.sharedSecret));
    dnsServerAddressesField->setText(qText(settings.dnsServerAddresses));
    searchDomainsField->setText(qText(settings.searchDomains));
    startIPAddressField->setText(qText(settings.startIPAddress));
    endIPAddressField->setText(qText(settings.endIPAddress));
    portForwardingInfo->setText(qText(loaded.portForwardingInfo));

    endEditing();
}

ServerFileLocations WindowController::serverFileLocations() const
{
    return ServerFileLocations(services_.resourceDirectory, services_.paths, runFolder_->path());
}

void WindowController::VPN(QObject* sender)
{
    endEditing();
    startProgress();

    // The title the program set: a theme's accelerator marks in the text must not make it unknown.
    const auto* button = qobject_cast<const QAbstractButton*>(sender);
    const std::string title = button ? stdText(titleWithoutAccelerators(button->text())) : std::string();
    // A start is not held back by the checks; the log only names the first that failed.
    if (title == kStartVPNTitle) {
        if (const std::optional<SetupCheck> failed = firstFailedCheck(runSetupChecks()))
            services_.log.log(failedCheckLogLine(*failed));
    }
    const CheckedVpnAction performed =
        performCheckedVPNAction(title, serverSettings(), serverFileLocations(), runner());
    if (performed.written)
        logFailedWrites(*performed.written);

    loadVPNSettings();
    checkStatusLights(sender);
    stopProgress();
    // The light shows the state; a stop or start that did not take is said in words too.
    if (!performed.outcome)
        alertFromText(services_.interaction, {performed.outcome.message(), {}, {"OK"}}).runModal();
}

void WindowController::checkStatusLights(QObject* /*sender*/)
{
    const VpnButtonState state = veltrona::checkStatusLights(runner());
    setVpnButtonTitle(qText(state.title));
    vpnButton->setToolTip(qText(state.toolTip));
    vpnLight->setPixmap(imageNamed(qText(state.lightImage)));
    // The light's colour is all it says; a screen reader needs it in words.
    vpnLight->setAccessibleDescription(state.lightImage == kLightOn ? QStringLiteral("Running")
                                                                    : QStringLiteral("Stopped"));
}

void WindowController::flagsChanged(std::uint64_t modifierFlags)
{
    if (vpnButton == nullptr)
        return;
    const std::string current = stdText(titleWithoutAccelerators(vpnButton->text()));
    if (const std::optional<std::string> title = titleForModifierFlags(modifierFlags, current))
        setVpnButtonTitle(qText(*title));
}

void WindowController::setVpnButtonTitle(const QString& title)
{
    vpnButton->setText(title);
    // A screen reader hears the title, the state and the action in one; the description explains.
    vpnButton->setAccessibleName(title);
}

bool WindowController::checkIfOpenPort(int portNo)
{
    return veltrona::checkIfOpenPort(portNo, services_.log);
}

bool WindowController::checkIfLightIsOn(QLabel* light, int portNo)
{
    const bool open = checkIfOpenPort(portNo);
    if (light != nullptr)
        light->setPixmap(imageNamed(qText(lightImageForPort(open))));
    return open;
}

void WindowController::showSharedSecretPanel(QObject* /*sender*/)
{
    const QString secret = sharedSecretField->text();
    // What the settings show when the server file could not be read: nothing to edit.
    if (secret == QLatin1String(kSharedSecretError))
        return;
    sharedSecretPanelField->setText(secret);
    sharedSecretInfoField->clear();
    beginSheet(sharedSecretPanel);
    sharedSecretPanelField->setFocus(Qt::OtherFocusReason);
}

void WindowController::refuseSharedSecret(const char* message)
{
    services_.interaction.beep();
    sharedSecretInfoField->setText(QString::fromUtf8(message));
    sharedSecretPanelField->setFocus(Qt::OtherFocusReason);
}

void WindowController::closeSharedSecretPanel(QObject* sender)
{
    if (sender == nullptr || sender->property("tag").toInt() == 0) {
        closeSheet(sender);
        return;
    }
    const std::string typed = stdText(sharedSecretPanelField->text());
    // The field's filter sees only typing: a secret set another way (read back from the file,
    // put there through the accessibility interface) must pass the same rule.
    const std::optional<std::string> secret =
        typed.empty() ? std::optional<std::string>("") : acceptedEntry(typed, false);
    if (!secret) {
        refuseSharedSecret(kSharedSecretCharactersMessage);
        return;
    }
    // A server file that cannot be read is not rewritten; the keychain item and the field still
    // take the new secret, and the next start writes the file from the field.
    const Status stored = storeSharedSecret(*secret, serverFileLocations(), runner());
    if (!stored && stored.message() == kSharedSecretNotStored) {
        // The old secret is back in the keychain; the sheet stays for another try.
        refuseSharedSecret(kSharedSecretNotStored);
        return;
    }
    closeSheet(sender);
    sharedSecretField->setText(qText(*secret));
}

} // namespace veltrona
