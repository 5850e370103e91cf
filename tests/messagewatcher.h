#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Answers the program's modal message boxes the way a user would: notes
// what each one says, lets the test look at the window while it is open,
// then presses OK.
class MessageWatcher : public QObject
{
public:
    struct Seen
    {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        int buttonCount;
    };

    // whileOpen runs once per box before it is answered; it may wait for events.
    explicit MessageWatcher(std::function<void(const Seen &)> whileOpen = {})
        : m_whileOpen(std::move(whileOpen))
    {
        connect(&m_poll, &QTimer::timeout, this, &MessageWatcher::answer);
        m_poll.start(5);
    }

    QList<Seen> seen;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || m_busy)
            return;
        m_busy = true;
        const Seen message{box->text(), box->windowTitle(), box->icon(), int(box->buttons().size())};
        seen << message;
        if (m_whileOpen)
            m_whileOpen(message);
        box->button(QMessageBox::Ok)->click();
        m_busy = false;
    }

    std::function<void(const Seen &)> m_whileOpen;
    QTimer m_poll;
    bool m_busy = false;
};
