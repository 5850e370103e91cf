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
    const QRect wrapped = fontMetrics().boundingRect(contentsRect(), int(alignment()) | Qt::TextWordWrap, text);
    const bool fits = wrapped.height() <= contentsRect().height() && wrapped.width() <= contentsRect().width();
    setWordWrap(fits);
    setText(fits ? text : fontMetrics().elidedText(text, Qt::ElideRight, contentsRect().width()));
}

} // namespace Sernix::Controls
