#pragma once
// What the fuzz targets share: their input split into fields, and the application and text
// box of the targets that drive widgets (offscreen, made on the first input).
#include "platform/textbox.h"

#include <QApplication>

#include <cstdint>

// Leading bytes for small numbers, then texts separated by 0x01 (any other byte, NUL too).
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size)
        : m_data(reinterpret_cast<const char *>(data), qsizetype(size))
    {
    }
    unsigned number()
    {
        return m_at < m_data.size() ? static_cast<unsigned char>(m_data.at(m_at++)) : 0;
    }
    QByteArray text()
    {
        const qsizetype end = m_data.indexOf('\x01', m_at), stop = end < 0 ? m_data.size() : end;
        const QByteArray part = m_data.mid(m_at, stop - m_at);
        m_at = stop + 1;
        return part;
    }

private:
    QByteArray m_data;
    qsizetype m_at = 0;
};

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz", *argv[] = {name, nullptr};
    static const QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
}

inline TextBox &fuzzEditor()
{
    ensureApplication();
    static TextBox *box = new TextBox;
    return *box;
}
