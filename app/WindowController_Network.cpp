// Network address suggestion: the client range, the DNS servers and the host name proposed from
// the dynamic store. The fields change; nothing is written until the server is next started.
#include "app/WindowController.h"

#include "network/AddressSuggestion.h"
#include "network/NetworkValues.h"

#include <QLabel>
#include <QLineEdit>

#include <optional>
#include <string>

namespace veltrona {

namespace {

template <typename Control> void setIfProposed(Control* control, const std::optional<std::string>& text)
{
    if (text)
        control->setText(QString::fromStdString(*text));
}

} // namespace

void WindowController::suggestIPAddresses(QObject* /*sender*/)
{
    // The reverse look-up can take seconds when the DNS server does not answer.
    startProgress();
    const NetworkValues values = readNetworkValues(services_.dynamicStore);
    const AddressSuggestion proposed =
        veltrona::suggestIPAddresses(values, vpnHostField->text().toStdString(), runner());
    setIfProposed(startIPAddressField, proposed.startIPAddress);
    setIfProposed(endIPAddressField, proposed.endIPAddress);
    setIfProposed(portForwardingInfo, proposed.portForwardingInfo);
    setIfProposed(dnsServerAddressesField, proposed.dnsServerAddresses);
    setIfProposed(vpnHostField, proposed.vpnHost);
    stopProgress();
}

} // namespace veltrona
