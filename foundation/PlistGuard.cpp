#include "foundation/PlistNesting.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace veltrona::detail {
namespace {

constexpr std::string_view binaryMagic = "bplist00";

// True when `rest` starts with the element name followed by the end of the name.
bool startsWithName(std::string_view rest, std::string_view name)
{
    if (!rest.starts_with(name))
        return false;
    if (rest.size() == name.size())
        return true;
    const char next = rest[name.size()];
    return next == '>' || next == '/' || next == ' ' || next == '\t' || next == '\r' || next == '\n';
}

bool isContainerName(std::string_view rest)
{
    return startsWithName(rest, "array") || startsWithName(rest, "dict");
}

bool xmlNestingWithin(std::string_view text, std::size_t limit)
{
    std::size_t depth = 0;
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at + 1);
        // Comments and character data may hold anything, tags included.
        if (rest.starts_with("!--") || rest.starts_with("![CDATA[")) {
            const bool comment = rest.starts_with("!--");
            const std::string_view close = comment ? "-->" : "]]>";
            const std::size_t end = text.find(close, at + (comment ? 4 : 9));
            if (end == std::string_view::npos)
                return true;
            at = end + close.size();
            continue;
        }
        if (rest.starts_with('/')) {
            if (isContainerName(rest.substr(1)) && depth > 0)
                --depth;
        } else if (isContainerName(rest)) {
            const std::size_t end = text.find('>', at);
            if (end == std::string_view::npos)
                return true;
            if (text[end - 1] != '/' && ++depth > limit)
                return false;
        }
        ++at;
    }
    return true;
}

// Reads a binary property list's object table far enough to follow container references.
class BinaryObjects {
public:
    explicit BinaryObjects(std::string_view bytes) : bytes_(bytes) {}

    bool readTrailer()
    {
        if (bytes_.size() < binaryMagic.size() + trailerSize)
            return false;
        const std::size_t trailer = bytes_.size() - trailerSize;
        offsetSize_ = static_cast<std::uint8_t>(bytes_[trailer + 6]);
        refSize_ = static_cast<std::uint8_t>(bytes_[trailer + 7]);
        count_ = number(trailer + 8, 8).value_or(0);
        top_ = number(trailer + 16, 8).value_or(0);
        table_ = number(trailer + 24, 8).value_or(0);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
            return false;
        if (count_ == 0 || top_ >= count_ || table_ >= trailer)
            return false;
        return count_ <= (trailer - table_) / offsetSize_;
    }

    std::uint64_t count() const { return count_; }
    std::uint64_t top() const { return top_; }

    // The objects a container refers to; nothing for a scalar or an object we cannot read.
    std::optional<std::vector<std::uint64_t>> children(std::uint64_t object) const
    {
        const std::optional<std::uint64_t> offset = number(table_ + object * offsetSize_, offsetSize_);
        if (!offset || *offset >= table_)
            return std::nullopt;
        const auto marker = static_cast<std::uint8_t>(bytes_[*offset]);
        const int type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD)
            return std::nullopt;
        std::uint64_t items = marker & 0x0F;
        std::uint64_t at = *offset + 1;
        if (items == 0x0F) {
            if (at >= table_)
                return std::nullopt;
            const auto sizeMarker = static_cast<std::uint8_t>(bytes_[at]);
            const std::size_t width = std::size_t{1} << (sizeMarker & 0x0F);
            if ((sizeMarker >> 4) != 1 || width > 8)
                return std::nullopt;
            const std::optional<std::uint64_t> big = number(at + 1, width);
            if (!big)
                return std::nullopt;
            items = *big;
            at += 1 + width;
        }
        const std::uint64_t refs = type == 0xD ? 2 * items : items;
        if (items > table_ || at > table_ || refs > (table_ - at) / refSize_)
            return std::nullopt;
        std::vector<std::uint64_t> result;
        result.reserve(refs);
        for (std::uint64_t i = 0; i < refs; ++i)
            result.push_back(number(at + i * refSize_, refSize_).value_or(count_));
        return result;
    }

private:
    static constexpr std::size_t trailerSize = 32;

    std::optional<std::uint64_t> number(std::uint64_t at, std::size_t width) const
    {
        if (at > bytes_.size() || width > bytes_.size() - at)
            return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = (value << 8) | static_cast<std::uint8_t>(bytes_[at + i]);
        return value;
    }

    std::string_view bytes_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t refSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t table_ = 0;
};

bool binaryNestingWithin(std::string_view bytes, std::size_t limit)
{
    BinaryObjects objects(bytes);
    if (!objects.readTrailer())
        return true;

    // Longest chain of containers, depth-first without recursion; shared objects are measured once.
    enum : std::uint8_t { Unseen, Open, Measured };
    std::vector<std::uint8_t> state(objects.count(), Unseen);
    std::vector<std::size_t> depth(objects.count(), 0);
    struct Frame {
        std::uint64_t object;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
        std::size_t deepest = 0;
    };
    std::vector<Frame> stack;

    auto enter = [&](std::uint64_t object) {
        std::optional<std::vector<std::uint64_t>> children = objects.children(object);
        if (!children) {
            state[object] = Measured;
            return;
        }
        state[object] = Open;
        stack.push_back(Frame{object, std::move(*children)});
    };

    enter(objects.top());
    while (!stack.empty()) {
        if (stack.size() > limit)
            return false;
        Frame& frame = stack.back();
        if (frame.next == frame.children.size()) {
            depth[frame.object] = frame.deepest + 1;
            state[frame.object] = Measured;
            const std::size_t measured = depth[frame.object];
            stack.pop_back();
            if (!stack.empty())
                stack.back().deepest = std::max(stack.back().deepest, measured);
            continue;
        }
        const std::uint64_t child = frame.children[frame.next++];
        if (child >= objects.count())
            continue;
        if (state[child] == Open)
            return false;
        if (state[child] == Measured) {
            if (stack.size() + depth[child] > limit)
                return false;
            frame.deepest = std::max(frame.deepest, depth[child]);
            continue;
        }
        enter(child);
    }
    return true;
}

} // namespace

bool plistNestingWithin(std::string_view bytes, std::size_t limit)
{
    if (bytes.starts_with(binaryMagic))
        return binaryNestingWithin(bytes, limit);
    return xmlNestingWithin(bytes, limit);
}

} // namespace veltrona::detail
