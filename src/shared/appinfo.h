#pragma once

#include <QString>

// The program's name and version, defined once (the build passes the numbers).
namespace appinfo {

constexpr int Major = TANSY_VERSION_MAJOR;
constexpr int Minor = TANSY_VERSION_MINOR;
constexpr int Revision = TANSY_VERSION_PATCH;

// The caption of every message box that names none of its own.
inline QString title()
{
    return QStringLiteral("Tansy's INI Editor %1.%2").arg(Major).arg(Minor);
}

}
