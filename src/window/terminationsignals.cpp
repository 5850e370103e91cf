// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "terminationsignals.h"

#include <QAbstractNativeEventFilter>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <QCoreApplication>
#include <QPointer>

#include <windows.h>
#endif

namespace Sernix::Window {

#ifdef Q_OS_UNIX
namespace {

std::array<int, 2> signalSockets{-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    // Nothing to do if it fails: a byte is already waiting.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

} // namespace
#endif

#ifdef Q_OS_WIN
namespace {

QPointer<TerminationSignals> instance;
// Set while a console event's thread waits in the handler. Windows holds its
// handler list's lock for that thread, so removing the handler then would
// wait for it for ever, and the program would never end.
std::atomic<bool> eventThreadWaits{false};

// Runs on a thread of its own that Windows starts for the console's event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    QMetaObject::invokeMethod(instance.data(), &TerminationSignals::signalled, Qt::QueuedConnection);
    // Windows ends the process when this returns from the console's closing,
    // a logoff or a shutdown: this thread waits instead, until the program
    // has ended as closing its window ends it (its files whole) and exits.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        eventThreadWaits = true;
        ::Sleep(INFINITE);
    }
    return TRUE;
}

// A window program hears of a logoff or shutdown by WM_ENDSESSION, after which
// it may be ended at any moment: it is handled before that message returns.
class EndSessionFilter final : public QAbstractNativeEventFilter
{
public:
    explicit EndSessionFilter(TerminationSignals *owner)
        : m_owner(owner)
    {
    }
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam)
            m_owner->signalled();
        return false;
    }

private:
    TerminationSignals *m_owner;
};

} // namespace
#endif

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject *parent)
    : QObject(parent)
    , m_onSignal(std::move(onSignal))
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets.data()) != 0)
        return;
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalSockets[1], bytes, sizeof bytes) > 0) { }
        signalled();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
#endif
#ifdef Q_OS_WIN
    // Started from a console (or by sernix.com), the program shares it, to
    // hear its Ctrl+C and its closing.
    ::AttachConsole(ATTACH_PARENT_PROCESS);
    instance = this;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    m_endSessionFilter = std::make_unique<EndSessionFilter>(this);
    QCoreApplication::instance()->installNativeEventFilter(m_endSessionFilter.get());
#endif
}

void TerminationSignals::signalled()
{
    if (!std::exchange(m_signalled, true))
        m_onSignal();
}

TerminationSignals::~TerminationSignals()
{
#ifdef Q_OS_WIN
    if (!eventThreadWaits)
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
#endif
#ifdef Q_OS_UNIX
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets = {-1, -1};
#endif
}

} // namespace Sernix::Window
