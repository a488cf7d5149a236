#pragma once

#include <QByteArray>
#include <QMap>

// The registry functions the About box reads with, in their 8-bit forms and with their
// results: 0 for success, a platform error number otherwise.
class Registry
{
public:
    static constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002;
    static constexpr quint32 KEY_ALL_ACCESS = 0x2003F;
    static constexpr quint32 REG_SZ = 1;
    static constexpr quint32 REG_EXPAND_SZ = 2;
    static constexpr quint32 REG_DWORD = 4;
    static constexpr long ERROR_SUCCESS = 0;
    static constexpr long ERROR_FILE_NOT_FOUND = 2;
    static constexpr long ERROR_INVALID_HANDLE = 6;
    static constexpr long ERROR_MORE_DATA = 234;

    virtual ~Registry() = default;
    virtual long RegOpenKeyExA(quint32 root, const QByteArray &subKey, quint32 options,
                               quint32 access, quint32 &key) = 0;
    // `size` holds the buffer's size on the way in and the data's size on the way out.
    virtual long RegQueryValueExA(quint32 key, const QByteArray &valueName, quint32 reserved,
                                  quint32 &type, char *data, quint32 &size) = 0;
    virtual long RegCloseKey(quint32 key) = 0;
};

// A registry held in memory. The program's own on Linux is an empty one: this platform has no
// registry. Tests fill one and count how many keys were opened and closed.
class MemoryRegistry : public Registry
{
public:
    struct Value
    {
        quint32 type;
        QByteArray data;  // stored exactly, a final NUL only where it was stored with one
    };

    void setValue(quint32 root, const QByteArray &key, const QByteArray &name, Value value);

    long RegOpenKeyExA(quint32 root, const QByteArray &subKey, quint32 options, quint32 access,
                       quint32 &key) override;
    long RegQueryValueExA(quint32 key, const QByteArray &valueName, quint32 reserved,
                          quint32 &type, char *data, quint32 &size) override;
    long RegCloseKey(quint32 key) override;

    int opened() const { return m_opened; }
    int closed() const { return m_closed; }
    int openNow() const { return int(m_open.size()); }

private:
    using Path = QPair<quint32, QByteArray>;
    QMap<Path, QMap<QByteArray, Value>> m_keys;
    QMap<quint32, Path> m_open;
    quint32 m_nextHandle = 0x100;
    int m_opened = 0;
    int m_closed = 0;
};
