#include "platform/dospaths.h"

#include <QDir>

DosPaths::DosPaths(QString root) : m_root(QDir::cleanPath(root))
{
}

QString DosPaths::resolve(const QString &path) const
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.size() >= 2 && p.at(1) == QLatin1Char(':') && p.at(0).isLetter()) {
        p.remove(0, 2);
        if (!p.startsWith(QLatin1Char('/')))
            p.prepend(QLatin1Char('/'));
    }
    if (!p.startsWith(QLatin1Char('/')) || m_root == QLatin1String("/"))
        return p;
    if (p == m_root || p.startsWith(m_root + QLatin1Char('/')))
        return p;
    return m_root + p;
}
