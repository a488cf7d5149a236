#include "support.h"

#include "platform/twips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <sys/fsuid.h>
#include <sys/mount.h>
#include <unistd.h>

ModalWatcher::ModalWatcher(const QMetaObject &type, std::function<void(QWidget *)> act)
{
    connect(&m_timer, &QTimer::timeout, this, [this, &type, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && type.cast(modal)) {
            m_timer.stop();
            m_done = true;
            act(modal);
        }
    });
    m_timer.start(10);
}

ModalAnswer::ModalAnswer(QMessageBox::StandardButton button, Qt::Key key)
    : ModalWatcher(QMessageBox::staticMetaObject, [this, button, key](QWidget *modal) {
          auto *box = static_cast<QMessageBox *>(modal);
          m_seen = QStringLiteral("%1|%2|%3|%4|%5").arg(box->windowTitle()).arg(box->icon())
                       .arg(box->standardButtons()).arg(box->standardButton(box->defaultButton()))
                       .arg(box->text());
          // A caption the title bar cuts short shows in what the box was seen as.
          constexpr int TitleBarButtons = 100;
          const bool cut = box->width()
              < box->fontMetrics().horizontalAdvance(box->windowTitle()) + TitleBarButtons;
          if (cut)
              m_seen += QStringLiteral("|(caption cut)");
          m_plain = !cut && box->icon() == QMessageBox::NoIcon && box->standardButtons() == QMessageBox::Ok
              && box->textFormat() == Qt::PlainText && box->windowModality() == Qt::ApplicationModal
              && box->windowTitle() == QLatin1String("Tansy's INI Editor 3.0");
          if (key != Qt::Key_unknown)  // to the box's own focus, its default button
              QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
          else if (QAbstractButton *b = box->button(button))  // none: left to the closer of unanswered boxes
              b->click();
      })
{
}

QString ModalAnswer::plainText() const
{
    if (!answered())
        return QStringLiteral("(no box)");
    return m_plain ? m_seen.section('|', 4) : "(not the plain box) " + m_seen;
}

FileDialogAnswer::FileDialogAnswer(const QString &fileName)
    : ModalWatcher(QFileDialog::staticMetaObject, [this, fileName](QWidget *modal) {
          auto *dialog = static_cast<QFileDialog *>(modal);
          auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
          m_seen.settings = QStringList{dialog->windowTitle(), dialog->directory().absolutePath(),
              nameBox->text(), dialog->nameFilters().join(';'), dialog->defaultSuffix(),
              dialog->acceptMode() == QFileDialog::AcceptOpen ? "open" : "save",
              QString::number(dialog->fileMode()),
              dialog->testOption(QFileDialog::DontConfirmOverwrite) ? "" : "confirms",
              dialog->testOption(QFileDialog::DontUseNativeDialog) ? "" : "native"}.join('|');
          // The listing arrives in pieces from a thread: read it once its count has held
          // for 100 ms, or after a second. Names the filter leaves out may be listed greyed.
          auto *list = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
          const auto rows = [list] { return list->model()->rowCount(list->rootIndex()); };
          for (int i = 0, count = -1, held = 0; i < 50 && held < 5; ++i, count = rows()) {
              QTest::qWait(20);
              held = rows() > 0 && rows() == count ? held + 1 : 0;
          }
          for (int row = 0; row < rows(); ++row) {
              const QModelIndex item = list->model()->index(row, 0, list->rootIndex());
              if (item.flags() & Qt::ItemIsEnabled)
                  m_seen.listed << item.data().toString();
          }
          m_seen.listed.sort();
          if (fileName.isEmpty())
              return dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
          // Typed with the focus in the box, as a user does: the dialog lets go of the file
          // selected in its list.
          dialog->activateWindow();
          (void)QTest::qWaitForWindowActive(dialog);
          nameBox->setFocus();
          nameBox->setText(fileName);
          QTest::keyClick(nameBox, Qt::Key_Return);
      })
{
}

QString TempDrive::write(const QString &relative, const QByteArray &bytes) const
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file));
    return file;
}

QByteArray TempDrive::read(const QString &relative) const
{
    QFile in(path(relative));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void verifyDesign(QWidget *window, const QList<DesignRow> &rows)
{
    for (const DesignRow &row : rows) {
        auto *control = window->findChild<QWidget *>(QLatin1String(row.name));
        QVERIFY2(control, row.name);
        const QRect &t = row.twips;
        QVERIFY2(control->geometry() == twips::rect(t.x(), t.y(), t.width(), t.height()), row.name);
        const auto *frame = qobject_cast<QGroupBox *>(control);
        QVERIFY2((frame ? frame->title() : control->property("text").toString()) == row.caption, row.name);
        QVERIFY2(!control->accessibleName().isEmpty(), row.name);
    }
}

bool ActAs::possible() { return ::geteuid() == 0; }
ActAs::ActAs(unsigned uid, unsigned gid)
{
    ::setfsgid(gid);
    ::setfsuid(uid);
}
ActAs::~ActAs()
{
    ::setfsuid(::geteuid());
    ::setfsgid(::getegid());
}

SmallDisk::SmallDisk(const QString &folder, qint64 bytes) : mountPoint(QFile::encodeName(folder))
{
    QDir().mkpath(folder);
    mounted = ::geteuid() == 0 && ::mount("tmpfs", mountPoint, "tmpfs", 0, "size=" + QByteArray::number(bytes)) == 0;
}
SmallDisk::~SmallDisk()
{
    if (mounted)
        ::umount2(mountPoint, MNT_DETACH);
}
bool SmallDisk::makeReadOnly()
{
    return mounted && ::mount("tmpfs", mountPoint, "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

// In every test program: a box or dialog no test answers would wait for a user until the
// test function's time-out. After three seconds it is closed instead, with a warning naming
// it, so that the test fails on what the window then holds, in seconds.
static void closeUnanswered()
{
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [seen = QPointer<QWidget>(), waited = 0]() mutable {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != seen || !modal) {
            seen = modal;
            waited = 0;
            return;
        }
        if ((waited += 100) < 3000)
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
Q_COREAPP_STARTUP_FUNCTION(closeUnanswered)
