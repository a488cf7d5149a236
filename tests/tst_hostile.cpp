#include "app/form1.h"
#include "menuitem.h"
#include "document/documentcommands.h"
#include "filedialoganswer.h"
#include "platform/commondialog.h"
#include "platform/safesave.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"
#include "search/form2.h"
#include "search/searchcommands.h"
#include "tempdrive.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

// Odd and hostile input: whatever arrives, the program neither crashes nor hangs, refuses
// with its message what it cannot take, and never loses the file on disk.
class TestHostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadsExactly_data();
    void loadsExactly();
    void lineTooLongIsRefused();
    void fileOf300MB();
    void beyondCapacityIsRefused();
    void notRegularFiles_data();
    void notRegularFiles();
    void linkLoopAtAQuickLoadPath();
    void fileRemovedBetweenDialogAndRead();
    void targetBecomesAFolderBetweenDialogAndWrite();
    void nameWithANewline();
    void nameThatIsNotUtf8();
    void searchTextOfOneMegabyte();
    void killedWhileSaving();
};

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(99);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

}

void TestHostile::loadsExactly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QFile ls(QStringLiteral("/bin/ls"));
    QVERIFY(ls.open(QIODevice::ReadOnly));
    QTest::newRow("an executable") << ls.readAll();
    QTest::newRow("random bytes") << randomBytes(1 << 20);
    QTest::newRow("all NUL") << QByteArray(1 << 20, '\0');
    QTest::newRow("a line of 512 KiB") << QByteArray(512 << 10, 'x') + "\r\nshort\r\n";
    QTest::newRow("a million empty lines") << QByteArray("\r\n").repeated(1000000);
}

// Read whole and kept exactly; the window still paints afterwards.
void TestHostile::loadsExactly()
{
    QFETCH(QByteArray, bytes);
    TempDrive drive;
    drive.write("windows/win.ini", bytes);
    Form1 form(drive.root());
    form.show();
    form.findChild<QPushButton *>("Command1")->click();
    QCOMPARE(form.editor()->length(), bytes.size());
    QVERIFY(form.editor()->bytes() == bytes);
    QVERIFY(!form.grab().isNull());
    // Lines of over 256 KiB are shown without wrapping.
    qsizetype longest = 0;
    for (const QByteArray &line : bytes.split('\n'))
        longest = std::max(longest, line.size());
    QCOMPARE(form.editor()->wraps(), longest <= 256 * 1024);
}

// One line of 50 MB would take the text box 20 s to paint, each time: such a file is refused
// with the open failure message, and the editor keeps its text.
void TestHostile::lineTooLongIsRefused()
{
    TempDrive drive;
    drive.write("windows/win.ini", QByteArray(50 << 20, 'x'));
    Form1 form(drive.root());
    form.editor()->setText("kept");
    ModalAnswer message(QMessageBox::Ok);
    form.findChild<QPushButton *>("Command1")->click();
    QVERIFY(message.answered());
    QCOMPARE(message.seen().text, QStringLiteral("File Open ERROR SORRY! /windows/win.ini"));
    QCOMPARE(form.editor()->text(), QByteArray("kept"));
}

void TestHostile::fileOf300MB()
{
    TempDrive drive;
    QByteArray line = "Key=value,C:\\WINDOWS\\SYSTEM\\x.dll\r\n";
    const QByteArray bytes = line.repeated((300 << 20) / line.size());
    drive.write("windows/system.ini", bytes);
    if (bytes.size() > textlimits::capacity())
        QSKIP("this machine has not the memory for a 300 MB document now");
    Form1 form(drive.root());
    form.findChild<QPushButton *>("Command2")->click();
    QCOMPARE(form.editor()->length(), bytes.size());
    QVERIFY(form.editor()->bytes().endsWith("x.dll\r\n"));
    QCOMPARE(form.documents()->currentFileName(), QStringLiteral("/windows/system.ini"));
}

// Too large for the text box: refused before a byte is read (the file is sparse: it takes no
// disk), with the open failure message, and the editor keeps its text.
void TestHostile::beyondCapacityIsRefused()
{
    TempDrive drive;
    const QString file = drive.write("huge.ini", QByteArray());
    QVERIFY(QFile::resize(file, textlimits::capacity() + 1));
    Form1 form(drive.root());
    form.editor()->setText("kept");
    FileDialogAnswer dialog(file);
    ModalAnswer message(QMessageBox::Ok);
    trigger(form, "FileOpen");
    QVERIFY(message.answered());
    QCOMPARE(message.seen().text, QStringLiteral("Unkown error while opening file ") + file);
    QCOMPARE(form.editor()->text(), QByteArray("kept"));
}

