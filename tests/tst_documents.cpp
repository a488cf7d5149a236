#include "app/form1.h"
#include "menuitem.h"
#include "document/documentcommands.h"
#include "filedialoganswer.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"
#include "privileges.h"
#include "tempdrive.h"

#include <QPushButton>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void currentFileName_data();
    void currentFileName();
    void failures_data();
    void failures();
    void openDialogSettings();
    void saveDialogSettings();
    void dialogsStartWhereTheLastCommandLeft();
    void filtersIgnoreCase_data();
    void filtersIgnoreCase();
    void defaultExtension_data();
    void defaultExtension();
    void flagsDecideWhatTheDialogDoes_data();
    void flagsDecideWhatTheDialogDoes();
    void overwriteQuestion();
    void saveAsksNothing();
    void newEmptiesWithoutQuestion();
    void roundTripKeepsEveryByte();
    void dialogNamesAreLinuxNames();
    void failedSaveDoesNotHinderLaterSaves();
};

namespace {

const QString Title = QStringLiteral("Tansy's INI Editor 3.0");

QByteArray every256()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

}

// Every row of the current file name's life, from a known start: after a quick-load of
// /windows/win.ini, or with no name at all.
void TestDocuments::currentFileName_data()
{
    QTest::addColumn<bool>("startLoaded");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");    // file typed in the dialog, below the root; "" = Cancel
    QTest::addColumn<QString>("expected");  // "unchanged", "empty", or a path below the root

    QTest::newRow("quick-load") << false << "Command1" << "" << "/windows/win.ini";
    QTest::newRow("New") << true << "FileNew" << "" << "empty";
    QTest::newRow("Open succeeded") << true << "FileOpen" << "windows/other.ini"
                                    << "windows/other.ini";
    QTest::newRow("Save As succeeded") << true << "FileSaveAs" << "windows/copy.ini"
                                       << "windows/copy.ini";
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
        form.findChild<QPushButton *>("Command1")->click();
    const QString before = form.documents()->currentFileName();
    form.editor()->setText("edited\r\n");

    const bool opensDialog = command == "FileOpen" || command == "FileSaveAs"
        || (command == "FileSave" && !startLoaded);
    FileDialogAnswer dialog(answer.isEmpty() ? answer : drive.path(answer));
    ModalAnswer message(QMessageBox::Ok);
    if (command.startsWith("Command"))
        form.findChild<QPushButton *>(command)->click();
    else
        trigger(form, qPrintable(command));

    QCOMPARE(dialog.answered(), opensDialog);
    QVERIFY2(!message.answered(), qPrintable(message.seen().text));
    if (expected == "unchanged")
        QCOMPARE(form.documents()->currentFileName(), before);
    else if (expected == "empty")
        QCOMPARE(form.documents()->currentFileName(), QString());
    else if (expected.startsWith('/'))
        QCOMPARE(form.documents()->currentFileName(), expected);
    else
        QCOMPARE(form.documents()->currentFileName(), drive.path(expected));

    // Only New, Open and a quick-load change the text; saves write it out unchanged.
    if (command == "FileNew")
        QCOMPARE(form.editor()->text(), QByteArray());
    else if (command == "FileOpen" && !answer.isEmpty())
        QCOMPARE(form.editor()->text(), QByteArray("[other]\r\n"));
    else if (command == "Command1")
        QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\n"));
    else
        QCOMPARE(form.editor()->text(), QByteArray("edited\r\n"));
    if (command.startsWith("FileSave") && expected != "unchanged")
        QCOMPARE(drive.read(expected), QByteArray("edited\r\n"));
    if (command == "FileSave" && startLoaded)
        QCOMPARE(drive.read("windows/win.ini"), QByteArray("edited\r\n"));
}

