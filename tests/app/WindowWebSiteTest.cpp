// The update check and the web links from the window: where the site's address comes from, the
// alert for each answer of the fetch (answered here by a recording runner), and the pages opened
// through the URL opener. The fetch with the real curl: tests/services.
#include "app/AppResources.h"
#include "app/MainWindow.h"
#include "app/WindowController.h"
#include "services/UpdateCheck.h"
#include "services/WebSite.h"
#include "tests/app/AlertShown.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/ScopedEnvironment.h"

#include <QAction>
#include <QProgressBar>
#include <QVariant>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

using namespace Qt::StringLiterals;

constexpr const char* kLoopbackSite = "http://127.0.0.1:8080";

QAction* menuItem(WindowController& window, const QString& name)
{
    return window.window()->findChild<QAction*>(name);
}

struct UpdateCase {
    const char* name;
    std::string fetched; // what the runner gives back: curl's output less its newline
    int answer;
    QStringList opened;
};

TEST(WindowUpdateCheck, AlertForEachAnswerAndTheProductPageOnOK)
{
    const ScopedEnvironment site(kWebSiteVariable, kLoopbackSite);
    const std::string running = infoString("CFBundleShortVersionString").toStdString();
    ASSERT_FALSE(running.empty());
    const QString productPage = QString::fromLatin1(kLoopbackSite) + u"/software/VeltronaForElCapitan/"_s;
    const UpdateCase cases[] = {
        {"same version", running, 1000, {}},
        {"other version, OK", running + ".1", 1000, {productPage}},
        {"other version, Cancel", running + ".1", 1001, {}},
        {"older version, OK", "0.9", 1000, {productPage}},
        {"no server", "", 1000, {}},
    };
    for (const UpdateCase& c : cases) {
        SCOPED_TRACE(c.name);
        AppTestBed bed;
        bed.recorder.queueResult(c.fetched);
        bed.interaction.queueAlertAnswer(c.answer);
        WindowController& window = bed.makeController();

        menuItem(window, u"checkForUpdatesAction"_s)->trigger();

        ASSERT_EQ(bed.recorder.runs().size(), 1U);
        EXPECT_EQ(bed.recorder.runs().front().back().rfind(kLoopbackSite, 0), 0U) << "the overriding site is asked";
        ASSERT_EQ(bed.interaction.alerts().size(), 1);
        EXPECT_EQ(alertShown(bed.interaction.alerts().front()),
                  alertShown(updateAlertFor(c.fetched, running).alert, false));
        EXPECT_EQ(bed.interaction.openedURLs(), c.opened);
        EXPECT_FALSE(window.progressIndicator->isVisible());
    }
}

TEST(WindowWebLinks, TagsChooseThePage)
{
    struct LinkCase {
        const char* name;
        std::optional<std::string> override; // VELTRONA_WEB_SITE
        int tag;
        QStringList opened;
    };
    const LinkCase cases[] = {
        {"home page", kLoopbackSite, 82, {u"http://127.0.0.1:8080/"_s}},
        {"product page", kLoopbackSite, 80, {u"http://127.0.0.1:8080/software/VeltronaForElCapitan/"_s}},
        {"another tag", kLoopbackSite, 81, {}},
        {"no tag", kLoopbackSite, 0, {}},
        {"the Info dictionary's site", std::nullopt, 82, {u"https://www.brantholm.com/"_s}},
        {"an empty override counts as none", "", 80, {u"https://www.brantholm.com/software/VeltronaForElCapitan/"_s}},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedEnvironment site(kWebSiteVariable, c.override);
        AppTestBed bed;
        WindowController& window = bed.makeController();
        QObject control;
        control.setProperty("tag", c.tag);

        window.loadURL(c.tag == 0 ? nullptr : &control);

        EXPECT_EQ(bed.interaction.openedURLs(), c.opened);
        EXPECT_EQ(bed.interaction.alerts().size(), 0);
        EXPECT_TRUE(bed.recorder.runs().empty());
    }
}

TEST(WindowWebLinks, TheHelpMenuItemsCarryTheirTags)
{
    const ScopedEnvironment site(kWebSiteVariable, kLoopbackSite);
    AppTestBed bed;
    WindowController& window = bed.makeController();
    menuItem(window, u"homePageAction"_s)->trigger();
    menuItem(window, u"productPageAction"_s)->trigger();
    EXPECT_EQ(bed.interaction.openedURLs(),
              (QStringList{u"http://127.0.0.1:8080/"_s, u"http://127.0.0.1:8080/software/VeltronaForElCapitan/"_s}));
}

TEST(WindowWebSite, AnUnusableOverrideIsToldAndNothingRunsOrOpens)
{
    for (const char* override : {"ftp://127.0.0.1", "http://127.0.0.1/page?x=1", "127.0.0.1", "http://a b"}) {
        SCOPED_TRACE(override);
        const ScopedEnvironment site(kWebSiteVariable, override);
        AppTestBed bed;
        WindowController& window = bed.makeController();

        menuItem(window, u"checkForUpdatesAction"_s)->trigger();
        menuItem(window, u"productPageAction"_s)->trigger();

        EXPECT_TRUE(bed.recorder.runs().empty());
        EXPECT_TRUE(bed.interaction.openedURLs().isEmpty());
        ASSERT_EQ(bed.interaction.alerts().size(), 2);
        for (const AlertRecord& alert : bed.interaction.alerts()) {
            EXPECT_EQ(alert.messageText, u"The Veltrona web site address is not valid"_s);
            EXPECT_TRUE(alert.informativeText.contains(QString::fromLatin1(kWebSiteVariable)));
            EXPECT_TRUE(alert.informativeText.contains(QString::fromLatin1(override)));
            EXPECT_FALSE(alert.asSheet);
        }
    }
}

} // namespace
} // namespace veltrona::test
