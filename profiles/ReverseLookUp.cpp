#include "profiles/ReverseLookUp.h"

#include "foundation/Text.h"

#include <algorithm>

namespace veltrona {

std::string doReverseLookUp(std::string_view host)
{
    std::vector<std::string> labels = split(host, ".");
    std::reverse(labels.begin(), labels.end());
    return join(labels, ".");
}

} // namespace veltrona
