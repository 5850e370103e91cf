// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "spacedtext.h"

#include <cmath>

namespace Sernix::Window {

QString spacedText(const QFontMetrics &metrics, const QStringList &words, const QList<qreal> &centres)
{
    Q_ASSERT(words.size() == centres.size());
    QString text;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString separator = i == 0 ? QString() : QStringLiteral(" ");
        QString best = text + separator;
        qreal bestDistance = qInf();
        // Advance of the whole prefix, not a sum of pieces, so that kerning and
        // fractional advances are counted as the label will draw them.
        for (QString candidate = best;; candidate += QLatin1Char(' ')) {
            const qreal start = metrics.horizontalAdvance(candidate);
            const qreal centre = start + metrics.horizontalAdvance(words[i]) / 2.0;
            const qreal distance = std::abs(centre - centres[i]);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = candidate;
            }
            if (centre > centres[i])
                break;
        }
        text = best + words[i];
    }
    return text;
}

} // namespace Sernix::Window
