#include "profiles/ProfileInput.h"

#include "foundation/Text.h"

namespace veltrona {

ProfileUuids freshProfileUuids()
{
    ProfileUuids uuids;
    uuids.payload = uuidString();
    uuids.profile = uuidString();
    return uuids;
}

} // namespace veltrona
