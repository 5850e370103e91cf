// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "application.h"

#include "abouttexts.h"

#include <QGuiApplication>

namespace Sernix::Window {

void configureApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("sernix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SERNIX_DISPLAY_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Draventa"));
    QGuiApplication::setApplicationDisplayName(QLatin1String(AboutTexts::ProgramTitle));
}

} // namespace Sernix::Window
