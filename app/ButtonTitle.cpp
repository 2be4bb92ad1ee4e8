#include "app/ButtonTitle.h"

namespace veltrona {

QString titleWithoutAccelerators(const QString& text)
{
    QString title;
    title.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            ++i; // the mark goes; what follows it, a second "&" included, stays
            if (i == text.size())
                break;
        }
        title.append(text.at(i));
    }
    return title;
}

} // namespace veltrona
