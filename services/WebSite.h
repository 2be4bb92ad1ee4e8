#pragma once
// The vendor web site: its base address and the pages the program opens or fetches.

#include "foundation/PlistValue.h"
#include "foundation/Status.h"
#include "services/AlertText.h"

#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

// The Info dictionary's key for the base address, and the environment variable that overrides it.
inline constexpr const char* kWebSiteInfoKey = "VeltronaWebSite";
inline constexpr const char* kWebSiteVariable = "VELTRONA_WEB_SITE";
// Used when the Info dictionary has no such key.
inline constexpr const char* kDefaultWebSite = "https://www.brantholm.com";

inline constexpr const char* kHomePagePath = "/";
inline constexpr const char* kProductPagePath = "/software/VeltronaForElCapitan/";
inline constexpr const char* kVersionPagePath = "/software/version.php?item_number=13030";

// The tags of the two web-link controls.
inline constexpr int kProductPageTag = 80;
inline constexpr int kHomePageTag = 82;

// "http" or "https", "://", a host name, an IPv4 address or a bracketed IPv6 address, and
// optionally ":" and a port from 1 to 65535; one trailing "/" is dropped. Nothing for any other
// text: the address goes to curl and the browser, which would read a path, a query, user
// information or blanks in it as something else.
std::optional<std::string> webSiteBase(std::string_view text);

struct WebSiteAddress {
    std::string base;
    Status status;
};
// The environment's value when set and not empty, else the Info dictionary's value, else the
// default. A value that is not a web site address is an error naming where it came from.
WebSiteAddress webSiteAddress(const PlistDictionary& infoDictionary, const char* environmentValue);
// The same with the process's own VELTRONA_WEB_SITE.
WebSiteAddress webSiteAddress(const PlistDictionary& infoDictionary);
// What the user is told instead of fetching or opening anything when the address is unusable.
AlertText webSiteAddressAlert(const Status& status);

// The page a web-link control opens: the home page for tag 82, the product page for tag 80, the
// empty text (open nothing) for any other tag.
std::string webPageForTag(std::string_view base, int tag);
std::string productPage(std::string_view base);
std::string versionPage(std::string_view base);

} // namespace veltrona
