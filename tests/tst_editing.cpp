#include "editing/casechange.h"
#include "editing/numberlines.h"
#include "platform/codepage.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"
#include "search/form2.h"
#include "search/searchcommands.h"
#include "support.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

#include <sys/resource.h>

// The text, its selection, the clipboard before, the command; then the text, the selection
// ("start+length") and the clipboard after.
struct Command {
    QByteArray text;
    int start, length;
    QString clipboard, command;
    QByteArray after;
    QString selection, clipboardAfter;
};
// A command whose result the editor cannot take: beyond a small capacity, or with no memory.
struct NoRoom { QString command; bool memoryRunsOut; };
// The colour command, and whether its dialog is cancelled.
struct Colour { QString command; bool cancel; };

namespace {

// The address space of the process limited to `headroom` bytes beyond what it has, for as long
// as it lives: an allocation beyond that fails.
struct AddressSpaceLimit
{
    explicit AddressSpaceLimit(qint64 headroom)
    {
        ::getrlimit(RLIMIT_AS, &m_old);
        QFile status("/proc/self/status");
        status.open(QIODevice::ReadOnly);
        const QByteArray text = status.readAll();
        const QByteArray size = text.mid(text.indexOf("VmSize:") + 7).trimmed();
        const qint64 kib = size.left(size.indexOf(' ')).toLongLong();
        rlimit limited = m_old;
        limited.rlim_cur = rlim_t(kib * 1024 + headroom);
        ::setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &m_old); }
    rlimit m_old{};
};

// Clicks OK in a standard dialog of Qt's, or Cancel.
void answer(QDialog *dialog, bool cancel)
{
    dialog->findChild<QDialogButtonBox *>()->button(cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
}

}

