#include "app/form1.h"
#include "editing/casechange.h"
#include "editing/numberlines.h"
#include "support.h"
#include "platform/codepage.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QPushButton>
#include <QTest>

// The Edit, Edit Text and Text Customization menus, through the main window's menu items.
// Number Lines and the case tables over any bytes are the fuzz targets' (replayed by CTest).
class TestEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each row: the text, its selection, the clipboard before, the command; then the text, the
    // selection ("start+length") and the clipboard after. A change is one undo step.
    void commands_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("clipboardAfter");

        QTest::newRow("Copy [ab]c") << QByteArray("abc") << 0 << 2 << "junk" << "EditCopy"
                                    << QByteArray("abc") << "0+2" << "ab";
        QTest::newRow("Copy of nothing empties the clipboard") << QByteArray("abc") << 1 << 0 << "junk"
                                                                << "EditCopy" << QByteArray("abc")
                                                                << "1+0" << "";
        QTest::newRow("Copy \\x80\\xe9: euro, e acute") << QByteArray("\x80\xe9") << 0 << 2 << ""
                                                        << "EditCopy" << QByteArray("\x80\xe9") << "0+2"
                                                        << QString::fromUtf8("€é");
        QTest::newRow("Cut a[b\\r\\n]c") << QByteArray("ab\r\nc") << 1 << 3 << "junk" << "EditCut"
                                         << QByteArray("ac") << "1+0" << "b\r\n";
        QTest::newRow("Paste over [b]") << QByteArray("abc") << 1 << 1 << "XY" << "EditPaste"
                                        << QByteArray("aXYc") << "3+0" << "XY";
        QTest::newRow("Paste of nothing deletes") << QByteArray("abc") << 0 << 2 << "" << "EditPaste"
                                                  << QByteArray("c") << "0+0" << "";
        QTest::newRow("Paste euro, lone LF, a character the code page lacks")
            << QByteArray() << 0 << 0 << QString::fromUtf8("€\nж") << "EditPaste"
            << QByteArray("\x80\n?") << "3+0" << QString::fromUtf8("€\nж");
        QTest::newRow("Select All counts CR LF as two") << QByteArray("a\r\n\0b", 5) << 1 << 0 << ""
                                                        << "EditSelect" << QByteArray("a\r\n\0b", 5)
                                                        << "0+5" << "";
        QTest::newRow("Upper l[oad=\\xe9\\xff\\xdf\\x9a]") << QByteArray("load=\xe9\xff\xdf\x9a") << 1
                                                           << 8 << "" << "ProcessUpper"
                                                           << QByteArray("lOAD=\xc9\x9f\xdf\x8a")
                                                           << "1+8" << "";
        QTest::newRow("Lower [RUN=\\xc9\\x8a\\xb5\\x9d]") << QByteArray("RUN=\xc9\x8a\xb5\x9d") << 0 << 8
                                                          << "" << "ProcessLower"
                                                          << QByteArray("run=\xe9\x9a\xb5\x9d") << "0+8"
                                                          << "";
        QTest::newRow("Number Lines: CR alone ends no line")
            << QByteArray("a\r\nb\rc\n\nd") << 3 << 1 << "" << "ProcessNumber"
            << QByteArray("001  a\r\n002  b\rc\n003  \n004  d") << "0+0" << "";
        QByteArray lines, numbered;
        for (int line = 1; line <= 1000; ++line) {
            lines += line < 1000 ? "x\n" : "y";
            numbered += QByteArray::number(line).rightJustified(3, '0') + "  " + (line < 1000 ? "x\n" : "y");
        }
        QTest::newRow("Number Lines: four digits from line 1000") << lines << 0 << 0 << "" << "ProcessNumber"
                                                                  << numbered << "0+0" << "";
    }
    void commands()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, clipboard);
        QFETCH(QString, command);
        QFETCH(QByteArray, after);
        QFETCH(QString, selection);
        QFETCH(QString, clipboardAfter);

        Form1 form;
        TextBox &editor = *form.editor();
        editor.setText(text);
        editor.setSelection(start, length);
        QGuiApplication::clipboard()->setText(clipboard);
        run(form, command);
        QCOMPARE(editor.text(), after);
        QCOMPARE(QStringLiteral("%1+%2").arg(editor.selStart()).arg(editor.selLength()), selection);
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboardAfter);
        QCOMPARE(editor.isUndoAvailable(), after != text);
        if (after != text) {
            editor.undo();
            QCOMPARE(editor.text(), text);
        }
    }

    // The whole-text commands rewrite the editor a part at a time; parts of a few bytes put
    // every boundary (inside a line, a line longer than a part, a lone CR, no line end at the
    // end) into a short text, which must come out as in one part.
    void inParts_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Number Lines") << "number";
        QTest::newRow("Upper Case") << "upper";
        QTest::newRow("Lower Case") << "lower";
    }
    void inParts()
    {
        QFETCH(QString, command);
        const QByteArray text = "[Win]\r\nload=caf\xe9\rX\r\n" + QByteArray(23, 'q')
            + "\n\nKey=Value,C:\\WINDOWS\\X.DLL @AZ[`az{ End\xc9";
        Form1 form;
        TextBox &editor = *form.editor();
        const auto run = [&](qsizetype partSize) {
            editor.setText(text);
            editor.setSelection(2, text.size() - 3);
            if (command == "number")
                numberLines(editor, partSize);
            else
                changeCase(editor, command == "upper" ? codepage::upperTable() : codepage::lowerTable(),
                           partSize);
            return editor.text() + " at " + QByteArray::number(editor.selStart());
        };
        const QByteArray whole = run(1 << 20);
        if (command != "number") {
            // Every byte of the selection through the code page's table.
            const unsigned char *table = command == "upper" ? codepage::upperTable() : codepage::lowerTable();
            QByteArray mapped = text;
            for (qsizetype i = 2; i < text.size() - 1; ++i)
                mapped[i] = char(table[static_cast<unsigned char>(text[i])]);
            QCOMPARE(whole, mapped + " at 2");
        }
        for (const qsizetype partSize : {1, 2, 5, 8})
            QCOMPARE(run(partSize), whole);
        editor.undo();
        QCOMPARE(editor.text(), text);
    }

    // The box's own keys cross the clipboard, and take typed characters, through the code page.
    void keyboardUsesTheCodePage()
    {
        Form1 form;
        QWidget *input = form.editor()->inputWidget();
        for (const QString key : {QString::fromUtf8("€"), QString::fromUtf8("é")})
            QTest::sendKeyEvent(QTest::Click, input, Qt::Key_unknown, key, Qt::NoModifier);
        QCOMPARE(form.editor()->text(), QByteArray("\x80\xe9"));
        form.editor()->setSelection(0, 2);
        QTest::keyClick(input, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("€é"));
        QGuiApplication::clipboard()->setText(QString::fromUtf8("Œ\r"));
        form.editor()->setSelection(2, 0);
        QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.editor()->text(), QByteArray("\x80\xe9\x8c\r"));
    }

    // The font the text is drawn with: bold italic 12 point, then a plain one; the dialog offers
    // no effects and starts from its own last choice. A cancel changes nothing.
    void font()
    {
        Form1 form;
        TextBox &editor = *form.editor();
        editor.setText("[windows]");
        const auto choose = [&](const char *family, const char *style, qreal size, bool cancel) {
            QFont offered;
            bool effects = true;
            ModalWatcher pick(ModalWatcher::ofType<QFontDialog>(), [&](QWidget *w) {
                auto *dialog = static_cast<QFontDialog *>(w);
                offered = dialog->currentFont();
                const QList<QCheckBox *> boxes = dialog->findChildren<QCheckBox *>();
                effects = std::any_of(boxes.cbegin(), boxes.cend(),
                                      [dialog](QCheckBox *box) { return box->isVisibleTo(dialog); });
                QFont font{QString::fromLatin1(family)};
                font.setStyleName(QLatin1String(style));  // as the user picks it in the style list
                font.setPointSizeF(size);
                dialog->setCurrentFont(font);
                if (cancel)
                    dialog->reject();
                else
                    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            });
            run(form, "CustomFont");
            return pick.done() && !effects ? offered : QFont(QStringLiteral("(no dialog)"));
        };
        choose("DejaVu Serif", "Bold Italic", 12, false);
        QCOMPARE(form.commonDialog()->Flags, quint32(3));
        QCOMPARE(editor.textFont().family(), QStringLiteral("DejaVu Serif"));
        QVERIFY(editor.textFont().bold() && editor.textFont().italic());
        QCOMPARE(editor.textFont().pointSizeF(), 12.0);
        QCOMPARE(editor.text(), QByteArray("[windows]"));

        const QFont offered = choose("DejaVu Sans", "Book", 10, false);
        QCOMPARE(offered.family(), QStringLiteral("DejaVu Serif"));
        QVERIFY(offered.bold() && offered.italic());
        QCOMPARE(editor.textFont().family(), QStringLiteral("DejaVu Sans"));
        QVERIFY(!editor.textFont().bold() && !editor.textFont().italic());

        form.commonDialog()->CancelError = true;
        const QFont before = editor.textFont();
        choose("DejaVu Serif", "Bold", 20, true);
        QCOMPARE(editor.textFont(), before);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QColor>("back");
        QTest::addColumn<QColor>("fore");
        const QColor chosen(0x12, 0x34, 0x56);
        QTest::newRow("Page Color") << "CustomPage" << false << chosen << QColor();
        QTest::newRow("Text Color") << "CustomText" << false << QColor() << chosen;
        QTest::newRow("Text Color cancelled") << "CustomText" << true << QColor() << QColor();
    }

    // The dialog starts from the colour an earlier use left; a row's invalid colour stands for
    // the one the editor had.
    void colours()
    {
        QFETCH(QString, command);
        QFETCH(bool, cancel);
        QFETCH(QColor, back);
        QFETCH(QColor, fore);

        Form1 form;
        TextBox &editor = *form.editor();
        form.commonDialog()->CancelError = cancel;
        form.commonDialog()->Color = 0x00FF0000;  // blue, left by an earlier use
        const QColor oldBack = editor.backColor();
        const QColor oldFore = editor.foreColor();
        QColor offered;
        ModalWatcher pick(ModalWatcher::ofType<QColorDialog>(), [&](QWidget *w) {
            auto *dialog = static_cast<QColorDialog *>(w);
            offered = dialog->currentColor();
            dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
            if (cancel)
                dialog->reject();
            else
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        run(form, command);
        QVERIFY(pick.done());
        QCOMPARE(offered, QColor(0, 0, 255));
        QCOMPARE(editor.backColor(), back.isValid() ? back : oldBack);
        QCOMPARE(editor.foreColor(), fore.isValid() ? fore : oldFore);
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
