// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "controls.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <qdrawutil.h>

namespace {

bool releasedInside(const QWidget *widget, const QMouseEvent *event)
{
    return event->button() == Qt::LeftButton && widget->rect().contains(event->position().toPoint());
}

} // namespace

ShapeIndicator::ShapeIndicator(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeIndicator::setBackColor(OleColor color)
{
    if (m_backColor == color)
        return;
    m_backColor = color;
    update();
}

void ShapeIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(resolveOleColor(OleColors::WindowText, palette()), 1));
    painter.setBrush(resolveOleColor(m_backColor, palette()));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

PulseMark::PulseMark(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void PulseMark::paintEvent(QPaintEvent *)
{
    constexpr qreal RingWidth = 2.5;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Amber: neither an input's green nor an output's red.
    painter.setPen(QPen(QColor(0xff, 0x8c, 0x00), RingWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = RingWidth / 2;
    painter.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

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

LineButton::LineButton(QWidget *parent)
    : QPushButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void LineButton::setBackColor(OleColor color)
{
    if (m_backColor == color)
        return;
    m_backColor = color;
    update();
}

void LineButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool sunken = isDown() || isChecked();
    qDrawShadePanel(&painter, rect(), palette(), sunken, 2, nullptr);
    painter.fillRect(rect().adjusted(2, 2, -2, -2), resolveOleColor(m_backColor, palette()));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

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

int EnableBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return Clear;
    case Qt::Checked:
        return Ticked;
    case Qt::PartiallyChecked:
        return Greyed;
    }
    return Clear;
}

void EnableBox::setValue(int value)
{
    switch (value) {
    case Ticked:
        setCheckState(Qt::Checked);
        break;
    case Greyed:
        setCheckState(Qt::PartiallyChecked);
        break;
    default:
        setCheckState(Qt::Unchecked);
        break;
    }
}

void EnableBox::nextCheckState()
{
    // Only code greys a box; the user's clicks just tick and clear it.
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

void ClickableImage::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ClickableImage::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (releasedInside(this, event))
        Q_EMIT clicked();
}

void ClickableFrame::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ClickableFrame::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (releasedInside(this, event))
        Q_EMIT clicked();
}

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
