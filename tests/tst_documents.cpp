#include "app/form1.h"
#include "document/documentcommands.h"
#include "filedialoganswer.h"
#include "menuitem.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"
#include "privileges.h"
#include "tempdrive.h"

#include <QPushButton>
#include <QTest>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

// Quick-load, New, Open, Save and Save As through the main window's buttons, menu items and
// Qt's own file dialog, on a drive of the test's own.
class TestDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loads_data();
    void loads();
    void loadFailures_data();
    void loadFailures();
    void currentFileName_data();
    void currentFileName();
    void saveFailures_data();
    void saveFailures();
    void dialogs_data();
    void dialogs();
    void newIsOneUndoStep();
    void dialogNamesAreLinuxNames();
};

namespace {

// Runs a button or a menu item by its name.
void run(Form1 &form, const QString &command)
{
    if (command.startsWith("Command"))
        form.findChild<QPushButton *>(command)->click();
    else
        trigger(form, qPrintable(command));
}

QByteArray everyByte()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes + "\r\nlone LF\nlone CR\rno end";
}

}

// Each row: the command, the file on disk (below the drive's root) and its bytes; the text
// arrives byte for byte, the current file name and the dialog's name are the command's, and
// Save writes back to the file found, never to a second one.
void TestDocuments::loads_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");  // "" for the file on disk

    QTest::newRow("Win.INI") << "Command1" << "windows/win.ini" << everyByte() << "/windows/win.ini";
    QTest::newRow("System.INI, empty") << "Command2" << "windows/system.ini" << QByteArray()
                                       << "/windows/system.ini";
    QTest::newRow("Progman.INI, NUL inside") << "Command3" << "windows/progman.ini"
                                             << QByteArray("[G]\0x\r\n", 7) << "/windows/progman.ini";
    QTest::newRow("WINDOWS/WIN.INI in capitals") << "Command1" << "WINDOWS/WIN.INI"
                                                 << QByteArray("[w]\r\n") << "/windows/win.ini";
    QTest::newRow("Windows/System.Ini") << "Command2" << "Windows/System.Ini" << QByteArray("[b]")
                                        << "/windows/system.ini";
    QTest::newRow("Open") << "FileOpen" << "disk/any.txt" << everyByte() << "";
    QTest::newRow("Open, a line of 512 KiB") << "FileOpen" << "disk/long.ini"
                                             << QByteArray(512 << 10, 'x') + "\r\n" << "";
}

void TestDocuments::loads()
{
    QFETCH(QString, command);
    QFETCH(QString, onDisk);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);

    TempDrive drive;
    const QString file = drive.write(onDisk, bytes);
    if (name.isEmpty())
        name = file;
    Form1 form(drive.root());
    QTest::keyClicks(form.editor()->inputWidget(), "unsaved");
    {
        FileDialogAnswer dialog(command == "FileOpen" ? file : QString());
        run(form, command);
        QCOMPARE(dialog.answered(), command == "FileOpen");
    }
    QVERIFY(form.editor()->text() == bytes);
    QVERIFY(!form.editor()->isUndoAvailable());  // a load starts a new history
    QCOMPARE(form.documents()->currentFileName(), name);
    QCOMPARE(form.commonDialog()->FileName, name);
    QCOMPARE(form.commonDialog()->Flags, quint32(4096));

    form.editor()->setSelection(0, 0);
    QTest::keyClicks(form.editor()->inputWidget(), "new");
    trigger(form, "FileSave");
    QVERIFY(drive.read(onDisk) == "new" + bytes);
    const QString folder = QFileInfo(onDisk).path();
    QCOMPARE(QDir(drive.path(folder)).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(onDisk).fileName()});
    QCOMPARE(QDir(drive.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{folder});
}

