// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "fittedlabel.h"

#include <QFontMetrics>

namespace Sernix::Controls {

void FittedLabel::setFullText(const QString &text)
{
    // Written at every tick; an unchanged text costs nothing.
    if (text == m_fullText)
        return;
    m_fullText = text;
    setToolTip(text);
    // The accessible name says what the label is; the description says
    // what it tells now, and its change is what a screen reader announces.
    setAccessibleDescription(text);
    if (!m_designedFont)
        m_designedFont = font();
    QFont face = *m_designedFont;
    while (!fits(text, face) && face.pointSizeF() - PointStep >= MinimumPoints)
        face.setPointSizeF(face.pointSizeF() - PointStep);
    setFont(face);
    const bool whole = fits(text, face);
    setWordWrap(whole);
    setText(whole ? text : fontMetrics().elidedText(text, Qt::ElideRight, contentsRect().width()));
}

bool FittedLabel::fits(const QString &text, const QFont &face) const
{
    const QRect wrapped =
        QFontMetrics(face, this).boundingRect(contentsRect(), int(alignment()) | Qt::TextWordWrap, text);
    return wrapped.height() <= contentsRect().height() && wrapped.width() <= contentsRect().width();
}

} // namespace Sernix::Controls
