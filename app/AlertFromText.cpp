#include "app/AlertFromText.h"

namespace veltrona {

Alert alertFromText(Interaction& interaction, const AlertText& text)
{
    Alert alert(interaction);
    alert.setMessageText(QString::fromStdString(text.messageText));
    alert.setInformativeText(QString::fromStdString(text.informativeText));
    for (const std::string& title : text.buttons)
        alert.addButtonWithTitle(QString::fromStdString(title));
    return alert;
}

} // namespace veltrona
