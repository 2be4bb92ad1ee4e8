#pragma once
// Just enough of the binary property-list layout ("bplist00") to walk its objects before libplist
// parses them (internal to foundation/).

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace veltrona::detail {

class BinaryPlistObjects {
public:
    struct Object {
        int type = 0;            // the marker's upper four bits: 0x5 ASCII text, 0xA array, 0xD dictionary ...
        std::uint64_t items = 0; // characters, bytes or elements, by type
        std::uint64_t at = 0;    // where the object's content starts
    };

    explicit BinaryPlistObjects(std::string_view bytes) : bytes_(bytes) { }

    // Reads the trailer; false when it does not describe an object table inside the bytes.
    bool readTrailer();
    std::uint64_t count() const { return count_; }
    std::uint64_t top() const { return top_; }

    std::optional<Object> object(std::uint64_t index) const;
    // The objects an array, set or dictionary refers to (a dictionary's keys first, then its values).
    std::optional<std::vector<std::uint64_t>> references(const Object& container) const;
    // True for ASCII or UTF-16 text that holds a NUL character.
    bool textHoldsNul(const Object& text) const;

    static bool isContainer(const Object& object)
    {
        return object.type == 0xA || object.type == 0xC || object.type == 0xD;
    }

private:
    std::optional<std::uint64_t> number(std::uint64_t at, std::size_t width) const;

    std::string_view bytes_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t refSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t table_ = 0;
};

} // namespace veltrona::detail
