#include "foundation/PlistStrings.h"

namespace veltrona {

PlistArray stringArray(const std::vector<std::string>& texts)
{
    return PlistArray(texts.begin(), texts.end());
}

std::vector<std::string> stringsIn(const PlistValue* value)
{
    std::vector<std::string> texts;
    if (!value || !value->array())
        return texts;
    for (const PlistValue& item : *value->array()) {
        if (const std::string* text = item.string())
            texts.push_back(*text);
    }
    return texts;
}

} // namespace veltrona
