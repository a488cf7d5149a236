// Linked into every test program: a box or dialog that no test answers would wait for a user
// until the test function's time-out. After three seconds it is closed instead, with a
// warning naming it, so that the test fails on what the window then holds, in seconds.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace {

void closeUnanswered()
{
    auto *timer = new QTimer(qApp);
    auto *seen = new QPointer<QWidget>;
    auto *since = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, seen, since] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != *seen) {
            *seen = modal;
            *since = 0;
            return;
        }
        if (!modal || ++*since * timer->interval() < 3000)
            return;
        const auto *box = qobject_cast<QMessageBox *>(modal);
        qWarning("closing a %s no test answered: %s", modal->metaObject()->className(),
                 qPrintable(box ? box->text() : modal->windowTitle()));
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer->start(100);
}

}

Q_COREAPP_STARTUP_FUNCTION(closeUnanswered)
