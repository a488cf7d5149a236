#include "shared/appinfo.h"
#include "app/form1.h"
#include "browser/browsermodule.h"
#include "platform/codepage.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    browsermodule::ApplicationArguments arguments(argc, argv);
    QApplication app(arguments.count(), arguments.values());
    QApplication::setApplicationName(QStringLiteral("tansy-ini-editor"));
    QApplication::setOrganizationName(QStringLiteral("Tansy"));
    QApplication::setDesktopFileName(QStringLiteral("org.tansy.IniEditor"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(appinfo::Major).arg(appinfo::Minor).arg(appinfo::Revision));

    // The user's locale decides the code page, as it did on the old platform.
    codepage::use(codepage::fromLocale());
    Form1 window;
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    const int code = app.exec();
    // Windows closed with the program are destroyed before the engine behind the browser
    // windows shuts down.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
