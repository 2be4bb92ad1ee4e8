#include "app/Application.h"

#include "app/AppOptions.h"
#include "app/AppResources.h"
#include "app/AppServices.h"
#include "app/Interaction.h"
#include "app/PlatformSetup.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "app/WindowController.h"
#include "app/WindowSnapshot.h"
#include "platform/PlatformBackend.h"
#include "platform/PlatformRoot.h"
#include "services/ResourceDirectory.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace veltrona {

namespace {

void printLine(std::FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

// The emulated Mac to act on; the per-user one is made on first use. Nothing when there is none.
std::optional<std::filesystem::path> choosePlatformRoot(const AppOptions& options)
{
    std::optional<std::string> explicitRoot;
    if (options.platformRoot)
        explicitRoot = options.platformRoot->toStdString();
    const ResolvedRoot resolved = resolvePlatformRoot(explicitRoot);
    if (!resolved.status) {
        printLine(stderr, QString::fromStdString(resolved.status.message()));
        return std::nullopt;
    }
    const std::filesystem::path& root = resolved.root;
    if (isPlatformRoot(root))
        return root;

    const std::optional<std::filesystem::path> ownDefault = defaultPlatformRoot();
    if (!ownDefault || root != resolvePlatformRoot(ownDefault->string()).root) {
        printLine(stderr, QStringLiteral("There is no emulated Mac in %1. Make one with:\n"
                                         "  veltrona-platform init %1 --admin NAME")
                              .arg(QString::fromStdString(root.string())));
        return std::nullopt;
    }
    const AdministratorAccount administrator = defaultAdministrator();
    const QString tool = QString::fromStdString(findPlatformTool(QCoreApplication::applicationDirPath().toStdString()));
    const Status made = makePlatformRoot(root, tool, administrator, kDefaultAdministratorPassword);
    if (!made) {
        printLine(stderr, QString::fromStdString(made.message()));
        return std::nullopt;
    }
    printLine(stdout, QStringLiteral("Made an emulated Mac in %1. Its administrator is \"%2\" (%3), password \"%4\".")
                          .arg(QString::fromStdString(root.string()), QString::fromStdString(administrator.name),
                               QString::fromStdString(administrator.fullName),
                               QString::fromLatin1(kDefaultAdministratorPassword)));
    return root;
}

// What the options ask for once the launch sequence has run.
void automate(WindowController& controller, const AppOptions& options, const std::optional<std::string>& password)
{
    if (password && controller.loginPanel->isVisible()) {
        // As a user would: type the password into the sheet and press the log-in button.
        controller.passwordField->setText(QString::fromStdString(*password));
        controller.doLogin(controller.loginButton);
        if (controller.loginPanel->isVisible())
            printLine(stderr, QStringLiteral("The password on standard input did not log in."));
    }
    if (options.quitWhenReady) {
        // After one more turn of the event loop, so the window and the sheet have been painted.
        QTimer::singleShot(0, qApp, [] {
            printLine(stdout, QStringLiteral("Ready: the window is on screen."));
            QCoreApplication::exit(0);
        });
    }
    if (options.screenshotFile) {
        const QString file = *options.screenshotFile;
        // Give the window a moment to lay itself out and paint.
        QTimer::singleShot(300, &controller, [&controller, file] {
            const bool saved = snapshotOfWindow(controller).save(file, "PNG");
            printLine(saved ? stdout : stderr, saved ? QStringLiteral("Saved a picture of the window to %1").arg(file)
                                                     : QStringLiteral("Could not save a picture to %1").arg(file));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
}

} // namespace

int runApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrona"));
    QApplication::setApplicationVersion(infoString("CFBundleShortVersionString"));

    const AppOptions options = parseAppOptions(QApplication::arguments());
    if (options.error == QStringLiteral("help")) {
        printLine(stdout, appUsage());
        return 0;
    }
    if (!options.error.isEmpty()) {
        printLine(stderr, options.error + QLatin1Char('\n') + appUsage());
        return 2;
    }
    std::optional<std::string> password;
    if (options.loginPasswordFromStdin) {
        std::string line;
        std::getline(std::cin, line);
        password = line;
    }

    const auto root = choosePlatformRoot(options);
    if (!root)
        return 2;
    // shellTool and the stand-in tools find the same emulated Mac through the environment.
    ::setenv(kPlatformRootVariable, root->c_str(), 1);

    const PlatformPaths paths(*root);
    const PlatformBackend platform = makePlatformBackend(paths);
    // A run that only makes a picture or measures the start has nobody to answer an alert.
    Interaction interaction(options.screenshotFile || options.quitWhenReady ? Interaction::Mode::Unattended
                                                                            : Interaction::Mode::Interactive);
    UserDefaults defaults(
        userDefaultsFile(paths, platform.processInfo->homeDirectory(), infoString("CFBundleIdentifier").toStdString()));

    std::unique_ptr<WindowController> controller = startApplication(
        AppServices{paths, *platform.processInfo, *platform.authorization, *platform.keychain, *platform.dynamicStore,
                    *platform.notifications, *platform.log, defaults, interaction,
                    findResourceDirectory(QCoreApplication::applicationDirPath().toStdString()), nullptr});
    if (!controller)
        return 1;
    WindowController* launched = controller.get();
    QTimer::singleShot(0, launched, [launched, &options, password] {
        launched->applicationDidFinishLaunching();
        automate(*launched, options, password);
    });
    return QApplication::exec();
}

std::unique_ptr<WindowController> startApplication(AppServices services)
{
    if (!WindowController::initialize(services.processInfo, services.defaults, services.interaction))
        return nullptr;
    auto controller = std::make_unique<WindowController>(std::move(services));
    controller->showWindow();
    return controller;
}

} // namespace veltrona
