#include "browser/browsermodule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>

#include <cstdio>
#include <unistd.h>

// Qt's own setter of the context every OpenGL context of the application shares with; Qt
// WebEngine's first view needs one. Exported by Qt GUI (its private headers declare it).
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

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

// The engine draws in OpenGL contexts that share with one global context. Qt makes that
// context with the application when asked to before it exists; made at start-up, it loads the
// system's OpenGL driver in every run (on a machine without a graphics card, a software
// renderer: some 60 MB of memory and part of a tenth of a second), for a window most runs
// never open. So it is made here, before the first browser window, as Qt would have made it;
// no OpenGL context exists before it, since nothing else in the program draws with OpenGL.
bool prepareSharedContext(QString *why)
{
    if (QOpenGLContext::globalShareContext())
        return true;
    auto *context = new QOpenGLContext(QCoreApplication::instance());
    if (!context->create()) {
        delete context;
        *why = QStringLiteral("no OpenGL context could be made for it");
        return false;
    }
    qt_gl_set_global_share_context(context);
    return true;
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
    if (!prepareSharedContext(why))
        return false;
    static OpenFunction openFunction = nullptr;
    if (!openFunction)
        openFunction = load(why);
    if (!openFunction)
        return false;
    openFunction(address);
    return true;
}

}
