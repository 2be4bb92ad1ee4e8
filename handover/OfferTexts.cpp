#include "handover/OfferTexts.h"

namespace veltrona {

std::string offerLifetimeText()
{
    return "within " + std::to_string(kOfferLifetime.count()) + " minutes";
}

std::vector<std::string> offerNotes(const ServedProfile& served, const TlsIdentity& identity)
{
    std::vector<std::string> notes;
    if (served.isSigned)
        notes.push_back("The profile is signed.");
    else if (!served.unsignedReason.empty())
        notes.push_back("The profile is not signed: " + served.unsignedReason + ".");
    if (identity.throwAway)
        notes.push_back("The phone will warn about the address's certificate: it was made for this offer alone.");
    return notes;
}

std::string offerEndText(OfferState state)
{
    switch (state) {
    case OfferState::Downloaded: return "The profile was downloaded; the address is gone.";
    case OfferState::BrokenOff: return "The download broke off before the whole profile was sent; the address is gone.";
    case OfferState::Expired: return "The offer expired; nothing was downloaded.";
    default: break;
    }
    return "The offer was ended; nothing was downloaded.";
}

} // namespace veltrona