// Each row: the command, what stands at the path, the message. The box is the program's
// plain one; the editor keeps its text and the name is forgotten; later loads still work.
void TestDocuments::loadFailures_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("message");

    const QString open = QStringLiteral("Unkown error while opening file ");
    QTest::newRow("Win.INI missing") << "Command1" << "missing" << "File Open ERROR SORRY! /windows/win.ini";
    QTest::newRow("System.INI a folder") << "Command2" << "folder"
                                         << "File Open ERROR SORRY! /windows/system.ini";
    QTest::newRow("Progman.INI a FIFO") << "Command3" << "FIFO"
                                        << "File Open Error.. SORRY! /windows/progman.ini";
    QTest::newRow("Win.INI unreadable") << "Command1" << "no permission"
                                        << "File Open ERROR SORRY! /windows/win.ini";
    QTest::newRow("Win.INI a link to /dev/zero") << "Command1" << "/dev/zero"
                                                 << "File Open ERROR SORRY! /windows/win.ini";
    QTest::newRow("Win.INI a link loop") << "Command1" << "loop" << "File Open ERROR SORRY! /windows/win.ini";
    QTest::newRow("Win.INI a line of over 1 MiB") << "Command1" << "long line"
                                                  << "File Open ERROR SORRY! /windows/win.ini";
    QTest::newRow("Open a FIFO") << "FileOpen" << "FIFO" << open;
    QTest::newRow("Open beyond capacity") << "FileOpen" << "huge" << open;
    QTest::newRow("Open a file gone after the dialog") << "FileOpen" << "gone" << open;
}

void TestDocuments::loadFailures()
{
    QFETCH(QString, command);
    QFETCH(QString, obstacle);
    QFETCH(QString, message);

    TempDrive drive;
    drive.write("windows/ok.ini", "[ok]\r\n");
    const QString file = drive.path(command == "FileOpen" ? "disk/x.ini"
                                    : command == "Command1" ? "windows/win.ini"
                                    : command == "Command2" ? "windows/system.ini"
                                                            : "windows/progman.ini");
    const QByteArray path = QFile::encodeName(file);
    QDir().mkpath(drive.path("disk"));
    if (obstacle == "folder")
        QDir().mkpath(file);
    else if (obstacle == "FIFO")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (obstacle == "no permission")
        ::chmod(QFile::encodeName(drive.write("windows/win.ini", "x")).constData(), 0200);
    else if (obstacle.startsWith('/'))
        QCOMPARE(::symlink(QFile::encodeName(obstacle).constData(), path.constData()), 0);
    else if (obstacle == "loop")
        QCOMPARE(::symlink("win.ini", path.constData()), 0);
    else if (obstacle == "long line")
        drive.write("windows/win.ini", QByteArray((1 << 20) + 1, 'x'));
    else if (obstacle == "huge")
        QVERIFY(QFile::resize(drive.write("disk/x.ini", ""), textlimits::capacity() + 1));
    else if (obstacle == "gone")
        drive.write("disk/x.ini", "[gone]");
    if (command == "FileOpen")
        message += file;
    ::chmod(QFile::encodeName(drive.root()).constData(), 0755);  // others may look in

    Form1 form(drive.root());
    {
        FileDialogAnswer first(drive.path("windows/ok.ini"));
        trigger(form, "FileOpen");  // a name to lose
    }
    QTest::keyClicks(form.editor()->inputWidget(), "kept ");
    // The file named in the dialog goes before the command reads it.
    ModalWatcher removeOnAccept(ModalWatcher::ofType<QFileDialog>(), [&](QWidget *w) {
        QObject::connect(static_cast<QFileDialog *>(w), &QFileDialog::fileSelected, [&] {
            if (obstacle == "gone")
                QFile::remove(file);
        });
    });
    std::optional<FileDialogAnswer> dialog;
    if (command == "FileOpen")
        dialog.emplace(file);
    ModalAnswer box(QMessageBox::Ok);
    {
        std::unique_ptr<ActAs> user;
        if (obstacle == "no permission" && ActAs::possible())  // root reads anything
            user = std::make_unique<ActAs>(65534, 65534);
        run(form, command);
    }
    QCOMPARE(plainBoxText(box), message);
    QCOMPARE(form.editor()->text(), QByteArray("kept [ok]\r\n"));
    // The history goes once the file is found to be one the editor may take, before reading.
    QCOMPARE(form.editor()->isUndoAvailable(), obstacle != "long line");
    QCOMPARE(form.documents()->currentFileName(), QString());
    form.commonDialog()->FileName = QStringLiteral("/windows/ok.ini");
    FileDialogAnswer again(drive.path("windows/ok.ini"));
    trigger(form, "FileOpen");
    QCOMPARE(form.editor()->text(), QByteArray("[ok]\r\n"));
}

