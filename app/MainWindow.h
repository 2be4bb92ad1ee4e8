#pragma once
// The main window: asks its controller before it closes (windowShouldClose:).

#include <QMainWindow>

#include <functional>

namespace veltrona {

class MainWindow : public QMainWindow {
public:
    explicit MainWindow(QWidget* parent = nullptr) : QMainWindow(parent) { }

    // Answers whether a close request may go ahead; none set means yes.
    void setShouldCloseHandler(std::function<bool()> handler) { shouldClose_ = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> shouldClose_;
};

} // namespace veltrona