void TestDocuments::failures_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("text");

    QTest::newRow("Open of a FIFO") << "FileOpen" << "fifo" << "Unkown error while opening file ";
    QTest::newRow("Open of an unreadable file") << "FileOpen" << "unreadable"
                                                << "Unkown error while opening file ";
    QTest::newRow("Save, its folder gone") << "FileSave" << "folder gone"
                                           << "Unkown error while saving file ";
    QTest::newRow("Save, the file now a folder") << "FileSave" << "now a folder"
                                                 << "Unkown error while saving file ";
    QTest::newRow("Save As into a folder not writable") << "FileSaveAs" << "not writable"
                                                        << "Unkown error while saving file ";
}

// A failure shows the command's text and the file's name, OK only, no icon; then the name is
// forgotten and the editor keeps its text. The file on disk is never harmed.
void TestDocuments::failures()
{
    QFETCH(QString, command);
    QFETCH(QString, obstacle);
    QFETCH(QString, text);

    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    Form1 form(drive.root());
    form.findChild<QPushButton *>("Command1")->click();
    form.editor()->setText("kept\r\n");

    QString shownName = "/windows/win.ini";
    QString typed;
    std::unique_ptr<ActAs> user;
    if (obstacle == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(drive.path("windows/pipe.ini")).constData(), 0600), 0);
        typed = "pipe.ini";
        shownName = drive.path("windows/pipe.ini");
    } else if (obstacle == "unreadable" || obstacle == "not writable") {
        if (!ActAs::possible())
            QSKIP("the test acts as another user as root; a user meets no such file here");
        ::chmod(QFile::encodeName(drive.root()).constData(), 0755);
        drive.write("locked/secret.ini", "[secret]\r\n");
        ::chmod(QFile::encodeName(drive.path("locked/secret.ini")).constData(), 0600);
        ::chmod(QFile::encodeName(drive.path("locked")).constData(), 0755);
        typed = drive.path(obstacle == "unreadable" ? "locked/secret.ini" : "locked/new.ini");
        shownName = typed;
        user = std::make_unique<ActAs>(65534, 65534);
    } else if (obstacle == "folder gone") {
        QVERIFY(QDir(drive.path("windows")).removeRecursively());
    } else if (obstacle == "now a folder") {
        QVERIFY(QFile::remove(drive.path("windows/win.ini")));
        QVERIFY(QDir().mkpath(drive.path("windows/win.ini")));
    }

    FileDialogAnswer dialog(typed);
    ModalAnswer message(QMessageBox::Ok);
    trigger(form, qPrintable(command));
    user.reset();

    QCOMPARE(dialog.answered(), !typed.isEmpty());
    QVERIFY(message.answered());
    QCOMPARE(message.seen().text, text + shownName);
    QCOMPARE(message.seen().title, Title);
    QCOMPARE(message.seen().icon, QMessageBox::NoIcon);
    QCOMPARE(message.seen().buttons, QMessageBox::Ok);
    QCOMPARE(form.documents()->currentFileName(), QString());
    QCOMPARE(form.editor()->text(), QByteArray("kept\r\n"));
    if (obstacle == "unreadable")
        QCOMPARE(drive.read("locked/secret.ini"), QByteArray("[secret]\r\n"));
    if (obstacle == "not writable")
        QVERIFY(!QFile::exists(drive.path("locked/new.ini")));
}

