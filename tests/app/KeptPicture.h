#pragma once
// Pictures of the window and its sheets, kept as PNG files when VELTRONA_WINDOW_PICTURES names a
// folder, so a person can look at what a test showed.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace veltrona::test {

inline void keep(const QImage& picture, const char* name)
{
    const QByteArray folder = qgetenv("VELTRONA_WINDOW_PICTURES");
    if (!folder.isEmpty())
        picture.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name), "PNG");
}

} // namespace veltrona::test
