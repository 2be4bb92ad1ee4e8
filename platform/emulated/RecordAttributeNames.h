#pragma once
// dscl's attribute names and the dslocal keys they are stored under.

#include <string>
#include <string_view>

namespace veltrona {

inline constexpr std::string_view kStandardAttributePrefix = "dsAttrTypeStandard:";
inline constexpr std::string_view kNativeAttributePrefix = "dsAttrTypeNative:";

// "RealName" or "dsAttrTypeStandard:RealName" -> "realname"; "dsAttrTypeNative:foo" -> "foo";
// any other name is kept as given.
std::string nativeKeyForAttribute(std::string_view attribute);

// The full name a listing shows for a stored key: "realname" -> "dsAttrTypeStandard:RealName",
// "foo" -> "dsAttrTypeNative:foo".
std::string fullAttributeName(std::string_view nativeKey);

// The name dscl's text output shows: standard names without their prefix, native ones with it.
std::string displayAttributeName(std::string_view nativeKey);

} // namespace veltrona