void TestDocuments::openDialogSettings()
{
    TempDrive drive;
    Form1 form(drive.root());
    FileDialogAnswer dialog;
    trigger(form, "FileOpen");
    QVERIFY(dialog.answered());

    QVERIFY(!dialog.seen().native);
    QCOMPARE(dialog.seen().acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(dialog.seen().fileMode, QFileDialog::ExistingFile);
    QCOMPARE(dialog.seen().nameFilters, (QStringList{"INI Files (*.INI)", "All files (*)"}));
    QCOMPARE(dialog.seen().defaultSuffix, QStringLiteral("TXT"));
    QCOMPARE(dialog.seen().title, QStringLiteral("Open"));

    const CommonDialog &settings = *form.commonDialog();
    QVERIFY(settings.CancelError);
    QCOMPARE(settings.Flags, quint32(4096));
    QCOMPARE(settings.DefaultExt, QStringLiteral("TXT"));
    QCOMPARE(settings.Filter, QStringLiteral("INI Files|*.INI|All files|*.*"));
}

void TestDocuments::saveDialogSettings()
{
    TempDrive drive;
    Form1 form(drive.root());
    FileDialogAnswer dialog;
    trigger(form, "FileSaveAs");
    QVERIFY(dialog.answered());

    QVERIFY(!dialog.seen().native);
    QCOMPARE(dialog.seen().acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(dialog.seen().fileMode, QFileDialog::AnyFile);
    QVERIFY(dialog.seen().confirmsOverwrite);
    QCOMPARE(dialog.seen().nameFilters, (QStringList{"Text files (*.TXT)", "All files (*)"}));
    QCOMPARE(dialog.seen().defaultSuffix, QStringLiteral("TXT"));
    QCOMPARE(dialog.seen().title, QStringLiteral("Save As"));
    QVERIFY(form.commonDialog()->CancelError);
    QCOMPARE(form.commonDialog()->Flags, quint32(2));
}

// No command sets the name before a dialog: each dialog offers what the last one left.
void TestDocuments::dialogsStartWhereTheLastCommandLeft()
{
    TempDrive drive;
    drive.write("windows/system.ini", "[boot]\r\n");
    drive.write("disk/Other.INI", "[other]\r\n");
    drive.write("disk/readme.txt", "x");
    Form1 form(drive.root());

    // A failed quick-load leaves its path in the dialog too.
    {
        ModalAnswer message(QMessageBox::Ok);
        form.findChild<QPushButton *>("Command3")->click();
        QVERIFY(message.answered());
    }
    FileDialogAnswer afterFailedLoad;
    trigger(form, "FileOpen");
    QCOMPARE(afterFailedLoad.seen().directory, drive.path("windows"));
    QCOMPARE(afterFailedLoad.seen().fileName, QStringLiteral("progman.ini"));

    form.findChild<QPushButton *>("Command2")->click();
    FileDialogAnswer afterQuickLoad(drive.path("disk/Other.INI"));
    trigger(form, "FileOpen");
    QCOMPARE(afterQuickLoad.seen().directory, drive.path("windows"));
    QCOMPARE(afterQuickLoad.seen().fileName, QStringLiteral("system.ini"));

    FileDialogAnswer afterOpen;
    trigger(form, "FileSaveAs");
    QCOMPARE(afterOpen.seen().directory, drive.path("disk"));
    QCOMPARE(afterOpen.seen().fileName, QStringLiteral("Other.INI"));
}

void TestDocuments::filtersIgnoreCase_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("Open: INI Files") << "FileOpen"
                                     << QStringList{"Mixed.Ini", "UPPER.INI", "lower.ini"};
    QTest::newRow("Save As: Text files") << "FileSaveAs" << QStringList{"NOTES.TXT", "readme.txt"};
}

void TestDocuments::filtersIgnoreCase()
{
    QFETCH(QString, command);
    QFETCH(QStringList, listed);
    TempDrive drive;
    for (const char *name : {"lower.ini", "UPPER.INI", "Mixed.Ini", "readme.txt", "NOTES.TXT", "x.inf"})
        drive.write(QStringLiteral("disk/") + name, "x");
    Form1 form(drive.root());
    form.commonDialog()->FileName = QStringLiteral("/disk/none");  // below the drive's root

    FileDialogAnswer dialog;
    trigger(form, qPrintable(command));
    QVERIFY(dialog.answered());
    QCOMPARE(dialog.seen().listed, listed);
}

void TestDocuments::defaultExtension_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Open") << "FileOpen";
    QTest::newRow("Save As") << "FileSaveAs";
}

