// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "olecolor.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// The window's own control kinds: the few behaviours that Qt's stock widgets
// do not have (a settable back colour that the logic reads back, a Click on
// things that are not buttons, check box values numbered the classic way).

// A connector pin: a circle filled with its back colour.
class ShapeIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
public:
    explicit ShapeIndicator(QWidget *parent = nullptr);

    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    OleColor m_backColor = OleColors::WindowBackground;
};

// A ring around a connector pin, shown for one tick when the pin's line went
// and came back between two looks: a pulse too short for the indicator.
class PulseMark : public QWidget
{
    Q_OBJECT
public:
    explicit PulseMark(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A label with little room: its text wraps, and when even wrapped it does
// not fit, it is cut short with an ellipsis. The whole text is its tooltip.
class FittedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    QString fullText() const { return m_fullText; }
    void setFullText(const QString &text);

private:
    QString m_fullText;
};

// A push button that shows its back colour on every style: it paints its own
// face and bevel instead of trusting the style to honour the palette.
class LineButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
public:
    explicit LineButton(QWidget *parent = nullptr);

    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    OleColor m_backColor = OleColors::ButtonFace;
};

// A pin text box. A locked box may be handed far more text than it can
// show: a receive box at 115,200 baud gets 34,560 characters a tick. It keeps
// all of it as its Text, and copying copies all of it, but it lays out only
// what a box of its size can ever show. Laying out the whole text would cost
// milliseconds a tick, and QLineEdit would cut it at 32,767 characters.
class PinTextBox : public QLineEdit
{
    Q_OBJECT
public:
    // Characters a locked box lays out; a pin box is a few characters wide.
    static constexpr int ShownLength = 64;

    explicit PinTextBox(bool locked, QWidget *parent = nullptr);

    QString Text() const;
    void setText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool isCut() const { return m_text.size() > ShownLength; }
    void copyAll() const;

    QString m_text; // a locked box's whole text
};

// A check box whose Value is 0 clear, 1 ticked, 2 greyed. Qt numbers its
// states differently; this is the one place that maps between the two.
class EnableBox : public QCheckBox
{
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

    static constexpr int Clear = 0;
    static constexpr int Ticked = 1;
    static constexpr int Greyed = 2;

    int Value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
};

// A picture that reports a click. Accepting the mouse also keeps the click
// from reaching the panel behind it.
class ClickableImage : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A frame that reports clicks on its free area; clicks on children that take
// the mouse never get here.
class ClickableFrame : public QFrame
{
    Q_OBJECT
public:
    using QFrame::QFrame;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A locked multi-line text box. Its Text keeps line breaks as CR LF, the way
// the program writes them, while the editor shows plain lines.
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);

    QString Text() const { return m_text; }
    void setText(const QString &text);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_text;
};
