// Linked into every test program: a box or dialog that no test answers would wait for a user
// until the test function's time-out. After three seconds it is closed instead, with a
// warning naming it, so that the test fails on what the window then holds, in seconds.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace {

class UnansweredCloser : public QObject
{
public:
    explicit UnansweredCloser(QObject *parent) : QObject(parent)
    {
        connect(&m_timer, &QTimer::timeout, this, &UnansweredCloser::look);
        m_timer.start(Interval);
    }

private:
    static constexpr int Interval = 100;
    static constexpr int Patience = 3000;

    void look()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != m_seen) {
            m_seen = modal;
            m_waited = 0;
            return;
        }
        if (!modal || (m_waited += Interval) < Patience)
            return;
        const auto *box = qobject_cast<QMessageBox *>(modal);
        qWarning("closing a %s no test answered: %s", modal->metaObject()->className(),
                 qPrintable(box ? box->text() : modal->windowTitle()));
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }

    QTimer m_timer;
    QPointer<QWidget> m_seen;
    int m_waited = 0;
};

// Owned by the application, which deletes it with itself.
void closeUnanswered()
{
    new UnansweredCloser(QCoreApplication::instance());
}

}

Q_COREAPP_STARTUP_FUNCTION(closeUnanswered)
