// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <deque>
#include <memory>

namespace Sernix::Record {

// The bytes of data events, back to back in chunks of one size, each event's
// bytes within one chunk. Bytes are found by their position, which only ever
// grows; a chunk is freed whole once the oldest bytes still wanted lie past
// it, so the store holds its chunks and nothing else.
class ByteStore
{
public:
    // Small stores get small chunks, so that a chunk is a small part of them.
    explicit ByteStore(qint64 bound);

    // Keeps bytes (at most a chunk's worth) and says where they are.
    quint64 add(QByteArrayView bytes);
    QByteArrayView at(quint64 position, qsizetype size) const;
    // Frees the chunks that lie wholly before position.
    void releaseBefore(quint64 position);
    // Everything added before this is still held or freed.
    quint64 end() const { return m_end; }
    qint64 footprint() const;

private:
    qint64 m_chunkSize;
    std::deque<std::unique_ptr<char[]>> m_chunks;
    quint64 m_firstChunk = 0; // the number of m_chunks.front()
    quint64 m_end = 0;        // the position the next bytes go to, unless they start a chunk
};

} // namespace Sernix::Record
