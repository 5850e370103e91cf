// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QLineEdit>
#include <QString>

namespace Sernix::Controls {

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

} // namespace Sernix::Controls
