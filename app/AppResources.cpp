#include "app/AppResources.h"

#include "foundation/PlistIO.h"

#include <QFile>

// Resources compiled into a static library must be registered by hand; outside any namespace.
static void registerCompiledResources()
{
    Q_INIT_RESOURCE(Resources);
}

namespace veltrona {

namespace {

void ensureRegistered()
{
    static const bool registered = [] {
        registerCompiledResources();
        return true;
    }();
    (void)registered;
}

} // namespace

QPixmap imageNamed(const QString& name)
{
    ensureRegistered();
    return QPixmap(QStringLiteral(":/images/%1.png").arg(name));
}

const PlistDictionary& infoDictionary()
{
    static const PlistDictionary dictionary = [] {
        ensureRegistered();
        QFile file(QStringLiteral(":/Info.plist"));
        if (!file.open(QIODevice::ReadOnly))
            return PlistDictionary{};
        const QByteArray bytes = file.readAll();
        auto value = parsePlist(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (!value || !value->dictionary())
            return PlistDictionary{};
        return *value->dictionary();
    }();
    return dictionary;
}

QString infoString(const char* key)
{
    const PlistValue* value = infoDictionary().find(key);
    const std::string* text = value ? value->string() : nullptr;
    return text ? QString::fromStdString(*text) : QString();
}

} // namespace veltrona