void TestHostile::notRegularFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("/dev/zero") << "/dev/zero";
    QTest::newRow("/dev/urandom") << "/dev/urandom";
    QTest::newRow("a FIFO with no writer") << "fifo";
}

// Never read forever, never wait for a writer: the failure message at once. The devices are
// reached through a link at a quick-load path (the open dialog adds ".TXT" to a typed name
// without an extension); the FIFO through the open dialog.
void TestHostile::notRegularFiles()
{
    QFETCH(QString, path);
    TempDrive drive;
    Form1 form(drive.root());
    form.editor()->setText("kept");
    ModalAnswer message(QMessageBox::Ok);
    if (path == "fifo") {
        path = drive.path("pipe.ini");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        FileDialogAnswer dialog(path);
        trigger(form, "FileOpen");
        QVERIFY(dialog.answered());
        QVERIFY(message.answered());
        QCOMPARE(message.seen().text, QStringLiteral("Unkown error while opening file ") + path);
    } else {
        QDir().mkpath(drive.path("windows"));
        QCOMPARE(::symlink(QFile::encodeName(path).constData(),
                           QFile::encodeName(drive.path("windows/win.ini")).constData()), 0);
        form.findChild<QPushButton *>("Command1")->click();
        QVERIFY(message.answered());
        QCOMPARE(message.seen().text, QStringLiteral("File Open ERROR SORRY! /windows/win.ini"));
    }
    QCOMPARE(form.editor()->text(), QByteArray("kept"));
}

void TestHostile::linkLoopAtAQuickLoadPath()
{
    TempDrive drive;
    QDir().mkpath(drive.path("windows"));
    ::symlink("win.ini", QFile::encodeName(drive.path("windows/loop.ini")).constData());
    ::symlink("loop.ini", QFile::encodeName(drive.path("windows/win.ini")).constData());
    Form1 form(drive.root());
    ModalAnswer message(QMessageBox::Ok);
    form.findChild<QPushButton *>("Command1")->click();
    QVERIFY(message.answered());
    QCOMPARE(message.seen().text, QStringLiteral("File Open ERROR SORRY! /windows/win.ini"));
}

void TestHostile::fileRemovedBetweenDialogAndRead()
{
    TempDrive drive;
    const QString file = drive.write("gone.ini", "[gone]\r\n");
    Form1 form(drive.root());
    form.editor()->setText("kept");
    // The dialog has accepted the name; before the command reads it, the file goes.
    ModalWatcher removeOnAccept(ModalWatcher::ofType<QFileDialog>(), [file](QWidget *w) {
        auto *dialog = static_cast<QFileDialog *>(w);
        QObject::connect(dialog, &QFileDialog::fileSelected, [file] { QFile::remove(file); });
    });
    FileDialogAnswer dialog(file);
    ModalAnswer message(QMessageBox::Ok);
    trigger(form, "FileOpen");
    QVERIFY(removeOnAccept.done() && dialog.answered());
    QVERIFY(message.answered());
    QCOMPARE(message.seen().text, QStringLiteral("Unkown error while opening file ") + file);
    QCOMPARE(form.editor()->text(), QByteArray("kept"));
    QCOMPARE(form.documents()->currentFileName(), QString());
}

void TestHostile::targetBecomesAFolderBetweenDialogAndWrite()
{
    TempDrive drive;
    const QString file = drive.path("target.ini");
    Form1 form(drive.root());
    form.editor()->setText("text");
    ModalWatcher folderOnAccept(ModalWatcher::ofType<QFileDialog>(), [file](QWidget *w) {
        auto *dialog = static_cast<QFileDialog *>(w);
        QObject::connect(dialog, &QFileDialog::fileSelected, [file] {
            QDir().mkpath(file + QStringLiteral("/inside"));
        });
    });
    FileDialogAnswer dialog(file);
    ModalAnswer message(QMessageBox::Ok);
    trigger(form, "FileSaveAs");
    QVERIFY(message.answered());
    QCOMPARE(message.seen().text, QStringLiteral("Unkown error while saving file ") + file);
    QVERIFY(QFileInfo(file + QStringLiteral("/inside")).isDir());
    QCOMPARE(QDir(drive.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"target.ini"});
}