void TestDocuments::defaultExtension()
{
    QFETCH(QString, command);
    TempDrive drive;
    drive.write("notes.TXT", "from disk");
    Form1 form(drive.root());
    form.commonDialog()->FileName = QStringLiteral("/notes.TXT");  // below the drive's root
    form.editor()->setText("from editor");

    FileDialogAnswer dialog(command == "FileOpen" ? "notes" : "letter");
    trigger(form, qPrintable(command));
    QVERIFY(dialog.answered());
    if (command == "FileOpen") {
        QCOMPARE(form.documents()->currentFileName(), drive.path("notes.TXT"));
        QCOMPARE(form.editor()->text(), QByteArray("from disk"));
    } else {
        QCOMPARE(form.documents()->currentFileName(), drive.path("letter.TXT"));
        QCOMPARE(drive.read("letter.TXT"), QByteArray("from editor"));
    }
}

void TestDocuments::flagsDecideWhatTheDialogDoes_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("confirms");

    QTest::newRow("open, 4096") << false << 4096 << int(QFileDialog::ExistingFile) << false;
    QTest::newRow("open, 0") << false << 0 << int(QFileDialog::AnyFile) << false;
    QTest::newRow("save, 2") << true << 2 << int(QFileDialog::AnyFile) << true;
    QTest::newRow("save, 4096 left by a quick-load") << true << 4096
                                                     << int(QFileDialog::ExistingFile) << false;
    QTest::newRow("save, 4098") << true << 4098 << int(QFileDialog::ExistingFile) << true;
}

void TestDocuments::flagsDecideWhatTheDialogDoes()
{
    QFETCH(bool, save);
    QFETCH(int, flags);
    QFETCH(int, fileMode);
    QFETCH(bool, confirms);

    TempDrive drive;
    Form1 form(drive.root());
    CommonDialog &dialog = *form.commonDialog();
    dialog.Flags = quint32(flags);
    dialog.CancelError = false;
    FileDialogAnswer answer;
    QVERIFY(!(save ? dialog.ShowSave() : dialog.ShowOpen()));
    QVERIFY(answer.answered());
    QCOMPARE(int(answer.seen().fileMode), fileMode);
    if (save)
        QCOMPARE(answer.seen().confirmsOverwrite, confirms);

    // With cancel reporting on, a cancel is the error 32755.
    dialog.CancelError = true;
    FileDialogAnswer again;
    try {
        save ? dialog.ShowSave() : dialog.ShowOpen();
        QFAIL("a cancel must be reported");
    } catch (const CommonDialogCancel &cancel) {
        QCOMPARE(cancel.number(), 32755);
    }
}

void TestDocuments::overwriteQuestion()
{
    TempDrive drive;
    drive.write("old.TXT", "old");
    Form1 form(drive.root());
    form.commonDialog()->FileName = QStringLiteral("/old.TXT");  // below the drive's root
    form.editor()->setText("new");

    FileDialogAnswer dialog("old.TXT");
    ModalAnswer replace(QMessageBox::Yes);
    trigger(form, "FileSaveAs");
    QVERIFY(dialog.answered());
    QVERIFY(replace.answered());
    QVERIFY(replace.seen().text.contains("old.TXT"));
    QCOMPARE(drive.read("old.TXT"), QByteArray("new"));
}

void TestDocuments::saveAsksNothing()
{
    TempDrive drive;
    drive.write("windows/system.ini", "[boot]\r\n");
    Form1 form(drive.root());
    form.findChild<QPushButton *>("Command2")->click();
    form.editor()->setText("[boot]\r\nshell=Explorer.exe\r\n");

    FileDialogAnswer dialog;
    ModalAnswer question(QMessageBox::Yes);
    trigger(form, "FileSave");
    QVERIFY(!dialog.answered());
    QVERIFY(!question.answered());
    QCOMPARE(drive.read("windows/system.ini"), QByteArray("[boot]\r\nshell=Explorer.exe\r\n"));
    QCOMPARE(form.documents()->currentFileName(), QStringLiteral("/windows/system.ini"));
}

