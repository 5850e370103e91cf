#include "application.h"

#include "abouttexts.h"

#include <QGuiApplication>

void initResources()
{
    Q_INIT_RESOURCE(sernix);
}

void configureApplication()
{
    initResources();
    QCoreApplication::setApplicationName(QStringLiteral("sernix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SERNIX_DISPLAY_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Draventa"));
    QGuiApplication::setApplicationDisplayName(QLatin1String(AboutTexts::ProgramTitle));
}
