// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "multilinetextbox.h"
#include "releasedinside.h"

#include <QMouseEvent>

namespace Sernix::Controls {

MultiLineTextBox::MultiLineTextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void MultiLineTextBox::setText(const QString &text)
{
    m_text = text;
    setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

void MultiLineTextBox::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (releasedInside(viewport(), event))
        Q_EMIT clicked();
}

} // namespace Sernix::Controls
