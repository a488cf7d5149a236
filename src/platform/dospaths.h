#pragma once

#include <QString>

// Turns the program's DOS-style paths ("/windows/win.ini", "C:\Program Files\...",
// "\Program Files\...") into real paths. Every drive letter and a path without one name the
// root of the current drive, which on Linux is "/". Tests give a folder of their own as root.
class DosPaths
{
public:
    explicit DosPaths(QString root = QStringLiteral("/"));

    const QString &root() const { return m_root; }
    // A relative path is left relative; a path already below the root is taken as it is, so
    // paths that a file dialog returned resolve to themselves.
    QString resolve(const QString &path) const;

private:
    QString m_root;
};
