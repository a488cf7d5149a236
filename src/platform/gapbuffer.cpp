#include "platform/gapbuffer.h"

#include "platform/hugepages.h"

#include <algorithm>
#include <cstring>

void GapBuffer::assign(const QByteArray &bytes)
{
    m_data = bytes;
    m_gapStart = bytes.size();
    m_gapLength = 0;
}

QByteArrayView GapBuffer::view()
{
    moveGap(size());
    return QByteArrayView(m_data.constData(), size());
}

QByteArrayView GapBuffer::before() const
{
    return QByteArrayView(m_data.constData(), m_gapStart);
}

QByteArrayView GapBuffer::after() const
{
    return QByteArrayView(m_data.constData() + m_gapStart + m_gapLength, size() - m_gapStart);
}

QByteArrayView GapBuffer::range(qint64 start, qint64 length)
{
    if (start < m_gapStart && start + length > m_gapStart)
        moveGap(start);
    const qint64 at = start < m_gapStart ? start : start + m_gapLength;
    return QByteArrayView(m_data.constData() + at, length);
}

void GapBuffer::replace(qint64 start, qint64 length, QByteArrayView bytes)
{
    moveGap(start);
    m_gapLength += length;
    if (bytes.size() > m_gapLength)
        reserve(std::max<qint64>(bytes.size(), size() / 6));
    if (!bytes.isEmpty())
        std::memcpy(m_data.data() + m_gapStart, bytes.data(), size_t(bytes.size()));
    m_gapStart += bytes.size();
    m_gapLength -= bytes.size();
}

void GapBuffer::reserve(qint64 more)
{
    if (m_gapLength >= more)
        return;
    // Grown in place where the C library can (a large block is remapped, not copied), so that
    // the old and the new never both take memory; then the text after the gap moves to the end.
    const qint64 tail = size() - m_gapStart;
    const qint64 oldTailAt = m_gapStart + m_gapLength;
    m_data.resize(size() + more);
    char *data = m_data.data();
    hugepages::advise(data, size_t(m_data.size()));
    std::memmove(data + m_data.size() - tail, data + oldTailAt, size_t(tail));
    m_gapLength = more;
}

void GapBuffer::moveGap(qint64 to)
{
    if (to == m_gapStart || m_gapLength == 0) {  // no gap: nothing moves
        m_gapStart = to;
        return;
    }
    char *data = m_data.data();
    if (to < m_gapStart)
        std::memmove(data + to + m_gapLength, data + to, size_t(m_gapStart - to));
    else
        std::memmove(data + m_gapStart, data + m_gapStart + m_gapLength, size_t(to - m_gapStart));
    m_gapStart = to;
}
