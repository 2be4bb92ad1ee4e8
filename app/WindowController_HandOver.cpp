// Handing a profile to a phone (handover/): "Send Profile to Phone…" offers the selected account's
// profile once at a one-time HTTPS address, shown as a QR code and as text with the time left.
#include "app/WindowController.h"

#include "app/Alert.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/QrImage.h"
#include "app/Sheet.h"
#include "foundation/Text.h"
#include "handover/OfferAddress.h"
#include "handover/OfferTexts.h"
#include "handover/ProfileOffer.h"
#include "handover/QrCode.h"
#include "handover/ServedProfile.h"
#include "profiles/ProfileBuilder.h"
#include "vpnserver/RunFolder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace veltrona {

namespace {

constexpr int kModuleSize = 5; // pixels a side: a code of 33 modules and its quiet zone fill 205

void refuseOffer(Interaction& interaction, QWidget* window, const std::string& why)
{
    Alert alert(interaction);
    alert.setMessageText(QStringLiteral("The profile could not be offered."));
    alert.setInformativeText(QString::fromStdString(why));
    alert.beginSheetModalForWindow(window, {});
}

QString timeLeft(std::chrono::steady_clock::duration left)
{
    const auto seconds = std::max<long long>(0, std::chrono::ceil<std::chrono::seconds>(left).count());
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void WindowController::sendProfileToPhone(QObject* /*sender*/)
{
    endEditing();
    ProfileInput input;
    input.vpnType = vpnTypeMenu->currentText().toStdString();
    input.host = vpnHostField->text().toStdString();
    input.sharedSecret = sharedSecretField->text().toStdString();
    input.userName = selectedUserName().value_or(std::string());
    // The profile "Export Profile…" saves: no password.
    const ProfileBuild build = buildProfileFromTemplate(profileTemplatePath(services_.resourceDirectory), input);
    if (build.problem == ProfileProblem::NoAccount) {
        services_.interaction.beep();
        return;
    }
    if (!build.ok())
        return refuseOffer(services_.interaction, window_, "The profile template cannot be read.");
    const std::optional<std::string> address = lanAddress(services_.dynamicStore);
    if (!address)
        return refuseOffer(services_.interaction, window_,
                           "The network has no primary interface with an address a phone could reach.");

    startProgress();
    const std::optional<ServedProfile> served =
        servedProfile(build.profile, input.userName, input.vpnType, input.host, services_.paths, runFolder_->path(),
                      runner(), services_.log);
    std::optional<TlsIdentity> identity = readSigningIdentity(services_.paths, input.host);
    if (!identity)
        identity = throwAwayIdentity(*address);
    stopProgress();
    if (!served)
        return refuseOffer(services_.interaction, window_, "The profile could not be made.");
    if (!identity)
        return refuseOffer(services_.interaction, window_, "No certificate could be made for the HTTPS address.");

    auto offer = std::make_unique<ProfileOffer>();
    if (const Status started = offer->start({*address, served->bytes}, *identity); !started)
        return refuseOffer(services_.interaction, window_, started.message());
    profileOffer_ = std::move(offer);

    const QString url = QString::fromStdString(profileOffer_->url());
    sendProfileIntroField->setText(
        QStringLiteral("Scan the code with the phone\u2019s camera, or open the address in its browser, to install "
                       "the profile of %1. It can be downloaded once, %2.")
            .arg(QString::fromStdString(input.userName), QString::fromStdString(offerLifetimeText())));
    const std::optional<QrCode> code = QrCode::encode(profileOffer_->url());
    sendProfileCodeImage->setPixmap(code ? QPixmap::fromImage(qrImage(*code, kModuleSize)) : QPixmap());
    sendProfileCodeImage->setAccessibleDescription(QStringLiteral("QR code of %1").arg(url));
    sendProfileAddressField->setText(url);
    sendProfileAddressField->setCursorPosition(0); // the start of an address says the most
    sendProfileInfoField->setText(QString::fromStdString(join(offerNotes(*served, *identity), " ")));
    showOfferState();
    offerTimer_->start();
    beginSheet(sendProfilePanel);
    if (QAbstractButton* done = sendProfilePanel->cancelButton())
        done->setFocus(Qt::OtherFocusReason);
}

void WindowController::showOfferState()
{
    if (!profileOffer_)
        return;
    const OfferState state = profileOffer_->state();
    if (state == OfferState::Open) {
        sendProfileTimeLeftField->setText(timeLeft(profileOffer_->expiry() - std::chrono::steady_clock::now()));
        return;
    }
    offerTimer_->stop();
    sendProfileCodeImage->setPixmap(QPixmap());
    sendProfileCodeImage->setAccessibleDescription(QString());
    sendProfileAddressField->clear();
    sendProfileTimeLeftField->setText(timeLeft({}));
    sendProfileInfoField->setText(QString::fromStdString(offerEndText(state)));
}

void WindowController::closeSendProfilePanel(QObject* sender)
{
    // Done, Escape or the close button: the address stops answering before the sheet goes.
    offerTimer_->stop();
    profileOffer_.reset();
    closeSheet(sender);
}

} // namespace veltrona
