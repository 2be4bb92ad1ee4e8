#include "foundation/BinaryPlistObjects.h"

namespace veltrona::detail {
namespace {

constexpr std::size_t headerSize = 8; // "bplist00"
constexpr std::size_t trailerSize = 32;

} // namespace

bool BinaryPlistObjects::readTrailer()
{
    if (bytes_.size() < headerSize + trailerSize)
        return false;
    const std::size_t trailer = bytes_.size() - trailerSize;
    offsetSize_ = static_cast<std::uint8_t>(bytes_[trailer + 6]);
    refSize_ = static_cast<std::uint8_t>(bytes_[trailer + 7]);
    count_ = number(trailer + 8, 8).value_or(0);
    top_ = number(trailer + 16, 8).value_or(0);
    table_ = number(trailer + 24, 8).value_or(0);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
        return false;
    if (count_ == 0 || top_ >= count_ || table_ < headerSize || table_ >= trailer)
        return false;
    return count_ <= (trailer - table_) / offsetSize_;
}

std::optional<BinaryPlistObjects::Object> BinaryPlistObjects::object(std::uint64_t index) const
{
    if (index >= count_)
        return std::nullopt;
    const std::optional<std::uint64_t> offset = number(table_ + index * offsetSize_, offsetSize_);
    if (!offset || *offset >= table_)
        return std::nullopt;
    const auto marker = static_cast<std::uint8_t>(bytes_[*offset]);
    Object result{marker >> 4, static_cast<std::uint64_t>(marker & 0x0F), *offset + 1};
    const bool counted = result.type >= 0x4 && result.type != 0x8;
    if (counted && result.items == 0x0F) {
        // A long count follows as an integer object of 1, 2, 4 or 8 bytes.
        if (result.at >= table_)
            return std::nullopt;
        const auto sizeMarker = static_cast<std::uint8_t>(bytes_[result.at]);
        const std::size_t width = std::size_t{1} << (sizeMarker & 0x0F);
        if ((sizeMarker >> 4) != 1 || width > 8)
            return std::nullopt;
        const std::optional<std::uint64_t> items = number(result.at + 1, width);
        if (!items)
            return std::nullopt;
        result.items = *items;
        result.at += 1 + width;
    }
    return result;
}

std::optional<std::vector<std::uint64_t>> BinaryPlistObjects::references(const Object& container) const
{
    if (!isContainer(container) || container.items > table_)
        return std::nullopt;
    const std::uint64_t count = container.type == 0xD ? 2 * container.items : container.items;
    if (container.at > table_ || count > (table_ - container.at) / refSize_)
        return std::nullopt;
    std::vector<std::uint64_t> result;
    result.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i)
        result.push_back(number(container.at + i * refSize_, refSize_).value_or(count_));
    return result;
}

bool BinaryPlistObjects::textHoldsNul(const Object& text) const
{
    const std::uint64_t width = text.type == 0x5 ? 1 : text.type == 0x6 ? 2 : 0;
    if (width == 0 || text.at > table_ || text.items > (table_ - text.at) / width)
        return false;
    for (std::uint64_t i = 0; i < text.items; ++i) {
        if (number(text.at + i * width, width).value_or(1) == 0)
            return true;
    }
    return false;
}

std::optional<std::uint64_t> BinaryPlistObjects::number(std::uint64_t at, std::size_t width) const
{
    if (at > bytes_.size() || width > bytes_.size() - at)
        return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes_[at + i]);
    return value;
}

} // namespace veltrona::detail
