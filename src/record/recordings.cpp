// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "recordings.h"

#include <cstdio>

namespace Sernix::Record {

namespace {

void say(const QString &message)
{
    std::fprintf(stderr, "sernix: %s\n", qPrintable(message));
    std::fflush(stderr);
}

} // namespace

Recordings::Recordings(const Record &record, QObject *parent)
    : QObject(parent)
    , m_record(record)
{
}

Recordings::~Recordings()
{
    stopAll();
}

QString Recordings::start(const QString &path)
{
    const std::optional<FileKind> kind = fileKindOf(path);
    if (kind && isRunning(*kind)) {
        return QStringLiteral("%1: already recording a %2 file (%3); one of each kind at most")
            .arg(path, fileKindName(*kind), this->path(*kind));
    }
    QString error;
    std::unique_ptr<Recording> recording = Recording::start(m_record, path, &error);
    if (!recording)
        return error;
    if (recording->waitsForReader())
        say(QStringLiteral("%1 is a FIFO: recording starts when a reader opens it").arg(path));
    connect(recording.get(), &Recording::failed, this,
            [this, which = *kind](const QString &message) { onFailed(which, message); });
    m_running.at(std::size_t(*kind)) = std::move(recording);
    Q_EMIT changed();
    return {};
}

void Recordings::stop(FileKind kind)
{
    std::unique_ptr<Recording> &recording = m_running.at(std::size_t(kind));
    if (!recording)
        return;
    recording->finish();
    recording.reset();
    Q_EMIT changed();
}

void Recordings::stopAll()
{
    stop(FileKind::Csv);
    stop(FileKind::Vcd);
}

bool Recordings::isRunning(FileKind kind) const
{
    const std::unique_ptr<Recording> &recording = m_running.at(std::size_t(kind));
    return recording && !recording->hasFailed();
}

QString Recordings::path(FileKind kind) const
{
    return isRunning(kind) ? m_running.at(std::size_t(kind))->path() : QString();
}

void Recordings::flush()
{
    for (const std::unique_ptr<Recording> &recording : m_running) {
        if (recording)
            recording->flush();
    }
}

void Recordings::onFailed(FileKind, const QString &message)
{
    // The recording stays, stopped, until the next of its kind replaces it.
    say(message);
    Q_EMIT failed(message);
    Q_EMIT changed();
}

} // namespace Sernix::Record