void TestDocuments::newEmptiesWithoutQuestion()
{
    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    Form1 form(drive.root());
    form.findChild<QPushButton *>("Command1")->click();
    QTest::keyClicks(form.editor()->inputWidget(), "typed ");

    ModalAnswer question(QMessageBox::Yes);
    trigger(form, "FileNew");
    QVERIFY(!question.answered());
    QCOMPARE(form.editor()->length(), 0);
    QCOMPARE(form.commonDialog()->FileName, QStringLiteral("/windows/win.ini"));
    // New is one undo step: the text comes back, and the typing before it can be undone too.
    QTest::keyClick(form.editor()->inputWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.editor()->text(), QByteArray("typed [windows]\r\n"));
    QTest::keyClick(form.editor()->inputWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\n"));
    QCOMPARE(form.documents()->currentFileName(), QString());
    trigger(form, "FileNew");

    // New, then Save: there is no name, so the save dialog asks for one.
    FileDialogAnswer dialog;
    trigger(form, "FileSave");
    QVERIFY(dialog.answered());
    QCOMPARE(dialog.seen().acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(drive.read("windows/win.ini"), QByteArray("[windows]\r\n"));
}

// Open, Save, Save As and Open again: nothing added, nothing lost, no line end appended.
void TestDocuments::roundTripKeepsEveryByte()
{
    const QByteArray bytes = every256() + "\r\nlone LF\nlone CR\rno end";
    TempDrive drive;
    drive.write("all.ini", bytes);
    Form1 form(drive.root());
    form.commonDialog()->FileName = QStringLiteral("/all.ini");  // below the drive's root

    for (int cycle = 0; cycle < 3; ++cycle) {
        FileDialogAnswer open("all.ini");
        trigger(form, "FileOpen");
        QVERIFY(open.answered());
        QCOMPARE(form.editor()->text(), bytes);
        trigger(form, "FileSave");
        QCOMPARE(drive.read("all.ini"), bytes);
    }
    FileDialogAnswer saveAs("copy.ini");
    trigger(form, "FileSaveAs");
    QCOMPARE(drive.read("copy.ini"), bytes);
}

void TestDocuments::failedSaveDoesNotHinderLaterSaves()
{
    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    Form1 form(drive.root());
    form.findChild<QPushButton *>("Command1")->click();
    QVERIFY(QDir(drive.path("windows")).removeRecursively());
    {
        ModalAnswer message(QMessageBox::Ok);
        trigger(form, "FileSave");
        QVERIFY(message.answered());
    }
    // The name is gone, so Save asks for one; that save and a later Open work.
    FileDialogAnswer dialog(drive.path("saved.ini"));
    trigger(form, "FileSave");
    QVERIFY(dialog.answered());
    QCOMPARE(drive.read("saved.ini"), QByteArray("[windows]\r\n"));
    FileDialogAnswer open(drive.path("saved.ini"));
    trigger(form, "FileOpen");
    QCOMPARE(form.documents()->currentFileName(), drive.path("saved.ini"));
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
    QVERIFY(saveAs.answered());
    QCOMPARE(drive.read("docs/a\\b.ini"), QByteArray("[a]\r\n"));
    QVERIFY(!QFileInfo::exists(drive.path("docs/a/b.ini")));

    form.editor()->setText("[b]\r\n");
    trigger(form, "FileSave");
    QCOMPARE(drive.read("docs/a\\b.ini"), QByteArray("[b]\r\n"));
    form.editor()->setText("");
    FileDialogAnswer open(name);
    trigger(form, "FileOpen");
    QCOMPARE(form.editor()->text(), QByteArray("[b]\r\n"));
    QCOMPARE(form.documents()->currentFileName(), name);
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
