#include "foundation/PlistGuard.h"

#include "foundation/BinaryPlistObjects.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace veltrona::detail {
namespace {

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

// libplist reads "<integer>12x</integer>" or "<integer></integer>" as 0: a value silently lost,
// and written back as 0 by whoever saves the file again.
bool integerTextValid(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    if (text.front() == '-' || text.front() == '+')
        text.remove_prefix(1);
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    return !text.empty() && std::all_of(text.begin(), text.end(), [base](char c) {
        return std::isdigit(static_cast<unsigned char>(c))
               || (base == 16 && std::isxdigit(static_cast<unsigned char>(c)));
    });
}

bool xmlSafe(std::string_view text, std::size_t limit)
{
    // XML has no NUL character; libplist would cut the text short at one and read on.
    if (text.find('\0') != std::string_view::npos)
        return false;
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
        if (rest.starts_with("integer>")) {
            const std::size_t start = at + 1 + std::string_view("integer>").size();
            const std::size_t end = text.find("</integer>", start);
            if (end == std::string_view::npos || !integerTextValid(text.substr(start, end - start)))
                return false;
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

bool binarySafe(std::string_view bytes, std::size_t limit)
{
    BinaryPlistObjects objects(bytes);
    if (!objects.readTrailer())
        return true;

    // Longest chain of containers, depth-first without recursion; shared objects are measured once.
    enum : std::uint8_t { Unseen, Open, Measured };
    std::vector<std::uint8_t> state(objects.count(), Unseen);
    std::vector<std::size_t> depth(objects.count(), 0);
    struct Frame {
        std::uint64_t object;
        std::vector<std::uint64_t> references;
        std::size_t next = 0;
        std::size_t deepest = 0;
    };
    std::vector<Frame> stack;

    // Pushes a container; false when it is a dictionary with a key that libplist cannot read.
    auto enter = [&](std::uint64_t index) {
        state[index] = Measured;
        const auto object = objects.object(index);
        if (!object || !BinaryPlistObjects::isContainer(*object))
            return true;
        auto references = objects.references(*object);
        if (!references)
            return true;
        if (object->type == 0xD) {
            for (std::uint64_t key = 0; key < object->items; ++key) {
                const auto keyObject = objects.object((*references)[key]);
                if (keyObject && objects.textHoldsNul(*keyObject))
                    return false;
            }
        }
        state[index] = Open;
        stack.push_back(Frame{index, std::move(*references)});
        return true;
    };

    if (!enter(objects.top()))
        return false;
    while (!stack.empty()) {
        if (stack.size() > limit)
            return false;
        Frame& frame = stack.back();
        if (frame.next == frame.references.size()) {
            const std::size_t measured = frame.deepest + 1;
            depth[frame.object] = measured;
            state[frame.object] = Measured;
            stack.pop_back();
            if (!stack.empty())
                stack.back().deepest = std::max(stack.back().deepest, measured);
            continue;
        }
        const std::uint64_t child = frame.references[frame.next++];
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
        if (!enter(child))
            return false;
    }
    return true;
}

} // namespace

bool plistSafeToParse(std::string_view bytes, std::size_t nestingLimit)
{
    if (bytes.starts_with("bplist00"))
        return binarySafe(bytes, nestingLimit);
    return xmlSafe(bytes, nestingLimit);
}

} // namespace veltrona::detail
