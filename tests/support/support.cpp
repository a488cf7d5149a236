#include "support.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>

#include <sys/fsuid.h>
#include <sys/mount.h>
#include <unistd.h>

void clickOn(QWidget *widget)
{
    focusIn(*widget->window());  // a click brings its window to the front
    const QPoint middle = widget->rect().center();
    QWidget *there = widget->window()->childAt(widget->mapTo(widget->window(), middle));
    QVERIFY2(there == widget || widget->isAncestorOf(there), qPrintable(widget->objectName()));
    QTest::mouseClick(there, Qt::LeftButton, {}, there->mapFrom(widget, middle));
}

QWidget *focusIn(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window) ? QApplication::focusWidget() : &window;
}

void run(QWidget &window, const QString &name)
{
    auto *action = window.findChild<QAction *>(name);
    if (!action)
        return clickOn(window.findChild<QAbstractButton *>(name));
    focusIn(window);
    auto *bar = window.findChild<QMenuBar *>();
    for (QAction *top : bar->actions()) {
        QMenu *menu = top->menu();
        if (top != action && !(menu && menu->actions().contains(action)))
            continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        if (!menu)
            return;
        QVERIFY2(QTest::qWaitForWindowExposed(menu), qPrintable(name));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        return;
    }
    QFAIL(qPrintable(name + " is in no menu of the bar"));
}

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
          constexpr int TitleBarButtons = 100;
          const int caption = box->fontMetrics().horizontalAdvance(box->windowTitle());
          m_seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                    box->standardButton(box->defaultButton()),
                    box->width() >= caption + TitleBarButtons};
          m_plainText = box->textFormat() == Qt::PlainText;
          m_modal = box->windowModality() == Qt::ApplicationModal;
          if (key != Qt::Key_unknown)  // to the box's own focus, its default button
              QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
          else if (QAbstractButton *b = box->button(button))  // else the closer of boxes
              b->click();
      })
{
}

QString ModalAnswer::plainText() const
{
    if (!answered())
        return QStringLiteral("(no box)");
    const bool plain = m_seen.captionFits && m_seen.icon == QMessageBox::NoIcon
        && m_seen.buttons == QMessageBox::Ok && m_plainText && m_modal
        && m_seen.title == QLatin1String("Tansy's INI Editor 3.0");
    return plain ? m_seen.text : "(not the plain box) " + m_seen.title + ": " + m_seen.text;
}

FileDialogAnswer::FileDialogAnswer(const QString &fileName)
    : ModalWatcher(QFileDialog::staticMetaObject, [this, fileName](QWidget *modal) {
          auto *dialog = static_cast<QFileDialog *>(modal);
          auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
          m_seen = {dialog->windowTitle(), dialog->directory().absolutePath(), nameBox->text(),
                    dialog->defaultSuffix(), dialog->nameFilters(), {},
                    !dialog->testOption(QFileDialog::DontConfirmOverwrite)};
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
          auto *buttons = dialog->findChild<QDialogButtonBox *>();
          if (fileName.isEmpty())
              return buttons->button(QDialogButtonBox::Cancel)->click();
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

namespace {

QString captionOf(const QWidget *control)
{
    if (const auto *frame = qobject_cast<const QGroupBox *>(control))
        return frame->title();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    const auto *label = qobject_cast<const QLabel *>(control);
    return label ? label->text() : QString();
}

// Room the control itself takes beside its caption: a check box's box, a button's frame.
int besideCaption(const QWidget *control)
{
    const QStyle *style = control->style();
    if (qobject_cast<const QCheckBox *>(control))
        return style->pixelMetric(QStyle::PM_IndicatorWidth)
            + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    if (qobject_cast<const QPushButton *>(control))
        return 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return 0;
}

bool captionFits(const QWidget *control)
{
    const QString caption = QString(captionOf(control)).remove(QRegularExpression("&(?!&)"));
    if (caption.isEmpty())
        return true;
    const QFontMetrics metrics = control->fontMetrics();
    const auto *label = qobject_cast<const QLabel *>(control);
    if (label && label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    return metrics.horizontalAdvance(caption) + besideCaption(control) <= control->width()
        && metrics.height() <= control->height();
}

}

void verifyLayout(QWidget *window, const QStringList &tabOrder, const QStringList &others)
{
    QList<QWidget *> controls;
    for (const QString &name : tabOrder + others) {
        auto *control = window->findChild<QWidget *>(name);
        QVERIFY2(control && control->isVisibleTo(window), qPrintable(name));
        const QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(heard && !heard->text(QAccessible::Name).isEmpty(), qPrintable(name));
        QVERIFY2(captionFits(control), qPrintable(name + ": " + captionOf(control) + " in "
                                                  + control->font().toString()));
        controls << control;
    }
    const auto place
        = [window](QWidget *w) { return QRect(w->mapTo(window, QPoint()), w->size()); };
    for (QWidget *a : controls)
        for (QWidget *b : controls)
            if (a != b && !a->isAncestorOf(b) && !b->isAncestorOf(a))
                QVERIFY2(!place(a).intersects(place(b)),
                         qPrintable(a->objectName() + " overlaps " + b->objectName()));
    // The focus chain as Tab follows it, each focusable widget taken for the control it is in.
    const auto controlOf = [&](QWidget *w) {
        while (w && !controls.contains(w))
            w = w->parentWidget();
        return w ? w->objectName() : QString();
    };
    QStringList visited;
    QWidget *w = window;
    for (int i = 0; i < 1000 && (i == 0 || w != window); ++i, w = w->nextInFocusChain()) {
        const QString name = controlOf(w);
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && !name.isEmpty()
            && visited.value(visited.size() - 1) != name)
            visited << name;
    }
    // The chain is a circle: read from the first control round.
    if (visited.size() > 1 && visited.first() == visited.last())
        visited.removeLast();
    const qsizetype first = std::max<qsizetype>(0, visited.indexOf(tabOrder.value(0)));
    visited = visited.mid(first) + visited.mid(0, first);
    QCOMPARE(visited, tabOrder);
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
    const QByteArray size = "size=" + QByteArray::number(bytes);
    mounted = ::geteuid() == 0 && ::mount("tmpfs", mountPoint, "tmpfs", 0, size) == 0;
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
