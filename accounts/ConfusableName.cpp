#include "accounts/ConfusableName.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/uspoof.h>

#include <memory>

namespace veltrona {

bool looksLikeAnyOf(const std::string& name, const std::vector<std::string>& existing)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<USpoofChecker, decltype(&uspoof_close)> checker(uspoof_open(&status), &uspoof_close);
    // The checker's skeletons leave compatibility forms (full-width letters) apart; folding them
    // first makes "ａｄｍｉｎ" the "admin" a reader sees.
    const icu::Normalizer2* fold = icu::Normalizer2::getNFKCCasefoldInstance(status);
    if (U_FAILURE(status))
        return true;
    const auto folded = [fold](const std::string& text, UErrorCode& error) {
        return fold->normalize(icu::UnicodeString::fromUTF8(text), error);
    };
    const icu::UnicodeString given = folded(name, status);
    for (const std::string& other : existing) {
        const int32_t result = uspoof_areConfusableUnicodeString(checker.get(), given, folded(other, status), &status);
        if (U_FAILURE(status) || result != 0)
            return true;
    }
    return U_FAILURE(status);
}

} // namespace veltrona
