#pragma once
// The reversed-domain form of a host name that profile identifiers start with.

#include <string>
#include <string_view>

namespace veltrona {

// The "."-separated labels in reverse order: "a.b.c" gives "c.b.a", "" gives "". Empty labels
// stay in place. No network request is made.
std::string doReverseLookUp(std::string_view host);

} // namespace veltrona
