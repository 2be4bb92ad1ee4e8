#include "app/PlatformSetup.h"

#include <QProcess>

#include <cctype>

#include <pwd.h>
#include <regex>
#include <set>
#include <unistd.h>

namespace veltrona {

AdministratorAccount defaultAdministrator()
{
    std::string name;
    std::string gecos;
    if (const passwd* entry = ::getpwuid(::getuid())) {
        name = entry->pw_name ? entry->pw_name : "";
        gecos = entry->pw_gecos ? entry->pw_gecos : "";
    }
    static const std::regex shortName("[a-z_][a-z0-9_]{0,30}");
    static const std::set<std::string> macOwn{"root", "daemon", "nobody", "admin", "staff", "wheel"};
    if (!std::regex_match(name, shortName) || macOwn.contains(name))
        return {"admin", "Administrator"};
    std::string fullName = gecos.substr(0, gecos.find(','));
    if (fullName.empty() || fullName == name) {
        fullName = name;
        fullName[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(fullName[0])));
    }
    return {name, fullName};
}

Status makePlatformRoot(const std::filesystem::path& root, const QString& platformTool,
                        const AdministratorAccount& administrator, const std::string& password)
{
    QProcess init;
    init.setProcessChannelMode(QProcess::MergedChannels);
    init.start(platformTool, {QStringLiteral("init"), QString::fromStdString(root.string()), QStringLiteral("--admin"),
                              QString::fromStdString(administrator.name), QStringLiteral("--full-name"),
                              QString::fromStdString(administrator.fullName)});
    if (!init.waitForStarted())
        return Status::failure(1, "Cannot start " + platformTool.toStdString() + ".");
    init.write(QByteArray::fromStdString(password + "\n"));
    init.closeWriteChannel();
    if (!init.waitForFinished(60000)) {
        init.kill();
        init.waitForFinished();
        return Status::failure(1, "veltrona-platform init did not finish.");
    }
    const std::string output = init.readAll().trimmed().toStdString();
    if (init.exitStatus() != QProcess::NormalExit || init.exitCode() != 0)
        return Status::failure(1, "veltrona-platform init failed: " + output);
    return Status::success();
}

} // namespace veltrona