void TestHostile::nameWithANewline()
{
    TempDrive drive;
    const QString file = drive.path(QStringLiteral("two\nlines.ini"));
    Form1 form(drive.root());
    form.editor()->setText("[x]\r\n");
    form.commonDialog()->FileName = QStringLiteral("/two\nlines.ini");  // below the drive's root
    FileDialogAnswer dialog;  // cancel: the name goes through the command's own save
    trigger(form, "FileSaveAs");
    QVERIFY(dialog.answered());
    QCOMPARE(dialog.seen().fileName, QStringLiteral("two\nlines.ini"));

    // Saved under that name, and opened again.
    QVERIFY(safesave::write(file, form.editor()->bytes()).ok);
    form.editor()->setText("");
    FileDialogAnswer open(file);
    trigger(form, "FileOpen");
    QCOMPARE(form.editor()->text(), QByteArray("[x]\r\n"));
    QCOMPARE(form.documents()->currentFileName(), file);
}

// Qt reads file names as UTF-8 and leaves out of its listings a name that is not: such a file
// is not offered, nothing fails, and the files beside it open as usual.
void TestHostile::nameThatIsNotUtf8()
{
    TempDrive drive;
    const QByteArray bad = QFile::encodeName(drive.root()) + "/bad\xff\xfe.ini";
    FILE *file = std::fopen(bad.constData(), "wb");
    QVERIFY(file);
    std::fputs("[bad]\r\n", file);
    std::fclose(file);
    drive.write("good.ini", "[good]\r\n");

    Form1 form(drive.root());
    form.commonDialog()->FileName = QStringLiteral("/none.ini");  // below the drive's root
    FileDialogAnswer dialog(drive.path("good.ini"));
    trigger(form, "FileOpen");
    QVERIFY(dialog.answered());
    QCOMPARE(dialog.seen().listed, QStringList{"good.ini"});
    QCOMPARE(form.editor()->text(), QByteArray("[good]\r\n"));
}

// The search and replacement boxes take any length: nothing is cut short unseen.
void TestHostile::searchTextOfOneMegabyte()
{
    const QByteArray needle = randomBytes(1 << 20).toBase64().left(1 << 20);
    QByteArray text = QByteArray(1000, '.') + needle + "tail";
    Form1 form;
    form.editor()->setText(text);
    trigger(form, "EditFind");
    Form2 *dialog = form.search()->dialog();
    dialog->findChild<QLineEdit *>("Text1")->setText(QString::fromLatin1(needle));
    QCOMPARE(dialog->findChild<QLineEdit *>("Text1")->text().size(), needle.size());
    dialog->findChild<QPushButton *>("FindButton")->click();
    QCOMPARE(form.editor()->selStart(), 1000);
    QCOMPARE(form.editor()->selLength(), needle.size());

    // A near-miss of the same length is searched in linear time.
    dialog->findChild<QLineEdit *>("Text1")->setText(QString::fromLatin1(needle.left(needle.size() - 1) + '#'));
    ModalAnswer message(QMessageBox::Ok);
    dialog->findChild<QPushButton *>("FindButton")->click();
    QVERIFY(message.answered());
    QCOMPARE(message.seen().text, QStringLiteral("String not found"));
}

// Killed at any moment of a save, the file holds the old text or the new one, whole, and
// nothing else is left in the folder.
void TestHostile::killedWhileSaving()
{
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/savechild");
    const qint64 size = 200 << 20;
    TempDrive drive;
    const QByteArray old = QByteArray("old\r\n").repeated(1000);
    const QString file = drive.write("win.ini", old);
    int killedMidway = 0;
    for (int delay : {5, 20, 60, 120, 250, 400}) {
        QProcess save;
        save.start(child, {file, QString::number(size)});
        QVERIFY(save.waitForStarted());
        QTest::qWait(delay);
        save.kill();  // SIGKILL
        save.waitForFinished();
        killedMidway += save.exitStatus() == QProcess::CrashExit;

        QFile result(file);
        QVERIFY(result.open(QIODevice::ReadOnly));
        const qint64 length = result.size();
        QVERIFY2(length == old.size() || length == size, qPrintable(QString::number(length)));
        const QByteArray head = result.read(16);
        QVERIFY(head == old.left(16) || head == QByteArray(16, 'n'));
        QCOMPARE(QDir(drive.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"win.ini"});
        QVERIFY(QFile::remove(file));
        drive.write("win.ini", old);
    }
    QVERIFY2(killedMidway > 0, "no save was interrupted: the document is too small to test this");
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
