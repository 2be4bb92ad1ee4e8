#include "accounts/TypedEntry.h"

#include "accounts/EntryFilter.h"
#include "foundation/Utf8.h"

#include <unicode/ustring.h>

namespace veltrona {

namespace {

std::optional<std::u16string> toUtf16(std::string_view utf8)
{
    if (!isValidUtf8(utf8))
        return std::nullopt;
    std::u16string text(utf8.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(text.data(), static_cast<int32_t>(text.size()), &length, utf8.data(),
                  static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string toUtf8(const std::u16string& text)
{
    std::string utf8(text.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &length, text.data(), static_cast<int32_t>(text.size()),
                &status);
    utf8.resize(U_FAILURE(status) ? 0 : static_cast<std::size_t>(length));
    return utf8;
}

} // namespace

std::optional<std::string> acceptedEntry(std::string_view utf8, bool lowerCase)
{
    const std::optional<std::u16string> text = toUtf16(utf8);
    if (!text)
        return std::nullopt;
    const FilteredEntry filtered = filterEntry(*text, lowerCase);
    if (filtered.dropped > 0)
        return std::nullopt;
    return toUtf8(filtered.text);
}

} // namespace veltrona
