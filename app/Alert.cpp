#include "app/Alert.h"

#include "app/Interaction.h"

namespace veltrona {

QStringList Alert::buttonTitles() const
{
    return buttons_.isEmpty() ? QStringList{QStringLiteral("OK")} : buttons_;
}

int Alert::runModal()
{
    return interaction_.runAlert(*this);
}

void Alert::beginSheetModalForWindow(QWidget* window, std::function<void(int)> completionHandler)
{
    interaction_.beginAlertSheet(*this, window, std::move(completionHandler));
}

} // namespace veltrona
