#include "document/documentcommands.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"
#include "support.h"

#include <sys/stat.h>
#include <unistd.h>

// Quick-load, New, Open, Save and Save As through the main window's buttons, menu items and
// Qt's own file dialog, on a drive of the test's own.

// The command, the file on disk (below the root) and its bytes, the name it gets ("": that file).
struct Load { QString command, onDisk; QByteArray bytes; QString name; };
// Makes what a command meets at a file's path.
using Obstacle = std::function<void(const TempDrive &, const QString &file)>;
// The command, what it meets, the message; whether it runs as another user.
struct LoadFailure { QString command; Obstacle obstacle; QString message; bool asNobody = false; };
// Whether win.ini was quick-loaded first, the command, the dialog's answer below the root
// ("": Cancel); the current file name after.
enum class NameAfter { Unchanged, None, Answer };
struct Name { bool loaded; QString command, answer; NameAfter after; };
// A failed save: the command, the obstacle, the name shown (below the root, or the fixed path).
struct SaveFailure { QString command; Obstacle obstacle; QString shown; };

namespace {

QByteArray everyByte()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    return bytes + "\r\nlone LF\nlone CR\rno end";
}

QByteArray path(const QString &file) { return QFile::encodeName(file); }
void fifo(const TempDrive &, const QString &file) { QCOMPARE(::mkfifo(path(file), 0600), 0); }
void folder(const TempDrive &, const QString &file) { QVERIFY(QDir().mkpath(file)); }
Obstacle linkTo(const char *to)
{
    return [to](const TempDrive &, const QString &file) { QCOMPARE(::symlink(to, path(file)), 0); };
}
Obstacle content(const QByteArray &bytes)
{
    return [bytes](const TempDrive &drive, const QString &file) {
        drive.write(QDir(drive.root()).relativeFilePath(file), bytes);
    };
}

}

