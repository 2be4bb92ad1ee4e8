#pragma once
// Where an offer listens, and the address a phone opens.

#include "platform/DynamicStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

// The first IPv4 address of the dynamic store's primary interface: the one a phone on the same
// network can reach. Nothing when the store names none.
std::optional<std::string> lanAddress(DynamicStore& store);

// "https://ADDRESS:PORT/TOKEN", an IPv6 address in brackets.
std::string offerUrl(std::string_view address, std::uint16_t port, std::string_view token);

} // namespace veltrona
