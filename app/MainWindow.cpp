#include "app/MainWindow.h"

#include <QCloseEvent>

namespace veltrona {

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (shouldClose_ && !shouldClose_()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace veltrona
