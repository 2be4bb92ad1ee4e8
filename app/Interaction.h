#pragma once
// The one place through which the program beeps, shows alerts and sheets, opens web pages and
// quits, so that tests can answer alerts and count beeps instead of a user.

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

class QDialog;
class QFileDialog;
class QWidget;

namespace veltrona {

class Alert;

// NSSavePanel's settings: where it opens, the proposed name (the extension is added), the message
// above the files, and the one extension allowed.
struct SavePanelOptions {
    QString directory;
    QString nameFieldStringValue;
    QString message;
    QString allowedFileType;
};

// What an alert showed, kept for tests.
struct AlertRecord {
    QString messageText;
    QString informativeText;
    QStringList buttons;
    bool asSheet = false;
};

class Interaction {
public:
    // Interactive shows real dialogs; Scripted never shows an alert and answers each one from the
    // queue, or with its first button when the queue is empty; Unattended (a run that makes a
    // picture and ends, with nobody to click) answers as Scripted and prints each alert's texts to
    // standard error instead.
    enum class Mode { Interactive, Scripted, Unattended };
    explicit Interaction(Mode mode = Mode::Interactive) : mode_(mode) { }
    Interaction(const Interaction&) = delete;
    Interaction& operator=(const Interaction&) = delete;

    Mode mode() const { return mode_; }

    // NSBeep.
    void beep();
    int beepCount() const { return beepCount_; }

    // An alert run modally; the answer is 1000 for the first button, 1001 for the second, ...
    int runAlert(const Alert& alert);
    // An alert begun as a sheet on a window; the handler receives the answer later.
    void beginAlertSheet(const Alert& alert, QWidget* window, std::function<void(int)> completionHandler);

    // A panel shown as a window-modal sheet on a window, and ended with a return code.
    void beginSheet(QWidget* window, QDialog* sheet);
    void endSheet(QDialog* sheet, int returnCode);
    QDialog* lastSheetBegun() const { return lastSheet_; }

    // A save panel begun as a sheet on a window. The handler gets the chosen file and the folder
    // that holds it, or two empty texts when the user cancelled.
    using SavePanelHandler = std::function<void(const QString& file, const QString& folder)>;
    void beginSavePanel(QWidget* window, const SavePanelOptions& options, SavePanelHandler completionHandler);
    // Qt's own save dialog, not the desktop's, set up as the options say and window-modal on the
    // window: the panel Interactive mode shows.
    static QFileDialog* makeSavePanel(QWidget* window, const SavePanelOptions& options);
    // The file a save panel chooses for a name typed into it: a bare name lies in the panel's
    // folder, and a name without an extension gets the allowed one.
    static QString savePanelChoice(const SavePanelOptions& options, const QString& typed);

    // An open panel begun as a sheet on a window, for one existing file (`directory`, `message` and
    // `allowedFileType` of the options count). The handler gets the chosen file, or an empty text
    // when the user cancelled.
    using OpenPanelHandler = std::function<void(const QString& file)>;
    void beginOpenPanel(QWidget* window, const SavePanelOptions& options, OpenPanelHandler completionHandler);

    // NSWorkspace openURL:. Every address is recorded; only Interactive mode opens a browser.
    void openURL(const QString& address);
    const QStringList& openedURLs() const { return openedURLs_; }

    // terminate: ends the event loop (Interactive mode); always recorded.
    void terminate();
    int terminateCount() const { return terminateCount_; }

    // Test seams: answers for the next alerts, and what the alerts showed.
    void queueAlertAnswer(int answer) { answers_.push_back(answer); }
    const QList<AlertRecord>& alerts() const { return alerts_; }
    std::optional<AlertRecord> lastAlert() const;
    // The name the next save panel is given, as typed into its name field; with none queued the
    // panel is cancelled (Scripted and Unattended modes).
    void queueSavePanelFileName(const QString& typed) { savePanelNames_.push_back(typed); }
    const QList<SavePanelOptions>& savePanels() const { return savePanels_; }
    // The file the next open panel chooses (a bare name lies in the panel's folder); with none
    // queued the panel is cancelled (Scripted and Unattended modes).
    void queueOpenPanelFileName(const QString& typed) { openPanelNames_.push_back(typed); }

private:
    std::optional<int> scriptedAnswer(const Alert& alert, bool asSheet);

    Mode mode_;
    int beepCount_ = 0;
    int terminateCount_ = 0;
    std::deque<int> answers_;
    std::deque<QString> savePanelNames_;
    std::deque<QString> openPanelNames_;
    QList<SavePanelOptions> savePanels_;
    QList<AlertRecord> alerts_;
    QStringList openedURLs_;
    QDialog* lastSheet_ = nullptr;
};

} // namespace veltrona
