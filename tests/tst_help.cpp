#include "app/form1.h"
#include "support.h"
#include "platform/commondialog.h"
#include "platform/helpviewer.h"
#include "platform/textbox.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

namespace {

const QString HelpPath = QStringLiteral("Program Files/Tansy's INI Editor 3.0/Zeruradu.hlp");

QByteArray helpDocument(const QByteArray &title)
{
    return "<html><head><title>" + title + "</title></head><body>"
           "<h1 id=\"contents\">Contents</h1><p><a href=\"#far\">far</a></p>"
           + QByteArray(200, '\n').replace("\n", "<p>filler</p>")
           + "<h2 id=\"far\">Far topic</h2><p>text</p></body></html>";
}

QTextBrowser *topic(const HelpViewer *viewer)
{
    return viewer->findChild<QTextBrowser *>("Topic");
}

}

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("PWS Detection, drive C:") << "Command5";
        QTest::newRow("Password Stealer Detection/Removal") << "mnuHELP2";
        QTest::newRow("What is a Password Stealer?") << "mnyPWS";
    }

    // On this platform drive C: and the current drive are the same root, so all three name one
    // file below it. What the command sets stays set: cancel reporting is on for later dialogs.
    void commands()
    {
        QFETCH(QString, command);
        TempDrive drive;
        Form1 form(drive.root());
        CommonDialog &dialog = *form.commonDialog();
        QStringList calls;
        dialog.setHelpHandler([&calls](const QString &file, int helpCommand) {
            calls << QStringLiteral("%1 %2").arg(helpCommand).arg(file);
        });
        dialog.CancelError = false;

        run(form, command);
        QCOMPARE(calls, QStringList{"9 " + drive.path(HelpPath)});
        QVERIFY(dialog.CancelError);
        QCOMPARE(dialog.HelpCommand, qint16(9));
        QVERIFY(dialog.HelpFile.endsWith(QStringLiteral("\\Program Files\\Tansy's INI Editor 3.0\\Zeruradu.hlp")));
        QCOMPARE(dialog.HelpFile.startsWith(QStringLiteral("C:")), command == "Command5");
    }

    void bothMenuItemsShowTheSameFile()
    {
        TempDrive drive;
        drive.write(HelpPath, helpDocument("PWS help"));
        Form1 form(drive.root());
        form.commonDialog()->setHelpFolders({});
        run(form, "mnyPWS");
        HelpViewer *viewer = form.commonDialog()->helpViewer();
        QVERIFY(viewer && viewer->isVisible());
        const QString first = viewer->currentFile();
        run(form, "mnuHELP2");
        QCOMPARE(viewer->currentFile(), first);
        QCOMPARE(first, QFileInfo(drive.path(HelpPath)).canonicalFilePath());
        viewer->close();
    }

    void failureIsSilent()
    {
        TempDrive drive;
        Form1 form(drive.root());
        form.editor()->setText("[windows]\r\nload=\r\n");
        form.editor()->setSelection(2, 3);
        form.commonDialog()->setHelpHandler([](const QString &, int) {
            throw std::runtime_error("the viewer cannot be started");
        });
        ModalAnswer message(QMessageBox::Ok);
        run(form, "Command5");
        QVERIFY(!message.answered());
        QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\nload=\r\n"));
        QCOMPARE(form.editor()->selStart(), 2);
        QCOMPARE(form.editor()->selLength(), 3);
        QVERIFY(form.commonDialog()->CancelError);
    }

    void viewerShowsTheFile()
    {
        TempDrive drive;
        const QString file = drive.write("help/a.hlp", helpDocument("Help A"));
        HelpViewer viewer({});
        viewer.show(file, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.currentFile(), QFileInfo(file).canonicalFilePath());
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Help A"));
        QVERIFY(topic(&viewer)->toPlainText().startsWith(QStringLiteral("Contents")));

        // Other help commands are none of this program's: nothing happens.
        const QString other = drive.write("help/b.hlp", helpDocument("Help B"));
        viewer.show(other, 3);
        QCOMPARE(viewer.currentFile(), QFileInfo(file).canonicalFilePath());
    }

    // Force-file of the file shown leaves the reader where they went; another file, or any file
    // once the viewer was closed, opens at its contents topic.
    void sameFileKeepsTheTopic()
    {
        TempDrive drive;
        const QString a = drive.write("help/a.hlp", helpDocument("Help A"));
        const QString b = drive.write("help/b.hlp", helpDocument("Help B"));
        HelpViewer viewer({});
        viewer.show(a, HelpViewer::ForceFile);
        QTextBrowser *browser = topic(&viewer);
        browser->setSource(browser->source().resolved(QUrl(QStringLiteral("#far"))));
        QCOMPARE(browser->source().fragment(), QStringLiteral("far"));

        viewer.show(drive.path("help/../help/a.hlp"), HelpViewer::ForceFile);  // same file, other path
        QCOMPARE(browser->source().fragment(), QStringLiteral("far"));

        viewer.show(b, HelpViewer::ForceFile);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Help B"));
        QCOMPARE(browser->source().fragment(), QString());
        QVERIFY(!browser->isBackwardAvailable());

        // A closed viewer shows no file: the next command opens the file at its contents.
        browser->setSource(browser->source().resolved(QUrl(QStringLiteral("#far"))));
        QVERIFY(viewer.close());
        QVERIFY(viewer.isHidden());
        viewer.show(b, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QCOMPARE(browser->source().fragment(), QString());
    }

    void foundByNameWhenThePathHasNone()
    {
        TempDrive drive;
        const QString installed = drive.write("share/Zeruradu.hlp", helpDocument("Installed"));
        HelpViewer viewer({drive.path("nowhere"), drive.path("share")});
        viewer.show(drive.path(HelpPath), HelpViewer::ForceFile);
        QCOMPARE(viewer.currentFile(), QFileInfo(installed).canonicalFilePath());
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Installed"));
    }

    void notFoundPage()
    {
        TempDrive drive;
        HelpViewer viewer({drive.path("share")});
        const QString missing = drive.path(HelpPath);
        viewer.show(missing, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.currentFile(), QString());
        QVERIFY(topic(&viewer)->toPlainText().contains(missing));
        QVERIFY(topic(&viewer)->toPlainText().contains(QStringLiteral("not found")));
        QVERIFY(viewer.findChild<QPushButton *>("Locate")->isVisibleTo(&viewer));

        // Once the file is there, the next command shows it.
        drive.write(HelpPath, helpDocument("Arrived"));
        viewer.show(missing, HelpViewer::ForceFile);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Arrived"));
        QVERIFY(!viewer.findChild<QPushButton *>("Locate")->isVisibleTo(&viewer));
    }

    // Odd bytes are the fuzz target helpfile's (CTest replays its corpus); a file too large to be
    // a help file is shown as such, not read.
    void tooLarge()
    {
        TempDrive drive;
        const QString file = drive.write("odd.hlp", QByteArray(9 << 20, 'x'));
        HelpViewer viewer({});
        viewer.show(file, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.currentFile(), QFileInfo(file).canonicalFilePath());
        QVERIFY(topic(&viewer)->toPlainText().contains(QStringLiteral("too large")));
    }

    // Every link of the help file the program ships leads to a topic, and every topic is in the
    // contents.
    void shippedHelpFileLinksResolve()
    {
        QFile file(QStringLiteral(TANSY_SOURCE_DIR "/resources/help/Zeruradu.hlp"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());

        QSet<QString> anchors;
        for (const auto &m : QRegularExpression(QStringLiteral("id=\"([^\"]+)\"")).globalMatch(html))
            anchors.insert(m.captured(1));
        QVERIFY(anchors.contains(QStringLiteral("contents")));
        QVERIFY(html.indexOf(QStringLiteral("id=\"contents\"")) < html.indexOf(QStringLiteral("<h2")));

        // Every picture is shipped beside the help file.
        for (const auto &m : QRegularExpression(QStringLiteral("src=\"([^\"]*)\"")).globalMatch(html))
            QVERIFY2(QFileInfo::exists(QStringLiteral(TANSY_SOURCE_DIR "/resources/help/") + m.captured(1)),
                     qPrintable("no picture " + m.captured(1)));
        QSet<QString> linked;
        for (const auto &m : QRegularExpression(QStringLiteral("href=\"([^\"]*)\"")).globalMatch(html)) {
            const QString target = m.captured(1);
            QVERIFY2(target.startsWith('#'), qPrintable("not a topic link: " + target));
            QVERIFY2(anchors.contains(target.mid(1)), qPrintable("no topic for " + target));
            linked.insert(target.mid(1));
        }
        for (const QString &anchor : anchors)
            QVERIFY2(anchor == "contents" || linked.contains(anchor), qPrintable(anchor + " unreachable"));

        // The viewer reaches each topic.
        HelpViewer viewer({});
        viewer.show(file.fileName(), HelpViewer::ForceFile);
        QTextBrowser *browser = topic(&viewer);
        for (const QString &anchor : anchors) {
            browser->setSource(browser->source().resolved(QUrl('#' + anchor)));
            QCOMPARE(browser->source().fragment(), anchor);
        }
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
