#pragma once
// What the widget tests share: tables of rows, the main window's commands by name, answers to
// the program's boxes and dialogs, a drive of the test's own, the layout check, another user.
#include "app/form1.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

// A table of one column, "row", of a struct per case: table<Row>({{"name", {...}}, ...}) in a
// _data() function, row<Row>() in the test.
template <typename Row> void table(const QList<std::pair<const char *, Row>> &rows)
{
    QTest::addColumn<Row>("row");
    for (const auto &[name, row] : rows)
        QTest::newRow(name) << row;
}
template <typename Row> const Row &row()
{
    return *static_cast<const Row *>(QTest::qData("row", qMetaTypeId<Row>()));
}

// A click where a user clicks: on the middle of the widget, which must be the one there, to the
// widget under the pointer (the widget itself or a child of it).
void clickOn(QWidget *widget);

// Where a user's keys go: the focus of `window`, shown and made active as a click on its title
// bar makes it.
QWidget *focusIn(QWidget &window);

// Runs a command of a window by its name as a user gives it: a menu item by a click on its
// menu in the bar and one on the item, a button by a click on it.
void run(QWidget &window, const QString &name);

// Watches for the next modal window of a type (QFileDialog::staticMetaObject) and acts on it
// once; arm it before the window opens, then check done().
class ModalWatcher : public QObject
{
public:
    ModalWatcher(const QMetaObject &type, std::function<void(QWidget *)> act);
    bool done() const { return m_done; }

private:
    QTimer m_timer;
    bool m_done = false;
};

// What a message box showed, and whether its caption fitted its title bar.
struct BoxSeen
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool captionFits = false;
};

// Answers the next message box with a button, or with a key (Enter, Escape) to its focus.
class ModalAnswer : public ModalWatcher
{
public:
    explicit ModalAnswer(QMessageBox::StandardButton button, Qt::Key key = Qt::Key_unknown);
    bool answered() const { return done(); }
    const BoxSeen &seen() const { return m_seen; }
    // The box's text if it was the program's plain one (no icon, OK only, plain text, modal to
    // every window, the program's title, fitting), else what was wrong instead.
    QString plainText() const;

private:
    BoxSeen m_seen;
    bool m_plainText = false, m_modal = false;
};

// What a file dialog offered, and the names its first filter listed.
struct FileDialogSeen
{
    QString title, directory, fileName, suffix;
    QStringList filters, listed;
    bool confirmsOverwrite = false;
};

// Answers the next file dialog through its widgets: types `fileName` into its name box and
// presses Enter, or, with no name, presses Cancel.
class FileDialogAnswer : public ModalWatcher
{
public:
    explicit FileDialogAnswer(const QString &fileName = QString());
    bool answered() const { return done(); }
    const FileDialogSeen &seen() const { return m_seen; }

private:
    FileDialogSeen m_seen;
};

// A folder that stands for the root of the current drive, so no test touches "/".
struct TempDrive
{
    QString root() const { return dir.path(); }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    QString write(const QString &relative, const QByteArray &bytes) const;  // returns the path
    QByteArray read(const QString &relative) const;
    QTemporaryDir dir;
};

// A window's controls: each named one is there with a name a screen reader reads; the focus
// goes round `tabOrder` by Tab; no two overlap unless one holds the other; every caption fits.
void verifyLayout(QWidget *window, const QStringList &tabOrder, const QStringList &others);

// This thread's file accesses as another user's for a while (setfsuid); only as root.
struct ActAs
{
    static bool possible();
    ActAs(unsigned uid, unsigned gid);
    ~ActAs();
};

// A small tmpfs of its own, for a full disk or a read-only file system; only as root.
struct SmallDisk
{
    SmallDisk(const QString &mountPoint, qint64 bytes);
    ~SmallDisk();
    bool makeReadOnly();
    const QByteArray mountPoint;
    bool mounted = false;
};