// Every row of the current file name's life, from a known start: after a quick-load of
// /windows/win.ini, or with no name at all.
void TestDocuments::currentFileName_data()
{
    QTest::addColumn<bool>("startLoaded");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");    // file typed in the dialog, below the root; "" = Cancel
    QTest::addColumn<QString>("expected");  // "unchanged", "empty", or a path below the root

    QTest::newRow("New") << true << "FileNew" << "" << "empty";
    QTest::newRow("Open succeeded") << true << "FileOpen" << "windows/other.ini" << "windows/other.ini";
    QTest::newRow("Save As succeeded") << true << "FileSaveAs" << "windows/copy.ini" << "windows/copy.ini";
    QTest::newRow("Save with no name runs Save As") << false << "FileSave" << "new.ini" << "new.ini";
    QTest::newRow("Save succeeded") << true << "FileSave" << "" << "unchanged";
    QTest::newRow("Open cancelled") << true << "FileOpen" << "" << "unchanged";
    QTest::newRow("Save As cancelled") << true << "FileSaveAs" << "" << "unchanged";
    QTest::newRow("Save with no name cancelled") << false << "FileSave" << "" << "unchanged";
}

void TestDocuments::currentFileName()
{
    QFETCH(bool, startLoaded);
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(QString, expected);

    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    drive.write("windows/other.ini", "[other]\r\n");
    Form1 form(drive.root());
    if (startLoaded)
        run(form, "Command1");
    const QString before = form.documents()->currentFileName();
    form.editor()->setText("edited\r\n");

    FileDialogAnswer dialog(answer.isEmpty() ? answer : drive.path(answer));
    ModalAnswer message(QMessageBox::Ok);
    run(form, command);
    QCOMPARE(dialog.answered(), command != "FileNew" && !(command == "FileSave" && startLoaded));
    QVERIFY2(!message.answered(), qPrintable(message.seen().text));
    const QString name = form.documents()->currentFileName();
    QCOMPARE(name, expected == "unchanged" ? before
                   : expected == "empty"   ? QString()
                                           : drive.path(expected));
    // Only New and Open change the text; saves write it out unchanged.
    QCOMPARE(form.editor()->text(), command == "FileNew"                       ? QByteArray()
                                    : command == "FileOpen" && !answer.isEmpty() ? QByteArray("[other]\r\n")
                                                                                 : QByteArray("edited\r\n"));
    const QString savedTo = command == "FileSave" && startLoaded ? QStringLiteral("windows/win.ini")
        : expected == "unchanged" || expected == "empty"       ? QString()
                                                                : expected;
    if (command.startsWith("FileSave") && !savedTo.isEmpty())
        QCOMPARE(drive.read(savedTo), QByteArray("edited\r\n"));
}

// A failed save shows the current file name (Save) or the dialog's (Save As), then forgets
// the name; the editor and the file on disk keep their text.
void TestDocuments::saveFailures_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("shown");  // below the root, or the fixed quick-load path
    QTest::newRow("Save, its folder gone") << "FileSave" << "folder gone" << "/windows/win.ini";
    QTest::newRow("Save, the file now a folder") << "FileSave" << "now a folder" << "/windows/win.ini";
    QTest::newRow("Save As into a folder not writable") << "FileSaveAs" << "not writable"
                                                        << "locked/new.ini";
    QTest::newRow("Save As, a folder there after the dialog") << "FileSaveAs" << "folder after"
                                                              << "target.ini";
}

void TestDocuments::saveFailures()
{
    QFETCH(QString, command);
    QFETCH(QString, obstacle);
    QFETCH(QString, shown);

    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    Form1 form(drive.root());
    run(form, "Command1");
    form.editor()->setText("kept\r\n");
    form.commonDialog()->FileName = QStringLiteral("/left/by/another.ini");  // not the file saved
    const QString typed = shown.startsWith('/') ? QString() : drive.path(shown);
    std::unique_ptr<ActAs> user;
    if (obstacle == "folder gone") {
        QVERIFY(QDir(drive.path("windows")).removeRecursively());
    } else if (obstacle == "now a folder") {
        QVERIFY(QFile::remove(drive.path("windows/win.ini")) && QDir().mkpath(drive.path("windows/win.ini")));
    } else if (obstacle == "not writable") {
        if (!ActAs::possible())
            QSKIP("as a user the test has no folder it cannot write");
        QDir().mkpath(drive.path("locked"));
        ::chmod(QFile::encodeName(drive.root()).constData(), 0755);
        user = std::make_unique<ActAs>(65534, 65534);
    }
    ModalWatcher folderOnAccept(ModalWatcher::ofType<QFileDialog>(), [&](QWidget *w) {
        QObject::connect(static_cast<QFileDialog *>(w), &QFileDialog::fileSelected, [&] {
            if (obstacle == "folder after")
                QDir().mkpath(typed + "/inside");
        });
    });
    FileDialogAnswer dialog(typed);
    ModalAnswer message(QMessageBox::Ok);
    run(form, command);
    user.reset();
    QCOMPARE(plainBoxText(message),
             "Unkown error while saving file " + (typed.isEmpty() ? shown : typed));
    QCOMPARE(form.documents()->currentFileName(), QString());
    QCOMPARE(form.editor()->text(), QByteArray("kept\r\n"));
    QVERIFY(!QFileInfo(typed).isFile());
}

