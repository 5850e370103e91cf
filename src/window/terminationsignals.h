// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace Sernix::Window {

// Turns SIGINT and SIGTERM into a call on the event loop, so that Ctrl+C or
// a kill ends the program the way closing its window does: files written to
// the end. The signal handler only writes a byte to a socket pair; nothing
// else is safe to do there.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject *parent = nullptr);
    ~TerminationSignals() override;

private:
    std::function<void()> m_onSignal;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace Sernix::Window
