// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QAbstractNativeEventFilter;
class QSocketNotifier;

namespace Sernix::Window {

// Turns SIGINT and SIGTERM into a call on the event loop, so that Ctrl+C or
// a kill ends the program the way closing its window does: files written to
// the end. The signal handler only writes a byte to a socket pair; nothing
// else is safe to do there. On Windows the same call answers the console's
// Ctrl+C, Ctrl+Break and closing, and a logoff or shutdown (WM_ENDSESSION).
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Ends the program, once however often it is asked.
    void signalled();

private:
    std::function<void()> m_onSignal;
    bool m_signalled = false;
    QSocketNotifier *m_notifier = nullptr;
    std::unique_ptr<QAbstractNativeEventFilter> m_endSessionFilter;
};

} // namespace Sernix::Window
