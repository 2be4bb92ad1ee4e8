#include "cli/Json.h"

#include <cstdio>

namespace veltrona::cli {

Json& Json::set(std::string key, Json value)
{
    if (std::holds_alternative<std::nullptr_t>(value_))
        value_ = Object{};
    if (auto* members = std::get_if<Object>(&value_))
        members->emplace_back(std::move(key), std::move(value));
    return *this;
}

void appendJsonString(std::string& out, std::string_view text)
{
    out.push_back('"');
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void Json::dumpTo(std::string& out) const
{
    if (std::holds_alternative<std::nullptr_t>(value_)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&value_)) {
        out += *b ? "true" : "false";
    } else if (const std::int64_t* n = std::get_if<std::int64_t>(&value_)) {
        out += std::to_string(*n);
    } else if (const std::string* s = std::get_if<std::string>(&value_)) {
        appendJsonString(out, *s);
    } else if (const Array* a = std::get_if<Array>(&value_)) {
        out.push_back('[');
        for (std::size_t i = 0; i < a->size(); ++i) {
            if (i > 0)
                out.push_back(',');
            (*a)[i].dumpTo(out);
        }
        out.push_back(']');
    } else if (const Object* o = std::get_if<Object>(&value_)) {
        out.push_back('{');
        for (std::size_t i = 0; i < o->size(); ++i) {
            if (i > 0)
                out.push_back(',');
            appendJsonString(out, (*o)[i].first);
            out.push_back(':');
            (*o)[i].second.dumpTo(out);
        }
        out.push_back('}');
    }
}

std::string Json::dump() const
{
    std::string out;
    dumpTo(out);
    return out;
}

} // namespace veltrona::cli
