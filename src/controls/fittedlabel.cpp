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
    const QRect wrapped = fontMetrics().boundingRect(contentsRect(), int(alignment()) | Qt::TextWordWrap, text);
    const bool fits = wrapped.height() <= contentsRect().height() && wrapped.width() <= contentsRect().width();
    setWordWrap(fits);
    setText(fits ? text : fontMetrics().elidedText(text, Qt::ElideRight, contentsRect().width()));
}

} // namespace Sernix::Controls
