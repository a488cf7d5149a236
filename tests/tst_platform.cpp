#include "platform/codepage.h"
#include "platform/dospaths.h"
#include "platform/linefit.h"
#include "platform/textlimits.h"
#include "platform/twips.h"
#include "support.h"

#include <QRandomGenerator>
#include <QScreen>

// The files present below the root, the path asked for, the file found.
struct DosPath { QStringList present; QString path, found; };
// A text, and whether the box takes it.
struct LongLine { QByteArray text; bool held; };

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program's fixed paths are found below the drive's root as the old file system found
    // them: backslashes and drive letters as DOS wrote them, names in any case.
    void dosPaths_data()
    {
        const QString win = QStringLiteral("/windows/win.ini");
        const QString help = QStringLiteral("Program Files/T 3.0/Z.hlp");
        table<DosPath>({
            {"exact name", {{"windows/win.ini"}, win, "windows/win.ini"}},
            {"names in capitals", {{"WINDOWS/WIN.INI"}, win, "WINDOWS/WIN.INI"}},
            {"exact name before another case",
             {{"windows/WIN.INI", "windows/win.ini"}, win, "windows/win.ini"}},
            {"of several cases, the first in byte order",
             {{"Windows/Win.ini", "Windows/WIN.INI", "Windows/wIN.INI"}, win, "Windows/WIN.INI"}},
            {"missing file in a folder found", {{"WINDOWS/SYSTEM.INI"}, win, "WINDOWS/win.ini"}},
            {"nothing there: the path as written", {{}, win, "windows/win.ini"}},
            {"drive C, backslashes, any case", {{help}, "C:\\PROGRAM FILES\\t 3.0\\z.HLP", help}},
            {"no drive letter", {{help}, "\\Program Files\\T 3.0\\Z.hlp", help}},
            {"another drive letter is the same root", {{"a/b"}, "d:\\A\\B", "a/b"}}});
    }
    void dosPaths()
    {
        const DosPath &r = row<DosPath>();
        const TempDrive drive;
        for (const QString &file : r.present)
            drive.write(file, "x");
        QCOMPARE(DosPaths(drive.root()).resolve(r.path), drive.path(r.found));
        QCOMPARE(DosPaths(drive.root()).resolve("a\\b.ini"), QStringLiteral("a/b.ini"));
    }

    // Designs grow with a desktop font larger than theirs.
    void twipsAndCodePage()
    {
        const QFont desktop = QApplication::font();
        QFont font = desktop;
        font.setPointSize(8);
        QApplication::setFont(font);
        const int designed = twips::toPixels(14790);
        if (qFuzzyCompare(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0))
            QCOMPARE(twips::toPixels(370), 25);  // 24.67 rounds, not truncates
        font.setPointSize(12);
        QApplication::setFont(font);
        QCOMPARE(twips::toPixels(14790), qRound(designed * 1.5));
        QApplication::setFont(desktop);
        // Undefined bytes are controls; a character the code page lacks is one '?', also
        // beyond the basic plane.
        QCOMPARE(codepage::fromUnicode("load= é ÿ € “x” Ÿ \u0081\u009d ж→ a😀b"),
                 "load= \xe9 \xff \x80 \x93x\x94 \x9f \x81\x9d ?? a?b");
    }

    // The longest line the box takes, at its edges: a line ends at a CR or a LF. The same read
    // from a file, a part at a time.
    void longLines_data()
    {
        constexpr qsizetype Longest = 1 << 20;
        const QByteArray lines = QByteArray("key=value\r\n").repeated(50000);
        const QByteArray longest(Longest, 'x'), over(Longest + 1, 'x');
        table<LongLine>({{"short lines", {lines, true}},
            {"limit, between", {lines + longest + "\n" + lines, true}},
            {"limit + 1, between", {lines + over + "\n" + lines, false}},
            {"limit + 1, last", {lines + over, false}},
            {"limit + 1, only CRs", {QByteArray("a\r").repeated(Longest / 2 + 1), true}},
            {"limit + 1, CR", {lines + over + "\r" + lines, false}}});
    }
    void longLines()
    {
        const auto &[text, held] = row<LongLine>();
        QCOMPARE(textlimits::canHold(text), held);
        TempDrive drive;
        QCOMPARE(textlimits::fileHasLineLongerThan(drive.write("text", text), 1 << 20), !held);
    }

    // Whether every line fits, against the width of each line on its own: for texts of every
    // kind of byte and line length around the steps the check takes.
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
            for (const QByteArray &line : QByteArray(text).replace('\r', '\n').split('\n'))
                each = each && fit.width(line) <= room;
            QVERIFY2(fit.allFit(text, room) == each,
                qPrintable(text.toHex() + " " + QString::number(room)));
        }
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
