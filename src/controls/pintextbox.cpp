// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "pintextbox.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace Sernix::Controls {

PinTextBox::PinTextBox(bool locked, QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(locked);
}

QString PinTextBox::Text() const
{
    return isReadOnly() ? m_text : text();
}

void PinTextBox::setText(const QString &text)
{
    // The poll cycle writes every box at every tick; an unchanged text must
    // not cost a new layout.
    if (!isReadOnly()) {
        if (text != QLineEdit::text())
            QLineEdit::setText(text);
        return;
    }
    if (text == m_text)
        return;
    m_text = text;
    QLineEdit::setText(text.left(ShownLength));
}

void PinTextBox::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly() && isCut() && event->matches(QKeySequence::Copy) && selectedText() == QLineEdit::text()) {
        copyAll();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void PinTextBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (isReadOnly() && isCut()) {
        // Offer the whole text, which the box cannot show.
        QAction *copyEverything = menu->addAction(tr("Copy All"));
        connect(copyEverything, &QAction::triggered, this, &PinTextBox::copyAll);
    }
    menu->popup(event->globalPos());
}

void PinTextBox::copyAll() const
{
    QGuiApplication::clipboard()->setText(m_text);
}

} // namespace Sernix::Controls
