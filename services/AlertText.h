#pragma once
// What an alert says, for the window to show: NSAlert's message, informative text and buttons.

#include <string>
#include <vector>

namespace veltrona {

struct AlertText {
    std::string messageText;
    std::string informativeText;
    // Titles in the order added: the first answers 1000, the next 1001. None: the one "OK".
    std::vector<std::string> buttons;
    bool operator==(const AlertText&) const = default;
};

} // namespace veltrona
