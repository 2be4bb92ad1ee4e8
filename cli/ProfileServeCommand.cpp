// profile NAME --serve: the profile offered once to a phone at a one-time HTTPS address, printed
// as a QR code; the command waits for the download, the expiry or Ctrl-C.
#include "cli/Commands.h"
#include "foundation/AddressText.h"
#include "handover/OfferAddress.h"
#include "handover/OfferTexts.h"
#include "handover/ProfileOffer.h"
#include "handover/QrCode.h"
#include "handover/ServedProfile.h"
#include "vpnserver/RunFolder.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <pthread.h>

namespace veltrona::cli {

namespace {

void print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// Ctrl-C and a polite kill are taken as "withdraw the offer": blocked in every thread of the
// offer (they inherit this mask) and waited for here.
class EndingSignals {
public:
    EndingSignals()
    {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    }
    ~EndingSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignals(const EndingSignals&) = delete;
    EndingSignals& operator=(const EndingSignals&) = delete;

    bool arrivedWithin(std::chrono::milliseconds wait) const
    {
        const timespec timeout{static_cast<time_t>(wait.count() / 1000),
                               static_cast<long>(wait.count() % 1000) * 1000000};
        return sigtimedwait(&set_, nullptr, &timeout) > 0;
    }

private:
    sigset_t set_{};
    sigset_t previous_{};
};

} // namespace

Result serveProfile(Session& session, const CliOptions& options, const ProfileBuild& build, const ProfileInput& input)
{
    std::string address;
    if (options.bindAddress) {
        address = *options.bindAddress;
        if (!isIPAddress(address))
            return failed(kRefused, "--bind takes an IP address of this machine, not " + address + ".");
    } else if (std::optional<std::string> lan = lanAddress(*session.platform().dynamicStore)) {
        address = *lan;
    } else {
        return failed(kRefused, "The network has no primary interface with an address a phone could reach; "
                                "choose one with --bind ADDRESS.");
    }

    std::optional<ServedProfile> served;
    {
        const RunFolder folder(session.paths());
        served = servedProfile(build.profile, input.userName, input.vpnType, input.host, session.paths(), folder.path(),
                               session.runner(), session.log());
    }
    if (!served)
        return failed(kPlatformFailed, "The profile could not be made.");
    // Listening everywhere, the address shown is still the one a phone on the network reaches.
    const std::string shown = address == "0.0.0.0" || address == "::"
                                  ? lanAddress(*session.platform().dynamicStore).value_or(address)
                                  : address;
    std::optional<TlsIdentity> identity = readSigningIdentity(session.paths(), input.host);
    if (!identity)
        identity = throwAwayIdentity(shown);
    if (!identity)
        return failed(kPlatformFailed, "No certificate could be made for the HTTPS address.");

    const EndingSignals signals;
    ProfileOffer offer;
    OfferSettings settings{address, served->bytes, shown};
    if (const Status started = offer.start(std::move(settings), *identity); !started)
        return failed(kRefused, started.message());

    std::string text;
    if (const std::optional<QrCode> code = QrCode::encode(offer.url()))
        text += halfBlockText(*code) + "\n";
    text += offer.url() + "\n\n";
    text += "Open this address on the phone, or scan the code: it serves one download " + offerLifetimeText()
            + ". Ctrl-C ends the offer.\n";
    for (const std::string& note : offerNotes(*served, *identity))
        text += note + "\n";
    print(text);

    while (offer.state() == OfferState::Open) {
        if (signals.arrivedWithin(std::chrono::milliseconds(200)))
            offer.withdraw();
    }
    const OfferState ended = offer.state();
    if (ended == OfferState::Downloaded)
        return done(offerEndText(ended));
    return failed(kRefused, offerEndText(ended));
}

} // namespace veltrona::cli
