#include "app/appinfo.h"
#include "app/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tansy-ini-editor"));
    QApplication::setApplicationDisplayName(appinfo::title());
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(appinfo::Major).arg(appinfo::Minor).arg(appinfo::Revision));

    Form1 window;
    window.show();
    return app.exec();
}
