#pragma once
// An alert the window showed, as one readable text, so a mismatch prints what was shown.

#include "app/Interaction.h"
#include "services/AlertText.h"

#include <string>

namespace veltrona::test {

inline std::string alertShown(const AlertRecord& alert)
{
    return alert.messageText.toStdString() + " | " + alert.informativeText.toStdString() + " | "
           + alert.buttons.join(u',').toStdString() + (alert.asSheet ? " | sheet" : " | modal");
}

// The same text for an alert expected from the UI-free texts; no buttons means the one "OK".
inline std::string alertShown(const AlertText& text, bool asSheet)
{
    std::string buttons;
    for (const std::string& title : text.buttons)
        buttons += (buttons.empty() ? "" : ",") + title;
    return text.messageText + " | " + text.informativeText + " | " + (buttons.empty() ? "OK" : buttons)
           + (asSheet ? " | sheet" : " | modal");
}

} // namespace veltrona::test
