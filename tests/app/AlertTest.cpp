// Alerts: NSAlert's answers, the scripted seam, and the dialog's keyboard behaviour.
#include "app/Alert.h"
#include "app/AlertDialog.h"
#include "app/Interaction.h"
#include "services/UpdateCheck.h"
#include "tests/app/QtPrinting.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(Alert, AnswersComeFromTheQueueThenTheFirstButton)
{
    Interaction interaction(Interaction::Mode::Scripted);
    interaction.queueAlertAnswer(1001);

    Alert question(interaction);
    question.setMessageText(QStringLiteral("Alert"));
    question.setInformativeText(QStringLiteral("Closing the window will quit the application."));
    question.addButtonWithTitle(QStringLiteral("Quit"));
    question.addButtonWithTitle(QStringLiteral("Cancel"));
    EXPECT_EQ(question.runModal(), NSAlertSecondButtonReturn);
    EXPECT_EQ(question.runModal(), NSAlertFirstButtonReturn);

    int answered = 0;
    question.beginSheetModalForWindow(nullptr, [&answered](int answer) { answered = answer; });
    EXPECT_EQ(answered, NSAlertFirstButtonReturn);

    ASSERT_EQ(interaction.alerts().size(), 3);
    const AlertRecord last = *interaction.lastAlert();
    EXPECT_TRUE(last.asSheet);
    EXPECT_EQ(last.buttons, (QStringList{QStringLiteral("Quit"), QStringLiteral("Cancel")}));
    EXPECT_EQ(last.informativeText, QStringLiteral("Closing the window will quit the application."));
}

QList<QPushButton*> buttonsLeftToRight(AlertDialog& dialog)
{
    QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    return buttons;
}

struct KeyCase {
    QStringList buttons;
    Qt::Key key;
    int answer; // 0: the dialog stays open
};

TEST(AlertDialog, KeysAnswerAsOnAMac)
{
    const QString no = QStringLiteral("No"), del = QStringLiteral("Delete"), cancel = QStringLiteral("Cancel"),
                  ok = QStringLiteral("OK"), quit = QStringLiteral("Quit");
    const KeyCase cases[] = {
        {{no, del}, Qt::Key_Return, 1000},      // the first button is the default, also when it says No
        {{no, del}, Qt::Key_Escape, 0},         // no Cancel button: Escape does nothing
        {{quit, cancel}, Qt::Key_Escape, 1001}, // Escape is Cancel's
        {{ok}, Qt::Key_Escape, 1000},           // a lone button takes Escape too
        {{ok, cancel}, Qt::Key_Enter, 1000},
    };
    for (const KeyCase& c : cases) {
        AlertDialog dialog(QStringLiteral("Message"), QStringLiteral("Details"), c.buttons, nullptr);
        dialog.show();
        QTest::keyClick(&dialog, c.key);
        if (c.answer == 0) {
            EXPECT_TRUE(dialog.isVisible()) << c.buttons.join(u',').toStdString();
        } else {
            EXPECT_FALSE(dialog.isVisible()) << c.buttons.join(u',').toStdString();
            EXPECT_EQ(dialog.result(), c.answer) << c.buttons.join(u',').toStdString();
        }
    }
}

TEST(AlertDialog, FirstButtonStandsRightmostAndClicksAnswerByOrderAdded)
{
    const QStringList titles{QStringLiteral("De-Install"), QStringLiteral("Cancel")};
    AlertDialog dialog(QStringLiteral("Are you sure?"), QString(), titles, nullptr);
    dialog.show();
    const QList<QPushButton*> buttons = buttonsLeftToRight(dialog);
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons.at(1)->text(), titles.at(0));
    EXPECT_TRUE(buttons.at(1)->isDefault());
    QTest::mouseClick(buttons.at(0), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), 1001);
}

// Issue 17: the dialog trimmed the update alert's text, which begins and ends with a line break.
TEST(AlertDialog, InformativeTextIsShownAsGiven)
{
    const UpdateAlert update = updateAlertFor("2.0", "1.0");
    const QString informative = QString::fromStdString(update.alert.informativeText);
    EXPECT_EQ(informative, QStringLiteral("\nThere is a newer version available (version 2.0).\nClick OK to go to the "
                                          "Veltrona for El Capitan web site.\n"));
    AlertDialog dialog(QString::fromStdString(update.alert.messageText), informative,
                       {QStringLiteral("OK"), QStringLiteral("Cancel")}, nullptr);
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(informative)) << texts.join(u'|').toStdString();
}

} // namespace
} // namespace veltrona::test
