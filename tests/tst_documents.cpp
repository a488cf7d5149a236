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
// The command, what it meets at its path (made by `obstacle`), the message; whether the
// command runs as another user, and whether the undo history is gone (it goes once the file is
// found to be one the editor may take, before reading).
using Obstacle = std::function<void(const TempDrive &, const QString &file)>;
struct LoadFailure { QString command; Obstacle obstacle; QString message; bool asNobody = false; };
// With a quick-loaded /windows/win.ini or no name, a command whose dialog is answered with a
// file below the root ("" = Cancel); then the current file name: "unchanged", "" or a path.
// No command asks a question, and a name from the dialog is a Linux name.
struct Name { bool loaded; QString command, answer, expected; };
// A failed save: the command, the obstacle, the name shown (below the root, or the fixed path).
struct SaveFailure { QString command; Obstacle obstacle; QString shown; };
// The command run first, the command; the dialog's title, folder (below the root) and file
// name, the files its first filter lists in any case, the flags left.
struct Dialog { QString before, command, title, folder, fileName; QStringList listed; quint32 flags; };

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
    return [bytes](const TempDrive &, const QString &file) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
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

    // The text arrives byte for byte, the current file name and the dialog's name are the
    // command's, and Save writes back to the file found, never to a second one.
    void loads_data()
    {
        const QByteArray nul("[G]\0x\r\n", 7), line512(512 << 10, 'x');
        table<Load>({
            {"Win.INI", {"Command1", "windows/win.ini", everyByte(), "/windows/win.ini"}},
            {"System.INI, empty", {"Command2", "windows/system.ini", "", "/windows/system.ini"}},
            {"Progman.INI, NUL inside", {"Command3", "windows/progman.ini", nul, "/windows/progman.ini"}},
            {"WINDOWS/WIN.INI in capitals", {"Command1", "WINDOWS/WIN.INI", "[w]\r\n", "/windows/win.ini"}},
            {"Windows/System.Ini", {"Command2", "Windows/System.Ini", "[b]", "/windows/system.ini"}},
            {"Open", {"FileOpen", "disk/any.txt", everyByte(), ""}},
            {"Open, a line of 512 KiB", {"FileOpen", "disk/long.ini", line512 + "\r\n", ""}}});
    }
    void loads()
    {
        const Load &r = row<Load>();
        TempDrive drive;
        const QString file = drive.write(r.onDisk, r.bytes);
        Form1 form(drive.root());
        QTest::keyClicks(form.editor()->inputWidget(), "unsaved");
        {
            FileDialogAnswer dialog(r.command == "FileOpen" ? file : QString());
            run(form, r.command);
            QCOMPARE(dialog.answered(), r.command == "FileOpen");
        }
        QVERIFY(form.editor()->text() == r.bytes);
        QVERIFY(!form.editor()->isUndoAvailable());  // a load starts a new history
        QCOMPARE(form.documents()->currentFileName(), r.name.isEmpty() ? file : r.name);
        QCOMPARE(form.commonDialog()->FileName, r.name.isEmpty() ? file : r.name);
        QCOMPARE(form.commonDialog()->Flags, quint32(4096));
        form.editor()->setSelection(0, 0);
        QTest::keyClicks(form.editor()->inputWidget(), "new");
        run(form, "FileSave");
        QVERIFY(drive.read(r.onDisk) == "new" + r.bytes);
        const QString folder = QFileInfo(r.onDisk).path();
        QCOMPARE(QDir(drive.path(folder)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(r.onDisk).fileName()});
        QCOMPARE(QDir(drive.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{folder});
    }

    // The box is the program's plain one; the editor keeps its text and its undo steps, and
    // the name is forgotten; later loads still work.
    void loadFailures_data()
    {
        const QString open("Unkown error while opening file ");
        const QString win("File Open ERROR SORRY! /windows/win.ini");
        const auto unreadable = [](const TempDrive &, const QString &file) {
            QFile(file).open(QIODevice::WriteOnly);
            ::chmod(path(file), 0200);
        };
        const auto huge = [](const TempDrive &, const QString &file) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(textlimits::capacity() + 1));
        };
        const auto none = [](const TempDrive &, const QString &) {};
        const QString system("File Open ERROR SORRY! /windows/system.ini");
        const QString progman("File Open Error.. SORRY! /windows/progman.ini");
        const QByteArray tooLong((1 << 20) + 1, 'x');
        table<LoadFailure>({{"Win.INI missing", {"Command1", none, win}},
                            {"System.INI a folder", {"Command2", folder, system}},
                            {"Progman.INI a FIFO", {"Command3", fifo, progman}},
                            {"Win.INI unreadable", {"Command1", unreadable, win, true}},
                            {"Win.INI a link to /dev/zero", {"Command1", linkTo("/dev/zero"), win}},
                            {"Win.INI a link loop", {"Command1", linkTo("win.ini"), win}},
                            {"Win.INI a line of over 1 MiB", {"Command1", content(tooLong), win}},
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
        const QHash<QString, QString> quickLoaded{
            {"Command1", "windows/win.ini"}, {"Command2", "windows/system.ini"}, {"Command3", "windows/progman.ini"}};
        const QString file = drive.path(quickLoaded.value(r.command, "disk/x.ini"));
        QDir().mkpath(drive.path("disk"));
        r.obstacle(drive, file);
        ::chmod(path(drive.root()), 0755);  // others may look in
        Form1 form(drive.root());
        {
            FileDialogAnswer first(drive.path("windows/ok.ini"));
            run(form, "FileOpen");  // a name to lose
        }
        QTest::keyClicks(form.editor()->inputWidget(), "kept ");
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
        form.commonDialog()->FileName = QStringLiteral("/windows/ok.ini");
        FileDialogAnswer again(drive.path("windows/ok.ini"));
        run(form, "FileOpen");
        QCOMPARE(form.editor()->text(), QByteArray("[ok]\r\n"));
    }

    void currentFileName_data()
    {
        table<Name>({
            {"New", {true, "FileNew", "", ""}},
            {"Open succeeded", {true, "FileOpen", "windows/other.ini", "windows/other.ini"}},
            {"Save As succeeded", {true, "FileSaveAs", "windows/copy.ini", "windows/copy.ini"}},
            {"Save with no name runs Save As", {false, "FileSave", "new.ini", "new.ini"}},
            {"Save succeeded", {true, "FileSave", "", "unchanged"}},
            {"Open cancelled", {true, "FileOpen", "", "unchanged"}},
            {"Save As cancelled", {true, "FileSaveAs", "", "unchanged"}},
            {"Save with no name cancelled", {false, "FileSave", "", "unchanged"}},
            {"Save As a name with a backslash, a Linux name",
             {true, "FileSaveAs", "windows/a\\b.ini", "windows/a\\b.ini"}}});
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
        QCOMPARE(dialog.answered(), r.command != "FileNew" && !(r.command == "FileSave" && r.loaded));
        QVERIFY(!message.answered());
        QCOMPARE(form.documents()->currentFileName(),
                 r.expected == "unchanged"  ? before
                     : r.expected.isEmpty() ? ""
                                            : drive.path(r.expected));
        // Only New and Open change the text; saves write it out unchanged.
        const bool opened = r.command == "FileOpen" && !r.answer.isEmpty();
        QCOMPARE(form.editor()->text(),
                 r.command == "FileNew" ? ""
                     : opened           ? "[other]\r\n"
                                        : QByteArray("edited\r\n"));
        if (r.command.startsWith("FileSave") && r.expected != "unchanged")
            QCOMPARE(drive.read(r.expected), QByteArray("edited\r\n"));
        if (r.command == "FileSave" && r.loaded)
            QCOMPARE(drive.read("windows/win.ini"), QByteArray("edited\r\n"));
        QVERIFY(!QFileInfo::exists(drive.path("windows/a/b.ini")));
        if (r.command == "FileNew") {  // asks nothing, and Ctrl+Z brings the text back
            QTest::keyClick(form.editor()->inputWidget(), Qt::Key_Z, Qt::ControlModifier);
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
            QVERIFY(QFile::remove(drive.path("windows/win.ini")) && QDir().mkpath(drive.path("windows/win.ini")));
        };
        const auto locked = [](const TempDrive &drive, const QString &) { QDir().mkpath(drive.path("locked")); };
        const auto after = [](const TempDrive &, const QString &) {};  // a folder there once the dialog is answered
        const QString win("/windows/win.ini");
        table<SaveFailure>({{"Save, its folder gone", {"FileSave", folderGone, win}},
                            {"Save, the file now a folder", {"FileSave", nowFolder, win}},
                            {"Save As into a folder not writable", {"FileSaveAs", locked, "locked/new.ini"}},
                            {"Save As, a folder there after the dialog", {"FileSaveAs", after, "target.ini"}}});
    }
    void saveFailures()
    {
        const SaveFailure &r = row<SaveFailure>();
        TempDrive drive;
        drive.write("windows/win.ini", "[windows]\r\n");
        Form1 form(drive.root());
        run(form, "Command1");
        form.editor()->setText("kept\r\n");
        form.commonDialog()->FileName = QStringLiteral("/left/by/another.ini");  // not the file saved
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
        QCOMPARE(message.plainText(), "Unkown error while saving file " + (typed.isEmpty() ? r.shown : typed));
        QCOMPARE(form.documents()->currentFileName(), QString());
        QCOMPARE(form.editor()->text(), QByteArray("kept\r\n"));
        QVERIFY(!QFileInfo(typed).isFile());
    }

    // What each dialog offers: the settings its command made, the platform's title, the file
    // name the last command left, and its filter's files in any case.
    void dialogs_data()
    {
        table<Dialog>({{"Open after a failed quick-load",
                        {"Command3", "FileOpen", "Open", "windows", "progman.ini", {"A.INI", "b.ini"},
                         4096}},
                       {"Save As after Open",
                        {"FileOpen", "FileSaveAs", "Save As", "windows", "c.TXT", {"c.TXT", "d.txt"},
                         2}}});
    }
    void dialogs()
    {
        const Dialog &r = row<Dialog>();
        TempDrive drive;
        for (const char *name : {"A.INI", "b.ini", "c.TXT", "d.txt", "e.inf"})
            drive.write(QStringLiteral("windows/") + name, "x");
        Form1 form(drive.root());
        {
            FileDialogAnswer first(drive.path("windows/c.TXT"));
            ModalAnswer failure(QMessageBox::Ok);
            run(form, r.before);
        }
        FileDialogAnswer dialog;  // Cancel
        run(form, r.command);
        QVERIFY(dialog.answered());
        QCOMPARE(dialog.seen().title, r.title);
        QCOMPARE(dialog.seen().directory, drive.path(r.folder));
        QCOMPARE(dialog.seen().fileName, r.fileName);
        QCOMPARE(dialog.seen().listed, r.listed);
        QCOMPARE(dialog.seen().confirmsOverwrite, r.command == "FileSaveAs");
        QVERIFY(form.commonDialog()->CancelError);
        QCOMPARE(form.commonDialog()->Flags, r.flags);
        // Nothing of the dialogs' own is kept for the next run.
        const auto kept = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(m_home.path()).entryList(kept), QStringList());
    }

};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
