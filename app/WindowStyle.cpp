#include "app/WindowStyle.h"

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace veltrona {

namespace {

QColor blend(const QColor& from, const QColor& to, double share)
{
    auto mix = [share](int a, int b) { return static_cast<int>(a + (b - a) * share + 0.5); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

} // namespace

void applyWindowStyle(QWidget* root)
{
    const auto labels = root->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        const QString role = label->property("role").toString();
        if (role.isEmpty())
            continue;
        QFont font = label->font();
        QPalette palette = label->palette();
        if (role == QStringLiteral("sheetTitle")) {
            font.setBold(true);
            font.setPointSizeF(font.pointSizeF() * 1.15);
        } else if (role == QStringLiteral("sheetMessage")) {
            palette.setColor(QPalette::WindowText, QColor(0xB0, 0x1E, 0x1E));
            // Room for a two-line message from the start, so the sheet does not jump when one appears.
            label->setMinimumHeight(label->fontMetrics().lineSpacing() * 2);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else if (role == QStringLiteral("hint")) {
            font.setPointSizeF(font.pointSizeF() * 0.92);
            // Quieter than the settings, yet readable: the disabled grey is too faint for advice.
            palette.setColor(QPalette::WindowText,
                             blend(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.35));
        }
        label->setFont(font);
        label->setPalette(palette);
    }
    // A field the user cannot type into should not look like one that waits for typing.
    const auto fields = root->findChildren<QLineEdit*>();
    for (QLineEdit* field : fields) {
        if (!field->isReadOnly())
            continue;
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        field->setPalette(palette);
    }
}

} // namespace veltrona
