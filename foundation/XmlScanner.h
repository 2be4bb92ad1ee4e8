#pragma once
// A cursor over XML text for the quick readers of plain property lists that the program and its
// stand-ins write themselves: tokens taken one by one, character data with the five named
// entities. Anything it cannot vouch for gives nothing, for the general reader to decide.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

class XmlScanner {
public:
    explicit XmlScanner(std::string_view text) : text_(text) { }

    // Blanks, tabs and line feeds between elements; a carriage return stops the quick reading.
    void skipBlanks();
    // Moves past `token` when the text continues with it.
    bool take(std::string_view token);
    // Moves past the next `token`, wherever it stands.
    bool skipPast(std::string_view token);
    bool atEnd() const { return at_ == text_.size(); }
    char previous() const { return at_ > 0 ? text_[at_ - 1] : '\0'; }

    // Character data up to the next "<" with the five named entities replaced; nothing for any
    // other entity or a carriage return, whose reading XML readers differ on.
    std::optional<std::string> characters();

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace veltrona
