#include "foundation/KeyPath.h"

namespace veltrona {

const PlistValue* valueForKey(const PlistValue& dictionary, std::string_view key)
{
    const PlistDictionary* entries = dictionary.dictionary();
    return entries ? entries->find(key) : nullptr;
}

PlistValue* valueForKey(PlistValue& dictionary, std::string_view key)
{
    PlistDictionary* entries = dictionary.dictionary();
    return entries ? entries->find(key) : nullptr;
}

const PlistValue* valueForKeyPath(const PlistValue& root, std::string_view keyPath)
{
    const PlistValue* current = &root;
    for (;;) {
        const std::size_t dot = keyPath.find('.');
        current = valueForKey(*current, keyPath.substr(0, dot));
        if (current == nullptr || dot == std::string_view::npos)
            return current;
        keyPath.remove_prefix(dot + 1);
    }
}

PlistValue* valueForKeyPath(PlistValue& root, std::string_view keyPath)
{
    return const_cast<PlistValue*>(valueForKeyPath(std::as_const(root), keyPath));
}

void setValueForKey(PlistValue* dictionary, std::string_view key, std::optional<PlistValue> value)
{
    PlistDictionary* entries = dictionary ? dictionary->dictionary() : nullptr;
    if (entries == nullptr)
        return;
    if (value)
        entries->set(std::string(key), std::move(*value));
    else
        entries->remove(key);
}

} // namespace veltrona
