#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Bytes with a gap at the place of the last change, as the text component keeps its own text:
// typing at one place moves nothing, and neither does a rewrite that goes from left to right.
// Reading the whole as one piece closes the gap, once until the next change.
class GapBuffer
{
public:
    qint64 size() const { return m_data.size() - m_gapLength; }
    // Takes `bytes` as the whole, without a copy until the first change.
    void assign(const QByteArray &bytes);
    // The whole, contiguous; valid until the next change.
    QByteArrayView view();
    // The two parts before and after the gap.
    QByteArrayView before() const;
    QByteArrayView after() const;
    // A part, contiguous; the gap moves only if it lies inside.
    QByteArrayView range(qint64 start, qint64 length);
    void replace(qint64 start, qint64 length, QByteArrayView bytes);
    // Room for `more` bytes to come, made at once.
    void reserve(qint64 more);

private:
    void moveGap(qint64 to);

    QByteArray m_data;
    qint64 m_gapStart = 0;
    qint64 m_gapLength = 0;
};
