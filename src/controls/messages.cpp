// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "messages.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace Sernix::Controls {

void showMessage(QWidget *window, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, window);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

} // namespace Sernix::Controls
