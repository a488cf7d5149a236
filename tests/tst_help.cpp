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

QTextBrowser *topic(const HelpViewer &viewer) { return viewer.findChild<QTextBrowser *>("Topic"); }
QString title(const HelpViewer &viewer) { return viewer.windowTitle(); }
QString anchor(const HelpViewer &viewer) { return topic(viewer)->source().fragment(); }
void go(HelpViewer &viewer, const QString &to)
{
    topic(viewer)->setSource(topic(viewer)->source().resolved(QUrl('#' + to)));
}

}

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The three commands show the one file below the drive's root in the program's viewer,
    // forcing it; a viewer that cannot start fails silently, the editor as it was.
    void commands()
    {
        TempDrive drive;
        drive.write(HelpPath, helpDocument("PWS help"));
        Form1 form(drive.root());
        form.commonDialog()->setHelpFolders({});
        for (const char *command : {"Command5", "mnuHELP2", "mnyPWS"}) {
            run(form, command);
            HelpViewer *viewer = form.commonDialog()->helpViewer();
            QVERIFY(viewer && viewer->isVisible());
            QCOMPARE(viewer->currentFile(), QFileInfo(drive.path(HelpPath)).canonicalFilePath());
            QCOMPARE(form.commonDialog()->HelpCommand, qint16(HelpViewer::ForceFile));
            viewer->close();
        }
        form.editor()->setText("[windows]\r\nload=\r\n");
        form.editor()->setSelection(2, 3);
        form.commonDialog()->setHelpHandler(
            [](const QString &, int) { throw std::runtime_error("the viewer cannot be started"); });
        ModalAnswer message(QMessageBox::Ok);
        run(form, "Command5");
        QVERIFY(!message.answered());
        QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\nload=\r\n"));
        QCOMPARE(form.editor()->selStart(), 2);
    }

    // Force-file of the file shown leaves the reader where they went; another file, or any
    // file once the viewer was closed, opens at its contents topic. Other help commands are
    // none of this program's.
    void forceFileKeepsThePlace()
    {
        TempDrive drive;
        const QString a = drive.write("help/a.hlp", helpDocument("Help A")),
                      b = drive.write("help/b.hlp", helpDocument("Help B"));
        HelpViewer viewer({});
        viewer.show(a, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QVERIFY(topic(viewer)->toPlainText().startsWith("Contents"));
        viewer.show(b, 3);
        QCOMPARE(title(viewer), QStringLiteral("Help A"));
        go(viewer, "far");
        viewer.show(drive.path("help/../help/a.hlp"), HelpViewer::ForceFile);  // another path
        QCOMPARE(anchor(viewer), QStringLiteral("far"));
        viewer.show(b, HelpViewer::ForceFile);
        QCOMPARE(title(viewer) + anchor(viewer), QStringLiteral("Help B"));
        QVERIFY(!topic(viewer)->isBackwardAvailable());
        go(viewer, "far");
        QVERIFY(viewer.close());
        viewer.show(b, HelpViewer::ForceFile);
        QVERIFY(viewer.isVisible());
        QCOMPARE(title(viewer) + anchor(viewer), QStringLiteral("Help B"));
    }

    // A file not where the path says is looked for by name in the fallback folders; one found
    // nowhere gets a page saying so and the finder of the file, until it is there.
    void viewerFindsTheFile()
    {
        TempDrive drive;
        HelpViewer viewer({drive.path("nowhere"), drive.path("share")});
        const QString missing = drive.path(HelpPath);
        viewer.show(missing, HelpViewer::ForceFile);
        QVERIFY(viewer.currentFile().isEmpty());
        QVERIFY(topic(viewer)->toPlainText().contains(missing));
        QVERIFY(viewer.findChild<QPushButton *>("Locate")->isVisibleTo(&viewer));
        drive.write("share/Zeruradu.hlp", helpDocument("Installed"));
        viewer.show(missing, HelpViewer::ForceFile);
        QCOMPARE(title(viewer), QStringLiteral("Installed"));
        drive.write(HelpPath, helpDocument("Arrived"));
        viewer.show(missing, HelpViewer::ForceFile);
        QCOMPARE(title(viewer), QStringLiteral("Arrived"));
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
        for (const QString &picture : all("src=\"([^\"]*)\""))
            QVERIFY2(QFileInfo::exists(folder + picture), qPrintable(picture));
        for (const QString &link : links)
            QVERIFY2(link.startsWith('#') && anchors.contains(link.mid(1)), qPrintable(link));
        HelpViewer viewer({});
        viewer.show(file.fileName(), HelpViewer::ForceFile);
        for (const QString &to : anchors) {
            QVERIFY2(to == "contents" || links.contains('#' + to), qPrintable(to + " unreachable"));
            go(viewer, to);
            QCOMPARE(anchor(viewer), to);
        }
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
