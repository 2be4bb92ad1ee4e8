#pragma once
// A panel shown as a sheet: Escape and the window's close button act as its cancel button (the
// child marked with the property cancelButton = true in the .ui form) instead of hiding it behind
// the controller's back.

#include <QDialog>

class QAbstractButton;

namespace veltrona {

class Sheet : public QDialog {
public:
    explicit Sheet(QWidget* parent = nullptr);

    QAbstractButton* cancelButton() const;
    void reject() override;
};

} // namespace veltrona
