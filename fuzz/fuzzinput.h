#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Splits a fuzzer's input into a few fields: leading bytes for small numbers, then texts
// separated by 0x01 (texts may hold every other byte, NUL included).
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(reinterpret_cast<const char *>(data), qsizetype(size)) {}

    unsigned number()
    {
        if (m_at >= m_data.size())
            return 0;
        return static_cast<unsigned char>(m_data.at(m_at++));
    }

    QByteArray text()
    {
        const qsizetype end = m_data.indexOf('\x01', m_at);
        const qsizetype stop = end < 0 ? m_data.size() : end;
        const QByteArray part = m_data.mid(m_at, stop - m_at);
        m_at = stop + 1;
        return part;
    }

private:
    QByteArray m_data;
    qsizetype m_at = 0;
};
