// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "bytestore.h"

#include "event.h"

#include <algorithm>
#include <cstring>

namespace Sernix::Record {

namespace {

constexpr qint64 LargestChunk = qint64(64) * 1024;
constexpr qint64 SmallestChunk = qint64(4) * MaxBytesPerEvent;
// The allocator's bookkeeping per chunk, and the chunk list's share.
constexpr qint64 PerChunkOverhead = 32;

} // namespace

ByteStore::ByteStore(qint64 bound)
    : m_chunkSize(std::clamp(bound / 64, SmallestChunk, LargestChunk))
{
}

quint64 ByteStore::add(QByteArrayView bytes)
{
    const auto size = quint64(bytes.size());
    const auto chunkSize = quint64(m_chunkSize);
    const quint64 chunksEnd = (m_firstChunk + m_chunks.size()) * chunkSize;
    if (m_chunks.empty() || m_end + size > chunksEnd) {
        // What is left of the last chunk stays unused.
        const quint64 next = m_chunks.empty() ? (m_end + chunkSize - 1) / chunkSize : m_firstChunk + m_chunks.size();
        if (m_chunks.empty())
            m_firstChunk = next;
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(std::size_t(chunkSize)));
        m_end = next * chunkSize;
    }
    const quint64 position = m_end;
    std::memcpy(m_chunks.back().get() + (position % chunkSize), bytes.data(), std::size_t(size));
    m_end += size;
    return position;
}

QByteArrayView ByteStore::at(quint64 position, qsizetype size) const
{
    const auto chunkSize = quint64(m_chunkSize);
    const char *chunk = m_chunks.at(std::size_t(position / chunkSize - m_firstChunk)).get();
    return {chunk + position % chunkSize, size};
}

void ByteStore::releaseBefore(quint64 position)
{
    while (!m_chunks.empty() && (m_firstChunk + 1) * quint64(m_chunkSize) <= position) {
        m_chunks.pop_front();
        ++m_firstChunk;
    }
}

qint64 ByteStore::footprint() const
{
    return qint64(m_chunks.size()) * (m_chunkSize + PerChunkOverhead);
}

} // namespace Sernix::Record