// What each dialog offers: the settings its command made, the platform's title, the file
// name the last command left, and its filter's files in any case.
void TestDocuments::dialogs_data()
{
    QTest::addColumn<QString>("before");  // the command run first
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("folder");  // below the root
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("Open after a failed quick-load") << "Command3" << "FileOpen" << "windows"
                                                    << "progman.ini" << QStringList{"A.INI", "b.ini"};
    QTest::newRow("Save As after Open") << "FileOpen" << "FileSaveAs" << "windows" << "c.TXT"
                                        << QStringList{"c.TXT", "d.txt"};
}

void TestDocuments::dialogs()
{
    QFETCH(QString, before);
    QFETCH(QString, command);
    QFETCH(QString, folder);
    QFETCH(QString, fileName);
    QFETCH(QStringList, listed);

    TempDrive drive;
    for (const char *name : {"A.INI", "b.ini", "c.TXT", "d.txt", "e.inf"})
        drive.write(QStringLiteral("windows/") + name, "x");
    Form1 form(drive.root());
    {
        FileDialogAnswer first(drive.path("windows/c.TXT"));
        ModalAnswer failure(QMessageBox::Ok);
        run(form, before);
    }
    FileDialogAnswer dialog;  // Cancel
    run(form, command);
    QVERIFY(dialog.answered());
    const FileDialogSeen &seen = dialog.seen();
    const bool open = command == "FileOpen";
    QVERIFY(!seen.native);
    QCOMPARE(seen.title, open ? QStringLiteral("Open") : QStringLiteral("Save As"));
    QCOMPARE(seen.acceptMode, open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    QCOMPARE(seen.fileMode, open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QCOMPARE(seen.confirmsOverwrite, !open);
    QCOMPARE(seen.nameFilters.value(0), open ? QStringLiteral("INI Files (*.INI)")
                                            : QStringLiteral("Text files (*.TXT)"));
    QCOMPARE(seen.nameFilters.value(1), QStringLiteral("All files (*)"));
    QCOMPARE(seen.defaultSuffix, QStringLiteral("TXT"));
    QCOMPARE(seen.directory, drive.path(folder));
    QCOMPARE(seen.fileName, fileName);
    QCOMPARE(seen.listed.join(","), listed.join(","));
    QVERIFY(form.commonDialog()->CancelError);
    QCOMPARE(form.commonDialog()->Flags, open ? quint32(4096) : quint32(2));
}

// New asks nothing and forgets the name; Ctrl+Z brings the text back, typing included.
void TestDocuments::newIsOneUndoStep()
{
    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    Form1 form(drive.root());
    run(form, "Command1");
    QTest::keyClicks(form.editor()->inputWidget(), "typed ");
    ModalAnswer question(QMessageBox::Yes);
    trigger(form, "FileNew");
    QVERIFY(!question.answered());
    QCOMPARE(form.editor()->length(), 0);
    QCOMPARE(form.documents()->currentFileName(), QString());
    QTest::keyClick(form.editor()->inputWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.editor()->text(), QByteArray("typed [windows]\r\n"));
    QTest::keyClick(form.editor()->inputWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\n"));
}

// A name from the dialog is a Linux name: a backslash in it is part of the name.
void TestDocuments::dialogNamesAreLinuxNames()
{
    TempDrive drive;
    QDir().mkpath(drive.path("docs/a"));
    Form1 form(drive.root());
    form.editor()->setText("[a]\r\n");
    const QString name = drive.path("docs/a\\b.ini");
    FileDialogAnswer saveAs(name);
    trigger(form, "FileSaveAs");
    QCOMPARE(drive.read("docs/a\\b.ini"), QByteArray("[a]\r\n"));
    QVERIFY(!QFileInfo::exists(drive.path("docs/a/b.ini")));
    form.editor()->setText("[b]\r\n");
    trigger(form, "FileSave");
    QCOMPARE(drive.read("docs/a\\b.ini"), QByteArray("[b]\r\n"));
    QCOMPARE(form.documents()->currentFileName(), name);
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
