#include "platform/dospaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// The name in `folder` that the old file system would have opened for `name`.
QString findName(const QString &folder, const QString &name)
{
    if (QFileInfo::exists(folder + QLatin1Char('/') + name)
        || QFileInfo(folder + QLatin1Char('/') + name).isSymLink())
        return name;
    QStringList candidates;
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            candidates.append(entry);
    }
    if (candidates.isEmpty())
        return name;
    return *std::min_element(candidates.cbegin(), candidates.cend(),
                             [](const QString &a, const QString &b) {
                                 return QFile::encodeName(a) < QFile::encodeName(b);
                             });
}

}

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
    if (!p.startsWith(QLatin1Char('/')))
        return p;
    QString real = m_root == QLatin1String("/") ? QString() : m_root;
    for (const QString &name : p.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        real += QLatin1Char('/') + findName(real.isEmpty() ? QStringLiteral("/") : real, name);
    if (p.endsWith(QLatin1Char('/')))
        real += QLatin1Char('/');
    return real.isEmpty() ? QStringLiteral("/") : real;
}
