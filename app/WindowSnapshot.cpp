#include "app/WindowSnapshot.h"

#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowController.h"

#include <QPainter>
#include <QPixmap>

namespace veltrona {

QImage snapshotOfWindow(const WindowController& controller)
{
    QImage picture = controller.window()->grab().toImage();
    QPainter painter(&picture);
    for (Sheet* sheet :
         {controller.loginPanel, controller.sharedSecretPanel, controller.setupCheckPanel,
          controller.connectedClientsPanel, controller.userAccountsPanel, controller.userResetPasswordPanel,
          controller.sendProfilePanel, controller.backUpPanel, controller.restorePanel}) {
        if (!sheet->isVisible())
            continue;
        const QPixmap sheetPicture = sheet->grab();
        const qreal ratio = sheetPicture.devicePixelRatio();
        const qreal width = picture.width() / picture.devicePixelRatio();
        const int x = static_cast<int>((width - sheetPicture.width() / ratio) / 2);
        const int y = controller.window()->menuWidget() ? controller.window()->menuWidget()->height() : 0;
        painter.fillRect(picture.rect(), QColor(0, 0, 0, 60)); // the window behind a sheet is dimmed
        painter.drawPixmap(x, y, sheetPicture);
        painter.setPen(QColor(0, 0, 0, 90));
        painter.drawRect(x, y, static_cast<int>(sheetPicture.width() / ratio) - 1,
                         static_cast<int>(sheetPicture.height() / ratio) - 1);
    }
    return picture;
}

} // namespace veltrona
