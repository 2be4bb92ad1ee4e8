#pragma once
// NSAlert's contract: a message text, an informative text and buttons added in order; the first
// button added answers 1000, the second 1001, and so on. With no button added there is one "OK".

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace veltrona {

class Interaction;

inline constexpr int NSAlertFirstButtonReturn = 1000;
inline constexpr int NSAlertSecondButtonReturn = 1001;
inline constexpr int NSAlertThirdButtonReturn = 1002;

class Alert {
public:
    explicit Alert(Interaction& interaction) : interaction_(interaction) { }

    void setMessageText(const QString& text) { messageText_ = text; }
    void setInformativeText(const QString& text) { informativeText_ = text; }
    void addButtonWithTitle(const QString& title) { buttons_.append(title); }

    const QString& messageText() const { return messageText_; }
    const QString& informativeText() const { return informativeText_; }
    // The buttons as shown: those added, or the single default "OK".
    QStringList buttonTitles() const;

    // Runs the alert until it is answered and returns the answer.
    int runModal();
    // Shows the alert as a sheet on the window; the handler gets the answer when there is one.
    void beginSheetModalForWindow(QWidget* window, std::function<void(int)> completionHandler);

private:
    Interaction& interaction_;
    QString messageText_;
    QString informativeText_;
    QStringList buttons_;
};

} // namespace veltrona
