// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "abouttexts.h"

#include <QStringList>

namespace Sernix::Window::AboutTexts {

QString joinLines(const QStringList &lines)
{
    return lines.join(QLatin1String("\r\n"));
}

QString aboutText()
{
    return joinLines({
        QStringLiteral("Draventa"),
        QStringLiteral("Sernix v.1.1"),
        QStringLiteral("Author: Draventa bench tools group"),
        QLatin1String(WebSite),
        QStringLiteral("E-mail: support@draventa.example"),
        QString(),
        QStringLiteral("(c) Draventa. All rights reserved."),
    });
}

QString termsText()
{
    return joinLines({
        QStringLiteral("Agreement to use the program Sernix v.1.1:"),
        QStringLiteral(" "),
        QStringLiteral("2. The program is freely distributed by the author from the site ") + QLatin1String(WebSite)
            + QStringLiteral(". Distribution of c other sources must be agreed with the author."),
        QStringLiteral("3. The program is provided as it is, without warranty of fitness for any "
                       "particular purpose."),
        QStringLiteral(". The user may copy the program for personal use, but not sell or change it."),
        QStringLiteral("5. The author assumes no liability resulting from the use of this product."),
        QStringLiteral("6. The author does not undertake any obligation to further develop and support "
                       "this software."),
    });
}

} // namespace Sernix::Window::AboutTexts
