#pragma once
// What the window's sheet and the command line say of an offer: the notes once it is made, and
// how it ended.

#include "handover/ProfileOffer.h"
#include "handover/ServedProfile.h"
#include "handover/TlsIdentity.h"

#include <string>
#include <vector>

namespace veltrona {

// "within 10 minutes", from the offer's lifetime.
std::string offerLifetimeText();

// Whether the profile is signed (and why not), and that the phone will warn about a throw-away
// certificate.
std::vector<std::string> offerNotes(const ServedProfile& served, const TlsIdentity& identity);

// For an offer that is no longer open.
std::string offerEndText(OfferState state);

} // namespace veltrona
