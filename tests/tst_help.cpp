#include "platform/commondialog.h"
#include "platform/helpviewer.h"
#include "platform/textbox.h"
#include "support.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>

namespace {

const QString HelpPath = QStringLiteral("Program Files/Tansy's INI Editor 3.0/Zeruradu.hlp");

QByteArray helpDocument(const QByteArray &title)
{
    return "<html><head><title>" + title
        + "</title></head><body><h1 id=\"contents\">Contents</h1><p><a href=\"#far\">far</a></p>"
        + QByteArray(200, '\n').replace("\n", "<p>filler</p>")
        + "<h2 id=\"far\">Far topic</h2><p>text</p></body></html>";
}

// The viewer's title, the topic shown and whether the finder of a missing file is offered.
QString shown(const HelpViewer &viewer)
{
    const QTextBrowser *topic = viewer.findChild<QTextBrowser *>("Topic");
    return viewer.windowTitle() + " #" + topic->source().fragment()
        + (viewer.findChild<QPushButton *>("Locate")->isVisibleTo(&viewer) ? " Locate" : "");
}
void go(HelpViewer &viewer, const QString &anchor)
{
    QTextBrowser *topic = viewer.findChild<QTextBrowser *>("Topic");
    topic->setSource(topic->source().resolved(QUrl('#' + anchor)));
}

}

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // On this platform drive C: and the current drive are the same root, so all three name one
    // file below it. What the command sets stays set: cancel reporting is on for later dialogs.
    void commands_data()
    {
        table<QString>({{"PWS Detection, drive C:", "Command5"}, {"Password Stealer Detection/Removal", "mnuHELP2"},
                        {"What is a Password Stealer?", "mnyPWS"}});
    }
    void commands()
    {
        const QString &command = row<QString>();
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
        QCOMPARE(dialog.HelpFile,
                 (command == "Command5" ? "C:" : "")
                     + QStringLiteral("\\Program Files\\Tansy's INI Editor 3.0\\Zeruradu.hlp"));
    }

    // Both menu items show the one file in the program's viewer; a viewer that cannot start
    // fails silently, the editor as it was.
    void viewerFromTheMenus()
    {
        TempDrive drive;
        drive.write(HelpPath, helpDocument("PWS help"));
        Form1 form(drive.root());
        form.commonDialog()->setHelpFolders({});
        run(form, "mnyPWS");
        HelpViewer *viewer = form.commonDialog()->helpViewer();
        QVERIFY(viewer && viewer->isVisible());
        run(form, "mnuHELP2");
        QCOMPARE(viewer->currentFile(), QFileInfo(drive.path(HelpPath)).canonicalFilePath());
        viewer->close();

        form.editor()->setText("[windows]\r\nload=\r\n");
        form.editor()->setSelection(2, 3);
        form.commonDialog()->setHelpHandler(
            [](const QString &, int) { throw std::runtime_error("the viewer cannot be started"); });
        ModalAnswer message(QMessageBox::Ok);
        run(form, "Command5");
        QVERIFY(!message.answered());
        QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\nload=\r\n"));
        QCOMPARE(QPoint(form.editor()->selStart(), form.editor()->selLength()), QPoint(2, 3));
    }

    // Force-file of the file shown leaves the reader where they went; another file, or any
    // file once the viewer was closed, opens at its contents topic. Other help commands are
    // none of this program's.
    void viewerKeepsItsPlace()
    {
        TempDrive drive;
        const QString a = drive.write("help/a.hlp", helpDocument("Help A")),
                      b = drive.write("help/b.hlp", helpDocument("Help B"));
        HelpViewer viewer({});
        viewer.show(a, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.currentFile(), QFileInfo(a).canonicalFilePath());
        QVERIFY(viewer.findChild<QTextBrowser *>("Topic")->toPlainText().startsWith("Contents"));
        viewer.show(b, 3);
        QCOMPARE(shown(viewer), "Help A #");
        go(viewer, "far");
        viewer.show(drive.path("help/../help/a.hlp"), HelpViewer::ForceFile);  // same file, other path
        QCOMPARE(shown(viewer), "Help A #far");
        viewer.show(b, HelpViewer::ForceFile);
        QCOMPARE(shown(viewer), "Help B #");
        QVERIFY(!viewer.findChild<QTextBrowser *>("Topic")->isBackwardAvailable());
        go(viewer, "far");
        QVERIFY(viewer.close() && viewer.isHidden());
        viewer.show(b, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QCOMPARE(shown(viewer), "Help B #");
    }

    // A file not where the path says is looked for by name in the fallback folders; one found
    // nowhere gets a page saying so, until it is there; a file too large is not read.
    void viewerFindsTheFile()
    {
        TempDrive drive;
        HelpViewer viewer({drive.path("nowhere"), drive.path("share")});
        const QString missing = drive.path(HelpPath);
        viewer.show(missing, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible() && viewer.currentFile().isEmpty());
        const QString page = viewer.findChild<QTextBrowser *>("Topic")->toPlainText();
        QVERIFY(page.contains(missing) && page.contains("not found") && shown(viewer).endsWith("Locate"));
        const QString installed = drive.write("share/Zeruradu.hlp", helpDocument("Installed"));
        viewer.show(missing, HelpViewer::ForceFile);
        QCOMPARE(viewer.currentFile(), QFileInfo(installed).canonicalFilePath());
        QCOMPARE(shown(viewer), "Installed #");
        drive.write(HelpPath, helpDocument("Arrived"));
        viewer.show(missing, HelpViewer::ForceFile);
        QCOMPARE(shown(viewer), "Arrived #");
        // Odd bytes are the fuzz target helpfile's (CTest replays its corpus).
        const QString large = drive.write("odd.hlp", QByteArray(9 << 20, 'x'));
        viewer.show(large, HelpViewer::ForceFile);
        QCOMPARE(viewer.currentFile(), QFileInfo(large).canonicalFilePath());
        QVERIFY(viewer.findChild<QTextBrowser *>("Topic")->toPlainText().contains("too large"));
    }

    // Every link of the help file the program ships leads to a topic the viewer reaches, every
    // topic is in the contents, and every picture is shipped beside it.
    void shippedHelpFile()
    {
        const QString folder = QStringLiteral(TANSY_SOURCE_DIR "/resources/help/");
        QFile file(folder + "Zeruradu.hlp");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        const auto all = [&](const char *pattern) {
            QStringList found;
            for (const auto &m : QRegularExpression(pattern).globalMatch(html))
                found << m.captured(1);
            return found;
        };
        const QStringList anchors = all("id=\"([^\"]+)\""), links = all("href=\"([^\"]*)\"");
        QVERIFY(html.indexOf("id=\"contents\"") >= 0 && html.indexOf("id=\"contents\"") < html.indexOf("<h2"));
        for (const QString &picture : all("src=\"([^\"]*)\""))
            QVERIFY2(QFileInfo::exists(folder + picture), qPrintable(picture));
        for (const QString &link : links)
            QVERIFY2(link.startsWith('#') && anchors.contains(link.mid(1)), qPrintable(link));
        HelpViewer viewer({});
        viewer.show(file.fileName(), HelpViewer::ForceFile);
        for (const QString &anchor : anchors) {
            QVERIFY2(anchor == "contents" || links.contains('#' + anchor), qPrintable(anchor + " unreachable"));
            go(viewer, anchor);
            QVERIFY(shown(viewer).endsWith('#' + anchor));
        }
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
