#include "accounts/EntryFilter.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace veltrona {

namespace {

bool isLetterMarkOrDigit(char16_t unit)
{
    // A lone surrogate unit is of category Cs, so characters beyond the BMP never pass.
    return (U_GET_GC_MASK(unit) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

std::u16string lowerCased(const std::u16string& text)
{
    if (text.empty())
        return text;
    // Full case mapping may lengthen the text (U+0130 becomes two units).
    std::u16string lower(text.size() * 3, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strToLower(lower.data(), static_cast<int32_t>(lower.size()), text.data(),
                                        static_cast<int32_t>(text.size()), "", &status);
    if (U_FAILURE(status))
        return text;
    lower.resize(static_cast<std::size_t>(length));
    return lower;
}

} // namespace

FilteredEntry filterEntry(std::u16string_view text, bool lowerCase)
{
    FilteredEntry filtered;
    filtered.text.reserve(text.size());
    for (char16_t unit : text) {
        if (isLetterMarkOrDigit(unit))
            filtered.text.push_back(unit);
        else
            ++filtered.dropped;
    }
    if (lowerCase)
        filtered.text = lowerCased(filtered.text);
    return filtered;
}

} // namespace veltrona
