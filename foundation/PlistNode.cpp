#include "foundation/PlistNode.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace veltrona::detail {
namespace {

plist_t newDate(double seconds)
{
    // libplist 2.2 takes whole seconds as a 32-bit count (1933 to 2069); a date outside that is
    // clamped rather than left to wrap around into a wrong date.
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(seconds))
        seconds = 0;
    seconds = std::clamp(seconds, lowest, highest);
    double whole = std::floor(seconds);
    auto micro = static_cast<std::int32_t>(std::lround((seconds - whole) * 1e6));
    if (micro >= 1000000 && whole < highest) {
        whole += 1;
        micro -= 1000000;
    } else if (micro >= 1000000) {
        micro = 999999;
    }
    return plist_new_date(static_cast<std::int32_t>(whole), micro);
}

plist_t newNode(const PlistValue& value);

plist_t newDictionary(const PlistDictionary& dictionary)
{
    plist_t node = plist_new_dict();
    for (const auto& [key, item] : dictionary)
        plist_dict_set_item(node, key.c_str(), newNode(item));
    return node;
}

plist_t newNode(const PlistValue& value)
{
    switch (value.kind()) {
    case PlistValue::Kind::String:
        // XML cannot carry a NUL character, so a string ends at its first one.
        return plist_new_string(value.string()->c_str());
    case PlistValue::Kind::Integer:
        // libplist keeps every integer as 64 unsigned bits and writes them back as signed.
        return plist_new_uint(static_cast<std::uint64_t>(*value.integer()));
    case PlistValue::Kind::Real: return plist_new_real(*value.real());
    case PlistValue::Kind::Boolean: return plist_new_bool(*value.boolean() ? 1 : 0);
    case PlistValue::Kind::Date: return newDate(value.date()->seconds);
    case PlistValue::Kind::Data: {
        const PlistData& data = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
    }
    case PlistValue::Kind::Array: {
        plist_t node = plist_new_array();
        for (const PlistValue& item : *value.array())
            plist_array_append_item(node, newNode(item));
        return node;
    }
    case PlistValue::Kind::Dictionary: return newDictionary(*value.dictionary());
    }
    return plist_new_string("");
}

std::optional<PlistValue> fromArray(plist_t node)
{
    PlistArray array;
    const std::uint32_t count = plist_array_get_size(node);
    array.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::optional<PlistValue> item = fromPlistNode(plist_array_get_item(node, i));
        if (!item)
            return std::nullopt;
        array.push_back(std::move(*item));
    }
    return PlistValue(std::move(array));
}

std::optional<PlistValue> fromDictionary(plist_t node)
{
    PlistDictionary dictionary;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    if (iter == nullptr)
        return std::nullopt;
    bool complete = true;
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter, &key, &item);
        if (item == nullptr) {
            std::free(key);
            break;
        }
        std::optional<PlistValue> value = fromPlistNode(item);
        if (key == nullptr || !value) {
            std::free(key);
            complete = false;
            break;
        }
        // A repeated key keeps its last value, as on a Mac.
        dictionary.set(key, std::move(*value));
        std::free(key);
    }
    std::free(iter);
    if (!complete)
        return std::nullopt;
    return PlistValue(std::move(dictionary));
}

} // namespace

PlistNodePtr toPlistNode(const PlistValue& value)
{
    return PlistNodePtr(newNode(value));
}

PlistNodePtr toPlistNode(const PlistDictionary& dictionary)
{
    return PlistNodePtr(newDictionary(dictionary));
}

std::optional<PlistValue> fromPlistNode(plist_t node)
{
    if (node == nullptr)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return PlistValue(text ? std::string(text, length) : std::string());
    }
    case PLIST_UINT:
    case PLIST_UID: {
        // Negative integers come back as their two's-complement bits; a keyed-archive UID is
        // an integer to us.
        std::uint64_t bits = 0;
        if (plist_get_node_type(node) == PLIST_UID)
            plist_get_uid_val(node, &bits);
        else
            plist_get_uint_val(node, &bits);
        return PlistValue(static_cast<std::int64_t>(bits));
    }
    case PLIST_REAL: {
        double real = 0;
        plist_get_real_val(node, &real);
        return PlistValue(real);
    }
    case PLIST_BOOLEAN: {
        std::uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        return PlistValue(flag != 0);
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0;
        std::int32_t micro = 0;
        plist_get_date_val(node, &seconds, &micro);
        // libplist 2.2 gives the whole seconds rounded toward zero and the fraction as a magnitude,
        // so before 2001 the fraction counts backwards. (Within the one second before 2001 the
        // sign is lost altogether; no file of ours holds such a date.)
        const double fraction = micro / 1e6;
        return PlistValue(PlistDate{seconds < 0 ? seconds - fraction : seconds + fraction});
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
        return PlistValue(bytes ? PlistData(begin, begin + length) : PlistData());
    }
    case PLIST_ARRAY: return fromArray(node);
    case PLIST_DICT: return fromDictionary(node);
    case PLIST_KEY: // only ever a dictionary's key, never a value
    case PLIST_NONE: break;
    }
    return std::nullopt;
}

} // namespace veltrona::detail
