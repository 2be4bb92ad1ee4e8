#include "foundation/PlistIO.h"

#include "foundation/AtomicFile.h"
#include "foundation/PlistGuard.h"
#include "foundation/PlistNode.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace veltrona {
namespace {

// Larger than any property list this program meets; keeps a mistaken path (a device, a huge
// log) from being read into memory whole.
constexpr std::size_t maxPlistFileSize = 64 * 1024 * 1024;

// libplist 2.2 reads <real> with strtod, which follows the locale: under a locale with a decimal
// comma "2.25" would silently become 2. The C locale is set for this thread while libplist works.
class CNumericLocale {
public:
    CNumericLocale()
        : locale_(::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))),
          previous_(locale_ ? ::uselocale(locale_) : static_cast<locale_t>(nullptr))
    {
    }
    ~CNumericLocale()
    {
        if (locale_) {
            ::uselocale(previous_);
            ::freelocale(locale_);
        }
    }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    locale_t locale_;
    locale_t previous_;
};

bool isBinary(std::string_view bytes)
{
    return bytes.starts_with("bplist00");
}

// libplist accepts XML that stops after the root element's end; a file cut off before its
// closing </plist> is a file cut off, so it counts as malformed.
bool xmlComplete(std::string_view text)
{
    if (text.find("<plist") == std::string_view::npos)
        return true;
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return last != std::string_view::npos && text.substr(0, last + 1).ends_with("</plist>");
}

std::string xmlOf(const detail::PlistNodePtr& node)
{
    CNumericLocale cLocale;
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node.get(), &xml, &length);
    if (xml == nullptr)
        return {};
    std::string text;
    text.reserve(length);
    // libplist writes control characters raw. XML 1.0 forbids them (all but tab, line feed and
    // carriage return) and U+FFFE and U+FFFF, raw or as character references: a strict reader
    // rejects the whole file, so they are left out.
    const std::string_view written(xml, length);
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto byte = static_cast<unsigned char>(written[i]);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            continue;
        if (byte == 0xEF && written.substr(i + 1, 1) == "\xBF"
            && (written.substr(i + 2, 1) == "\xBE" || written.substr(i + 2, 1) == "\xBF")) {
            i += 2;
            continue;
        }
        text += written[i];
    }
    plist_to_xml_free(xml);
    return text;
}

} // namespace

std::optional<PlistValue> parsePlist(std::string_view bytes)
{
    // A Mac reads XML that starts with a UTF-8 byte-order mark; libplist does not.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    if (!isBinary(bytes) && !xmlComplete(bytes))
        return std::nullopt;
    if (!detail::plistSafeToParse(bytes))
        return std::nullopt;

    CNumericLocale cLocale;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    detail::PlistNodePtr owned(root);
    return detail::fromPlistNode(root);
}

std::optional<PlistValue> readPlistFile(const std::filesystem::path& path)
{
    const std::optional<std::string> bytes = readRegularFile(path, maxPlistFileSize);
    if (!bytes)
        return std::nullopt;
    return parsePlist(*bytes);
}

std::optional<PlistValue> readPlistDictionaryFile(const std::filesystem::path& path)
{
    std::optional<PlistValue> root = readPlistFile(path);
    if (!root || root->dictionary() == nullptr)
        return std::nullopt;
    return root;
}

std::string plistToXml(const PlistValue& value)
{
    return xmlOf(detail::toPlistNode(value));
}

Status writePlistAtomically(const PlistDictionary& dictionary, const std::filesystem::path& path, FileAccess access,
                            const std::filesystem::path& within)
{
    const std::string xml = xmlOf(detail::toPlistNode(dictionary));
    if (xml.empty())
        return Status::failure(EINVAL, "cannot express the property list as XML for " + path.string());
    return writeFileAtomically(path, xml, access, within);
}

} // namespace veltrona