// The Edit, Edit Text and Text Customization menus, through the main window's menu items.
// Number Lines and the case tables over any bytes are the fuzz targets' (replayed by CTest).
class TestEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A change is one undo step.
    void commands_data()
    {
        QByteArray lines, numbered;
        for (int line = 1; line <= 1000; ++line) {
            lines += line < 1000 ? "x\n" : "y";
            numbered += QByteArray::number(line).rightJustified(3, '0') + "  " + (line < 1000 ? "x\n" : "y");
        }
        table<Command>({{"Copy [ab]c", {"abc", 0, 2, "junk", "EditCopy", "abc", "0+2", "ab"}},
                        {"Copy of nothing empties the clipboard", {"abc", 1, 0, "junk", "EditCopy", "abc", "1+0", ""}},
                        {"Copy \\x80\\xe9: euro, e acute", {"\x80\xe9", 0, 2, "", "EditCopy", "\x80\xe9", "0+2", "€é"}},
                        {"Cut a[b\\r\\n]c", {"ab\r\nc", 1, 3, "junk", "EditCut", "ac", "1+0", "b\r\n"}},
                        {"Paste over [b]", {"abc", 1, 1, "XY", "EditPaste", "aXYc", "3+0", "XY"}},
                        {"Paste of nothing deletes", {"abc", 0, 2, "", "EditPaste", "c", "0+0", ""}},
                        {"Paste euro, lone LF, a character the code page lacks", {"", 0, 0, "€\nж", "EditPaste", "\x80\n?", "3+0", "€\nж"}},
                        {"Select All counts CR LF as two", {QByteArray("a\r\n\0b", 5), 1, 0, "", "EditSelect", QByteArray("a\r\n\0b", 5), "0+5", ""}},
                        {"Upper l[oad=\\xe9\\xff\\xdf\\x9a]", {"load=\xe9\xff\xdf\x9a", 1, 8, "", "ProcessUpper", "lOAD=\xc9\x9f\xdf\x8a", "1+8", ""}},
                        {"Lower [RUN=\\xc9\\x8a\\xb5\\x9d]", {"RUN=\xc9\x8a\xb5\x9d", 0, 8, "", "ProcessLower", "run=\xe9\x9a\xb5\x9d", "0+8", ""}},
                        {"Number Lines: CR alone ends no line", {"a\r\nb\rc\n\nd", 3, 1, "", "ProcessNumber", "001  a\r\n002  b\rc\n003  \n004  d", "0+0", ""}},
                        {"Number Lines: four digits from line 1000", {lines, 0, 0, "", "ProcessNumber", numbered, "0+0", ""}}});
    }
    void commands()
    {
        const Command &r = row<Command>();
        Form1 form;
        TextBox &editor = *form.editor();
        editor.setText(r.text);
        editor.setSelection(r.start, r.length);
        QGuiApplication::clipboard()->setText(r.clipboard);
        run(form, r.command);
        QCOMPARE(editor.text(), r.after);
        QCOMPARE(QStringLiteral("%1+%2").arg(editor.selStart()).arg(editor.selLength()), r.selection);
        QCOMPARE(QGuiApplication::clipboard()->text(), r.clipboardAfter);
        QCOMPARE(editor.isUndoAvailable(), r.after != r.text);
        editor.undo();
        QCOMPARE(editor.text(), r.text);
    }

    // The whole-text commands rewrite the editor a part at a time; parts of a few bytes put
    // every boundary (inside a line, a line longer than a part, a lone CR, no line end at the
    // end) into a short text, which must come out as in one part.
    void inParts_data()
    {
        table<QString>({{"number", "number"}, {"upper", "upper"}, {"lower", "lower"}});
    }
    void inParts()
    {
        const QString &command = row<QString>();
        const QByteArray text = "[Win]\r\nload=caf\xe9\rX\r\n" + QByteArray(23, 'q')
            + "\n\nKey=Value,C:\\WINDOWS\\X.DLL @AZ[`az{ End\xc9";
        const unsigned char *table = command == "upper" ? codepage::upperTable() : codepage::lowerTable();
        TextBox editor;
        const auto run = [&](qsizetype partSize) {
            editor.setText(text);
            editor.setSelection(2, text.size() - 3);
            if (command == "number")
                numberLines(editor, partSize);
            else
                changeCase(editor, table, partSize);
            return editor.text() + " at " + QByteArray::number(editor.selStart());
        };
        const QByteArray whole = run(1 << 20);
        if (command != "number") {  // every byte of the selection through the code page's table
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

    // A command the editor cannot take refuses in a plain box before changing anything: the
    // text, and the undo step typed before it, stay as they were.
    void noRoom_data()
    {
        table<NoRoom>({{"Paste", {"EditPaste", false}},
                       {"Paste by keys", {"Ctrl+V", false}},
                       {"Number Lines", {"ProcessNumber", false}},
                       {"Replace All", {"ReplaceAllButton", false}},
                       {"Number Lines, no memory", {"ProcessNumber", true}}});
    }
    void noRoom()
    {
        const NoRoom &r = row<NoRoom>();
#if defined(__SANITIZE_ADDRESS__)
        if (r.memoryRunsOut)
            QSKIP("AddressSanitizer keeps a large address space of its own");
#endif
        Form1 form;
        TextBox &editor = *form.editor();
        const QByteArray text = QByteArray("a\n").repeated(r.memoryRunsOut ? 4 << 20 : 100);
        editor.setText(text);
        QTest::keyClick(editor.inputWidget(), Qt::Key_X);
        QGuiApplication::clipboard()->setText(QString(300, 'c'));
        run(form, "EditFind");
        auto &dialog = *form.search()->dialog();
        dialog.findChild<QLineEdit *>("Text1")->setText("a");
        dialog.findChild<QLineEdit *>("Text2")->setText(QString(300, 'b'));
        dialog.findChild<QAbstractButton *>("FindButton")->click();
        editor.setSelection(0, 0);
        std::optional<AddressSpaceLimit> limit;
        textlimits::limitCapacity(editor.length() + 10);
        if (r.memoryRunsOut) {
            textlimits::limitCapacity(-1);
            limit.emplace(16 << 20);
        }
        ModalAnswer box(QMessageBox::Ok);
        if (r.command == "Ctrl+V")
            QTest::keySequence(editor.inputWidget(), QKeySequence(r.command));
        else if (auto *button = dialog.findChild<QAbstractButton *>(r.command))
            button->click();
        else
            run(form, r.command);
        limit.reset();
        textlimits::limitCapacity(-1);
        QVERIFY(box.answered());
        QVERIFY2(!box.plainText().startsWith('('), qPrintable(box.plainText()));
        QCOMPARE(editor.text(), "x" + text);
        editor.undo();
        QCOMPARE(editor.text(), text);
    }

    // The box's own keys cross the clipboard, and take typed characters, through the code page.
    void keyboardUsesTheCodePage()
    {
        Form1 form;
        QWidget *input = form.editor()->inputWidget();
        for (const QString key : {"€", "é"})
            QTest::sendKeyEvent(QTest::Click, input, Qt::Key_unknown, key, Qt::NoModifier);
        form.editor()->setSelection(0, 2);
        QTest::keyClick(input, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("€é"));
        QGuiApplication::clipboard()->setText(QStringLiteral("Œ\r"));
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
            QString offered = "(no dialog)";
            ModalWatcher pick(QFontDialog::staticMetaObject, [&](QWidget *w) {
                auto *dialog = static_cast<QFontDialog *>(w);
                const QList<QCheckBox *> boxes = dialog->findChildren<QCheckBox *>();
                if (std::none_of(boxes.cbegin(), boxes.cend(),
                                 [dialog](QCheckBox *box) { return box->isVisibleTo(dialog); }))
                    offered = dialog->currentFont().family() + " " + dialog->currentFont().styleName();
                // The sample shows a whole line of text.
                for (const QGroupBox *group : dialog->findChildren<QGroupBox *>()) {
                    const auto *sample = group->findChild<QLineEdit *>();
                    if (sample && sample->height() < sample->fontMetrics().height())
                        offered = "a sample too low for its text";
                }
                QFont font{QString::fromLatin1(family)};
                font.setStyleName(QLatin1String(style));  // as the user picks it in the style list
                font.setPointSizeF(size);
                dialog->setCurrentFont(font);
                answer(dialog, cancel);
            });
            run(form, "CustomFont");
            const QFont f = editor.textFont();
            return offered + " > " + f.family() + (f.bold() ? " bold" : "") + (f.italic() ? " italic" : "") + " "
                + QString::number(f.pointSizeF());
        };
        const QString first = choose("DejaVu Serif", "Bold Italic", 12, false);
        QCOMPARE(first.section(" > ", 1), "DejaVu Serif bold italic 12");
        QCOMPARE(form.commonDialog()->Flags, quint32(3));
        QCOMPARE(editor.text(), QByteArray("[windows]"));
        QCOMPARE(choose("DejaVu Sans", "Book", 10, false), "DejaVu Serif Bold Italic > DejaVu Sans 10");
        form.commonDialog()->CancelError = true;
        QCOMPARE(choose("DejaVu Serif", "Bold", 20, true).section(" > ", 1), "DejaVu Sans 10");
    }

    // The dialog starts from the colour an earlier use left (blue); OK sets the page or the
    // text colour, Cancel neither.
    void colours_data()
    {
        table<Colour>({{"Page Color", {"CustomPage", false}}, {"Text Color", {"CustomText", false}},
                       {"Text Color cancelled", {"CustomText", true}}});
    }
    void colours()
    {
        const auto &[command, cancel] = row<Colour>();
        Form1 form;
        TextBox &editor = *form.editor();
        form.commonDialog()->CancelError = cancel;
        form.commonDialog()->Color = 0x00FF0000;
        const QColor chosen(0x12, 0x34, 0x56), back = editor.backColor(), fore = editor.foreColor();
        QColor offered;
        ModalWatcher pick(QColorDialog::staticMetaObject, [&](QWidget *w) {
            auto *dialog = static_cast<QColorDialog *>(w);
            offered = dialog->currentColor();
            dialog->setCurrentColor(chosen);
            answer(dialog, cancel);
        });
        run(form, command);
        QCOMPARE(offered, QColor(Qt::blue));
        QCOMPARE(editor.backColor(), command == "CustomPage" ? chosen : back);
        QCOMPARE(editor.foreColor(), command == "CustomText" && !cancel ? chosen : fore);
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