class TestDocuments : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;  // the user's home and settings folder, empty

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
    }
    // Nothing of the dialogs' own is kept for the next run.
    void cleanupTestCase()
    {
        QCOMPARE(
            QDir(m_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }

    // The text arrives byte for byte in a new undo history, the current file name and the
    // dialog's name are the command's, and Save writes back to the file found, never to a
    // second one.
    void loads_data()
    {
        const QByteArray nul("[G]\0x\r\n", 7), long512 = QByteArray(512 << 10, 'x') + "\r\n";
        const QString win("/windows/win.ini"), system("/windows/system.ini");
        table<Load>({{"Win.INI", {"Command1", "windows/win.ini", everyByte(), win}},
            {"System.INI, empty", {"Command2", "windows/system.ini", "", system}},
            {"Progman.INI, NUL inside",
                {"Command3", "windows/progman.ini", nul, "/windows/progman.ini"}},
            {"WINDOWS/WIN.INI in capitals", {"Command1", "WINDOWS/WIN.INI", "[w]\r\n", win}},
            {"Windows/System.Ini", {"Command2", "Windows/System.Ini", "[b]", system}},
            {"Open", {"FileOpen", "disk/any.txt", everyByte(), ""}},
            {"Open, a line of 512 KiB", {"FileOpen", "disk/long.ini", long512, ""}}});
    }
    void loads()
    {
        const Load &r = row<Load>();
        TempDrive drive;
        const QString file = drive.write(r.onDisk, r.bytes);
        Form1 form(drive.root());
        QTest::keyClicks(focusIn(form), "unsaved");
        {
            FileDialogAnswer dialog(r.command == "FileOpen" ? file : QString());
            run(form, r.command);
        }
        QVERIFY(form.editor()->text() == r.bytes);
        QVERIFY(!form.editor()->isUndoAvailable());
        QCOMPARE(form.documents()->currentFileName(), r.name.isEmpty() ? file : r.name);
        QCOMPARE(form.commonDialog()->FileName, r.name.isEmpty() ? file : r.name);
        clickOn(form.editor());  // the focus is on the button clicked
        form.editor()->setSelection(0, 0);
        QTest::keyClicks(focusIn(form), "new");
        run(form, "FileSave");
        QVERIFY(drive.read(r.onDisk) == "new" + r.bytes);
        const QString folder = QFileInfo(r.onDisk).path();
        QCOMPARE(QDir(drive.path(folder)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(r.onDisk).fileName()});
        QCOMPARE(QDir(drive.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{folder});
    }

    // The box is the program's plain one; the editor keeps its text and its undo steps, and
    // the name is forgotten; later loads still work.
    void loadFailures_data()
    {
        const QString open("Unkown error while opening file ");
        const QString win("File Open ERROR SORRY! /windows/win.ini");
        const QString system("File Open ERROR SORRY! /windows/system.ini");
        const QString progman("File Open Error.. SORRY! /windows/progman.ini");
        const auto unreadable = [](const TempDrive &, const QString &file) {
            QFile(file).open(QIODevice::WriteOnly);
            ::chmod(path(file), 0200);
        };
        const auto huge = [](const TempDrive &, const QString &file) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(textlimits::capacity() + 1));
        };
        const auto none = [](const TempDrive &, const QString &) {};
        table<LoadFailure>({{"Win.INI missing", {"Command1", none, win}},
            {"System.INI a folder", {"Command2", folder, system}},
            {"Progman.INI a FIFO", {"Command3", fifo, progman}},
            {"Win.INI unreadable", {"Command1", unreadable, win, true}},
            {"Win.INI a link to /dev/zero", {"Command1", linkTo("/dev/zero"), win}},
            {"Win.INI a link loop", {"Command1", linkTo("win.ini"), win}},
            {"Win.INI a line of over 1 MiB",
                {"Command1", content(QByteArray((1 << 20) + 1, 'x')), win}},
            {"Open a FIFO", {"FileOpen", fifo, open}},
            {"Open beyond capacity", {"FileOpen", huge, open}},
            {"Open a file gone after the dialog", {"FileOpen", content("[gone]"), open}}});
    }
    void loadFailures()
    {
        const LoadFailure &r = row<LoadFailure>();
        const bool open = r.command == "FileOpen";
        TempDrive drive;
        drive.write("windows/ok.ini", "[ok]\r\n");
        const QHash<QString, QString> quickLoaded{{"Command1", "windows/win.ini"},
                                                  {"Command2", "windows/system.ini"},
                                                  {"Command3", "windows/progman.ini"}};
        const QString file = drive.path(quickLoaded.value(r.command, "disk/x.ini"));
        QDir().mkpath(drive.path("disk"));
        r.obstacle(drive, file);
        ::chmod(path(drive.root()), 0755);  // others may look in
        Form1 form(drive.root());
        {
            FileDialogAnswer first(drive.path("windows/ok.ini"));
            run(form, "FileOpen");  // a name to lose
        }
        QTest::keyClicks(focusIn(form), "kept ");
        // The file "[gone]" goes once the dialog is answered, before the command reads it.
        ModalWatcher removeOnAccept(QFileDialog::staticMetaObject, [&](QWidget *w) {
            QObject::connect(static_cast<QFileDialog *>(w), &QFileDialog::fileSelected, [&] {
                if (QFileInfo(file).isFile() && QFileInfo(file).size() == 6)
                    QFile::remove(file);
            });
        });
        std::optional<FileDialogAnswer> dialog;
        if (open)
            dialog.emplace(file);
        ModalAnswer box(QMessageBox::Ok);
        {
            std::optional<ActAs> user;
            if (r.asNobody && ActAs::possible())  // root reads anything
                user.emplace(65534, 65534);
            run(form, r.command);
        }
        QCOMPARE(box.plainText(), open ? r.message + file : r.message);
        QCOMPARE(form.editor()->text(), QByteArray("kept [ok]\r\n"));
        QVERIFY(form.editor()->isUndoAvailable());  // a file refused costs nothing
        QCOMPARE(form.documents()->currentFileName(), QString());
        FileDialogAnswer again(drive.path("windows/ok.ini"));
        run(form, "FileOpen");
        QCOMPARE(form.editor()->text(), QByteArray("[ok]\r\n"));
    }

    // Only New and Open change the text, and no command asks a question; a name from the
    // dialog is a Linux name, a backslash in it no folder.
    void currentFileName_data()
    {
        using N = NameAfter;
        table<Name>({{"New", {true, "FileNew", "", N::None}},
                     {"Open succeeded", {true, "FileOpen", "windows/other.ini", N::Answer}},
                     {"Save As succeeded", {true, "FileSaveAs", "windows/copy.ini", N::Answer}},
                     {"Save with no name runs Save As", {false, "FileSave", "new.ini", N::Answer}},
                     {"Save succeeded", {true, "FileSave", "", N::Unchanged}},
                     {"Open cancelled", {true, "FileOpen", "", N::Unchanged}},
                     {"Save As cancelled", {true, "FileSaveAs", "", N::Unchanged}},
                     {"Save As a backslash", {true, "FileSaveAs", "windows/a\\b.ini", N::Answer}}});
    }
    void currentFileName()
    {
        const Name &r = row<Name>();
        TempDrive drive;
        drive.write("windows/win.ini", "[windows]\r\n");
        drive.write("windows/other.ini", "[other]\r\n");
        QDir().mkpath(drive.path("windows/a"));  // where a backslash taken for a folder would lead
        Form1 form(drive.root());
        if (r.loaded)
            run(form, "Command1");
        const QString before = form.documents()->currentFileName();
        form.editor()->setText("edited\r\n");
        FileDialogAnswer dialog(r.answer.isEmpty() ? r.answer : drive.path(r.answer));
        ModalAnswer message(QMessageBox::Ok);
        run(form, r.command);
        QVERIFY(!message.answered());
        const QString answered = r.answer.isEmpty() ? QString() : drive.path(r.answer);
        QCOMPARE(form.documents()->currentFileName(), r.after == NameAfter::Unchanged ? before
                                                      : r.after == NameAfter::None ? QString()
                                                                                   : answered);
        const bool opened = r.command == "FileOpen" && !r.answer.isEmpty();
        QCOMPARE(form.editor()->text(), r.command == "FileNew" ? ""
                                        : opened               ? "[other]\r\n"
                                                               : QByteArray("edited\r\n"));
        const QString saved = r.command == "FileOpen" ? QString()
            : r.command == "FileSave" && r.loaded     ? drive.path("windows/win.ini")
                                                      : answered;
        if (!saved.isEmpty())
            QCOMPARE(drive.read(QDir(drive.root()).relativeFilePath(saved)), "edited\r\n");
        QVERIFY(!QFileInfo::exists(drive.path("windows/a/b.ini")));
        if (r.command == "FileNew") {  // and Ctrl+Z brings the text back
            clickOn(form.editor());
            QTest::keyClick(focusIn(form), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(form.editor()->text(), QByteArray("edited\r\n"));
        }
    }

    // A failed save shows the current file name (Save) or the dialog's (Save As), then
    // forgets the name; the editor and the file on disk keep their text.
    void saveFailures_data()
    {
        const auto folderGone = [](const TempDrive &drive, const QString &) {
            QVERIFY(QDir(drive.path("windows")).removeRecursively());
        };
        const auto nowFolder = [](const TempDrive &drive, const QString &) {
            QVERIFY(QFile::remove(drive.path("windows/win.ini")));
            QVERIFY(QDir().mkpath(drive.path("windows/win.ini")));
        };
        const auto locked = [](const TempDrive &drive, const QString &) {
            QDir().mkpath(drive.path("locked"));
        };
        const auto later
            = [](const TempDrive &, const QString &) {};  // once the dialog is answered
        const QString win("/windows/win.ini");
        table<SaveFailure>({{"Save, its folder gone", {"FileSave", folderGone, win}},
            {"Save, the file now a folder", {"FileSave", nowFolder, win}},
            {"Save As into a locked folder", {"FileSaveAs", locked, "locked/new.ini"}},
            {"Save As, a folder there after the dialog", {"FileSaveAs", later, "target.ini"}}});
    }
    void saveFailures()
    {
        const SaveFailure &r = row<SaveFailure>();
        TempDrive drive;
        drive.write("windows/win.ini", "[windows]\r\n");
        Form1 form(drive.root());
        run(form, "Command1");
        form.editor()->setText("kept\r\n");
        form.commonDialog()->FileName
            = QStringLiteral("/left/by/another.ini");  // not the one saved
        const QString typed = r.shown.startsWith('/') ? QString() : drive.path(r.shown);
        r.obstacle(drive, typed);
        const bool locked = r.shown.startsWith("locked");
        if (locked && !ActAs::possible())
            QSKIP("as a user the test has no folder it cannot write");
        ::chmod(path(drive.root()), 0755);
        ModalWatcher folderOnAccept(QFileDialog::staticMetaObject, [&](QWidget *w) {
            QObject::connect(static_cast<QFileDialog *>(w), &QFileDialog::fileSelected, [&] {
                if (r.shown == "target.ini")
                    QDir().mkpath(typed + "/inside");
            });
        });
        FileDialogAnswer dialog(typed);
        ModalAnswer message(QMessageBox::Ok);
        {
            std::optional<ActAs> user;
            if (locked)
                user.emplace(65534, 65534);
            run(form, r.command);
        }
        QCOMPARE(message.plainText(),
                 "Unkown error while saving file " + (typed.isEmpty() ? r.shown : typed));
        QCOMPARE(form.documents()->currentFileName(), QString());
        QCOMPARE(form.editor()->text(), QByteArray("kept\r\n"));
        QVERIFY(!QFileInfo(typed).isFile());
    }

    // Open after a failed quick-load offers that file's folder and name; Save As after Open
    // the file opened, asking before it writes over one. Each lists its filter's files in any
    // case.
    void dialogs()
    {
        TempDrive drive;
        for (const char *name : {"A.INI", "b.ini", "c.TXT", "d.txt", "e.inf"})
            drive.write(QStringLiteral("windows/") + name, "x");
        Form1 form(drive.root());
        {
            ModalAnswer failure(QMessageBox::Ok);
            run(form, "Command3");
        }
        {
            FileDialogAnswer open(drive.path("windows/c.TXT"));
            run(form, "FileOpen");
            QCOMPARE(open.seen().directory, drive.path("windows"));
            QCOMPARE(open.seen().fileName, QStringLiteral("progman.ini"));
            QCOMPARE(open.seen().listed, QStringList({"A.INI", "b.ini"}));
        }
        FileDialogAnswer saveAs;  // Cancel
        run(form, "FileSaveAs");
        QCOMPARE(saveAs.seen().fileName, QStringLiteral("c.TXT"));
        QCOMPARE(saveAs.seen().listed, QStringList({"c.TXT", "d.txt"}));
        QVERIFY(saveAs.seen().confirmsOverwrite);
        QVERIFY(form.commonDialog()->CancelError);
    }
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
