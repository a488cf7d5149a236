#include "platform/registry.h"

#include <cstring>

namespace {

// Key paths and value names match whatever their case, as the registry's do.
QByteArray folded(const QByteArray &name)
{
    return name.toLower();
}

}

void MemoryRegistry::setValue(quint32 root, const QByteArray &key, const QByteArray &name,
                              Value value)
{
    m_keys[{root, folded(key)}][folded(name)] = std::move(value);
}

long MemoryRegistry::RegOpenKeyExA(quint32 root, const QByteArray &subKey, quint32, quint32,
                                   quint32 &key)
{
    const Path path{root, folded(subKey)};
    if (!m_keys.contains(path))
        return ERROR_FILE_NOT_FOUND;
    key = m_nextHandle++;
    m_open.insert(key, path);
    ++m_opened;
    return ERROR_SUCCESS;
}

long MemoryRegistry::RegQueryValueExA(quint32 key, const QByteArray &valueName, quint32,
                                      quint32 &type, char *data, quint32 &size)
{
    if (!m_open.contains(key))
        return ERROR_INVALID_HANDLE;
    const auto &values = m_keys[m_open.value(key)];
    const auto found = values.constFind(folded(valueName));
    if (found == values.constEnd())
        return ERROR_FILE_NOT_FOUND;
    const quint32 needed = quint32(found->data.size());
    type = found->type;
    if (needed > size) {
        size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, found->data.constData(), needed);
    size = needed;
    return ERROR_SUCCESS;
}

long MemoryRegistry::RegCloseKey(quint32 key)
{
    ++m_closed;
    return m_open.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
