#pragma once
// A small JSON value for --json output: built in order, written compactly on one line.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace veltrona::cli {

class Json {
public:
    using Array = std::vector<Json>;
    using Object = std::vector<std::pair<std::string, Json>>;

    Json() : value_(nullptr) { }
    Json(std::nullptr_t) : value_(nullptr) { }
    Json(bool b) : value_(b) { }
    Json(int n) : value_(static_cast<std::int64_t>(n)) { }
    Json(std::int64_t n) : value_(n) { }
    Json(std::size_t n) : value_(static_cast<std::int64_t>(n)) { }
    Json(std::string s) : value_(std::move(s)) { }
    Json(std::string_view s) : value_(std::string(s)) { }
    Json(const char* s) : value_(std::string(s)) { }
    Json(Array a) : value_(std::move(a)) { }
    Json(Object o) : value_(std::move(o)) { }
    // Text when there is some, null when there is none.
    Json(const std::optional<std::string>& s) : value_(nullptr)
    {
        if (s)
            value_ = *s;
    }

    static Json object(std::initializer_list<std::pair<std::string, Json>> members) { return Object(members); }

    // Adds a member to an object (a null value becomes an object first).
    Json& set(std::string key, Json value);

    std::string dump() const;
    void dumpTo(std::string& out) const;

private:
    std::variant<std::nullptr_t, bool, std::int64_t, std::string, Array, Object> value_;
};

// The text as a JSON string literal, quotes included. Bytes of UTF-8 pass unchanged.
void appendJsonString(std::string& out, std::string_view text);

} // namespace veltrona::cli
