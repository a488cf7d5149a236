#include "browser/browsermodule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <cstdio>
#include <unistd.h>

namespace browsermodule {

namespace {

using OpenFunction = void (*)(const QString &);
constexpr const char *LibraryName = "libtansy-browser.so";

// Installed, the library is in the program's own folder under the library folder; in the
// build tree it is beside the program, or one folder up from the tests.
QStringList places()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return {dir + QStringLiteral("/../") + QStringLiteral(TANSY_BROWSER_DIR), dir,
            dir + QStringLiteral("/..")};
}

OpenFunction load(QString *why)
{
    *why = QStringLiteral("%1 was not found").arg(QLatin1String(LibraryName));
    for (const QString &place : places()) {
        const QString file = place + QLatin1Char('/') + QLatin1String(LibraryName);
        if (!QFileInfo::exists(file))
            continue;
        QLibrary library(QFileInfo(file).canonicalFilePath());
        // Kept loaded until the program ends: its windows may be open until then.
        if (!library.load()) {
            *why = library.errorString();
            continue;
        }
        if (auto open = reinterpret_cast<OpenFunction>(library.resolve("tansy_open_browser")))
            return open;
        *why = library.errorString();
    }
    return nullptr;
}

}

ApplicationArguments::ApplicationArguments(int argc, char *argv[]) : m_values(argv, argv + argc)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0) {
        std::fprintf(stderr, "tansy-ini-editor: running as root, so the web browser window "
                             "runs without Chromium's sandbox.\n");
        static char engine[] = "--webEngineArgs";
        static char noSandbox[] = "--no-sandbox";
        m_values.push_back(engine);
        m_values.push_back(noSandbox);
    }
    m_count = int(m_values.size());
    m_values.push_back(nullptr);
}

bool open(const QString &address, QString *why)
{
    // Loaded without it, the engine fails on its first window.
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)) {
        *why = QStringLiteral("the program was not prepared for it when it started");
        return false;
    }
    static OpenFunction openFunction = nullptr;
    if (!openFunction)
        openFunction = load(why);
    if (!openFunction)
        return false;
    openFunction(address);
    return true;
}

}
