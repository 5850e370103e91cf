// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

class QWidget;

namespace Sernix::Controls {

// The program's one kind of message: modal to the window, an OK button only,
// no icon, captioned with the program's title. The timer keeps ticking while
// it is open.
void showMessage(QWidget *window, const QString &text);

inline const QString PortNotFound = QStringLiteral("Port not found");
inline const QString Unacceptable = QStringLiteral("Unacceptable");

} // namespace Sernix::Controls
