#pragma once
// The dialog that shows an Alert: the message in bold, the informative text below, the buttons
// at the bottom right with the first one (the default) rightmost, as a Mac alert lays them out.
// Its result is the alert's answer (1000, 1001, ...).

#include <QDialog>
#include <QStringList>

namespace veltrona {

class AlertDialog : public QDialog {
public:
    AlertDialog(const QString& messageText, const QString& informativeText, const QStringList& buttons,
                QWidget* parent);

    // Escape answers with a button titled "Cancel", or with the only button when there is one.
    void reject() override;

private:
    int escapeAnswer_ = 0;
};

} // namespace veltrona
