#include "platform/codepage.h"
#include "support.h"
#include "platform/dospaths.h"
#include "platform/linefit.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"
#include "platform/twips.h"

#include <QApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program's fixed paths are found below the drive's root as the old file system found
    // them: backslashes and drive letters as DOS wrote them, names in any case.
    void dosPaths_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found");

        const QString win = QStringLiteral("/windows/win.ini");
        QTest::newRow("exact name") << QStringList{"windows/win.ini"} << win << "windows/win.ini";
        QTest::newRow("names in capitals") << QStringList{"WINDOWS/WIN.INI"} << win
                                           << "WINDOWS/WIN.INI";
        QTest::newRow("exact name before another case")
            << QStringList{"windows/WIN.INI", "windows/win.ini"} << win << "windows/win.ini";
        QTest::newRow("of several cases, the first in byte order")
            << QStringList{"Windows/Win.ini", "Windows/WIN.INI", "Windows/wIN.INI"} << win
            << "Windows/WIN.INI";
        QTest::newRow("missing file in a folder found") << QStringList{"WINDOWS/SYSTEM.INI"} << win
                                                        << "WINDOWS/win.ini";
        QTest::newRow("nothing there: the path as written") << QStringList{} << win
                                                            << "windows/win.ini";
        QTest::newRow("drive C, backslashes, any case") << QStringList{"Program Files/T 3.0/Z.hlp"}
                                                        << "C:\\PROGRAM FILES\\t 3.0\\z.HLP"
                                                        << "Program Files/T 3.0/Z.hlp";
        QTest::newRow("no drive letter") << QStringList{"Program Files/T/Z.hlp"}
                                         << "\\Program Files\\T\\Z.hlp" << "Program Files/T/Z.hlp";
        QTest::newRow("another drive letter is the same root") << QStringList{"a/b"} << "d:\\A\\B"
                                                               << "a/b";
    }
    void dosPaths()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, path);
        QFETCH(QString, found);
        const TempDrive drive;
        for (const QString &file : present)
            drive.write(file, "x");
        QCOMPARE(DosPaths(drive.root()).resolve(path), drive.path(found));
        QCOMPARE(DosPaths(drive.root()).resolve("a\\b.ini"), QStringLiteral("a/b.ini"));
    }

    void twipsAt96Dpi()
    {
        if (!qFuzzyCompare(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0))
            QSKIP("the screen is not at 96 dpi");
        QCOMPARE(twips::toPixels(15), 1);
        QCOMPARE(twips::toPixels(14790), 986);
        QCOMPARE(twips::toPixels(370), 25);  // 24.67 rounds, not truncates
    }

    void codePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("ASCII") << "load=" << QByteArray("load=");
        QTest::newRow("Latin-1 letters") << QString::fromUtf8("é ÿ") << QByteArray("\xe9 \xff");
        QTest::newRow("euro and quotes") << QString::fromUtf8("€ “x” Ÿ") << QByteArray("\x80 \x93x\x94 \x9f");
        QTest::newRow("undefined bytes are controls") << QString(QChar(0x81)) + QChar(0x9d)
                                                      << QByteArray("\x81\x9d");
        QTest::newRow("not in the code page") << QString::fromUtf8("ж→") << QByteArray("??");
        QTest::newRow("beyond the basic plane is one ?") << QString::fromUtf8("a😀b") << QByteArray("a?b");
    }
    void codePage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(codepage::fromUnicode(text), bytes);
    }

    void textBoxSelection_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("selected");

        QTest::newRow("[ab]\\r\\ncd") << QByteArray("ab\r\ncd") << 0 << 2 << QByteArray("ab");
        QTest::newRow("ab[\\r\\n]cd: CR LF is two") << QByteArray("ab\r\ncd") << 2 << 2 << QByteArray("\r\n");
        QTest::newRow("a[\\0b]") << QByteArray("a\0b", 3) << 1 << 2 << QByteArray("\0b", 2);
        QTest::newRow("[\\xe9\\x80]") << QByteArray("\xe9\x80") << 0 << 2 << QByteArray("\xe9\x80");
        QTest::newRow("past the end is cut") << QByteArray("abc") << 2 << 10 << QByteArray("c");
        QTest::newRow("start past the end") << QByteArray("abc") << 7 << 1 << QByteArray();
    }
    void textBoxSelection()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QByteArray, selected);

        TextBox box;
        box.setText(text);
        QCOMPARE(box.text(), text);
        box.setSelection(start, length);
        QCOMPARE(box.selectedText(), selected);
        QCOMPARE(box.selLength(), selected.size());
        QCOMPARE(box.selStart(), std::min<qint64>(start, text.size()));
    }

    // The limits on a line's length, at their edges: a line is what lies between line feeds.
    void longLines_data()
    {
        constexpr qsizetype Shown = 1 << 20;     // the longest line the box takes
        constexpr qsizetype Wrapped = 256 << 10; // the longest line it wraps
        const QByteArray shortLines = QByteArray("key=value\r\n").repeated(50000);
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("wrapped");
        QTest::newRow("short lines") << shortLines << true << false;
        QTest::newRow("wrap limit, first") << QByteArray(Wrapped, 'x') + "\n" + shortLines << true << true;
        QTest::newRow("wrap limit + 1, first") << QByteArray(Wrapped + 1, 'x') + "\n" + shortLines << true << false;
        QTest::newRow("wrap limit + 1, CR LF") << QByteArray(Wrapped, 'x') + "\r\n" + shortLines << true << false;
        QTest::newRow("wrap limit, last, no feed") << shortLines + QByteArray(Wrapped, 'x') << true << true;
        QTest::newRow("wrap limit + 1, last, no feed") << shortLines + QByteArray(Wrapped + 1, 'x') << true << false;
        QTest::newRow("limit, between") << shortLines + QByteArray(Shown, 'x') + "\n" + shortLines << true << false;
        QTest::newRow("limit + 1, between") << shortLines + QByteArray(Shown + 1, 'x') + "\n" + shortLines << false << false;
        QTest::newRow("limit + 1, last") << shortLines + QByteArray(Shown + 1, 'x') << false << false;
        QTest::newRow("limit + 1, only CRs") << QByteArray("a\r").repeated(Shown / 2 + 1) << false << false;
    }
    void longLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, held);
        QFETCH(bool, wrapped);
        QCOMPARE(textlimits::canHold(text), held);
        TextBox box;
        box.setText(text);
        QCOMPARE(box.wraps(), wrapped);
    }

    // Whether every line fits, against the width of each line on its own: for texts of every kind
    // of byte and line length around the steps the check takes.
    void lineFitAgreesWithEachLine()
    {
        LineFit fit;
        fit.measure(QApplication::font(), 8);
        QRandomGenerator random(19);
        const QByteArray mixed("aaaaaaaaW.    \r\n\n\n\t\x80\x01\x7f"), wide("WWWWWWWWWWWWWWW\n");
        for (int i = 0; i < 20000; ++i) {
            const QByteArray &alphabet = i % 2 ? mixed : wide;
            QByteArray text(random.bounded(120), 'a');
            for (char &c : text)
                c = alphabet.at(random.bounded(alphabet.size()));
            const qint64 room = random.bounded(fit.widest() * 12);
            bool each = true;
            for (const QByteArray &line : text.split('\n'))
                each = each && fit.width(line) <= room;
            QVERIFY2(fit.allFit(text, room) == each, qPrintable(text.toHex() + " " + QString::number(room)));
        }
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
