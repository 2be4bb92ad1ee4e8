#pragma once
// "Server > Connected Clients…": who is connected now, refreshed every 2 seconds while the sheet
// is open, and the selected client's sessions ended after a confirmation.

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

namespace Ui {
class ConnectedClientsPanel;
}

namespace veltrona {

class CommandRunner;
class Interaction;
class Sheet;

class ConnectedClientsSheet : public QObject {
public:
    static constexpr int kRefreshMilliseconds = 2000;

    ConnectedClientsSheet(QWidget* window, Sheet* sheet, Interaction& interaction,
                          std::function<CommandRunner&()> runner);
    ~ConnectedClientsSheet() override;

    void show();
    void refresh();

    QTableWidget* table() const;
    QPushButton* disconnectButton() const;
    QLabel* infoField() const;

private:
    void disconnectSelected();
    void disconnectConfirmed(int returnCode, const std::string& account);
    std::string selectedAccount() const;

    QWidget* window_;
    Sheet* sheet_;
    Interaction& interaction_;
    std::function<CommandRunner&()> runner_;
    std::unique_ptr<Ui::ConnectedClientsPanel> ui_;
    QTimer* timer_; // a child, so that the sheet's tests can find it
};

} // namespace veltrona
