#include "app/Sheet.h"

#include <QAbstractButton>

namespace veltrona {

Sheet::Sheet(QWidget* parent) : QDialog(parent)
{
    setModal(false);
}

QAbstractButton* Sheet::cancelButton() const
{
    const auto buttons = findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (button->property("cancelButton").toBool())
            return button;
    }
    return nullptr;
}

void Sheet::reject()
{
    // Only the cancel button's own action may end the sheet (the login sheet's quits the program).
    if (QAbstractButton* button = cancelButton(); button && button->isEnabled())
        button->click();
}

} // namespace veltrona
