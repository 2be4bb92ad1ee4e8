#include "app/AlertDialog.h"

#include "app/Alert.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace veltrona {

AlertDialog::AlertDialog(const QString& messageText, const QString& informativeText, const QStringList& buttons,
                         QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QApplication::applicationDisplayName());
    setAccessibleName(messageText);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);

    // Plain text: names typed by the user end up in these texts.
    auto* message = new QLabel(messageText, this);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // As given: the update alert's text begins and ends with a line break of its own.
    auto* informative = new QLabel(informativeText, this);
    informative->setTextFormat(Qt::PlainText);
    informative->setWordWrap(true);
    informative->setTextInteractionFlags(Qt::TextSelectableByMouse);
    informative->setVisible(!informativeText.isEmpty());

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    // Added in reverse, so the first button, the default, stands rightmost.
    for (int i = static_cast<int>(buttons.size()) - 1; i >= 0; --i) {
        auto* button = new QPushButton(buttons.at(i), this);
        button->setAccessibleName(buttons.at(i));
        const int answer = NSAlertFirstButtonReturn + i;
        if (i == 0) {
            button->setDefault(true);
            button->setFocus();
        }
        if (buttons.at(i) == QStringLiteral("Cancel") || buttons.size() == 1)
            escapeAnswer_ = answer;
        connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
        buttonRow->addWidget(button);
    }

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(10);
    layout->addWidget(icon, 0, 0, 2, 1);
    layout->addWidget(message, 0, 1);
    layout->addWidget(informative, 1, 1);
    layout->addLayout(buttonRow, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    setMinimumWidth(420);
    setMaximumWidth(560);
}

void AlertDialog::reject()
{
    if (escapeAnswer_ != 0)
        done(escapeAnswer_);
}

} // namespace veltrona
