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
#include <QRandomGenerator>

#include <optional>

#include <sys/resource.h>

// The text, its selection, the clipboard before, the command; then the text, the selection
// and the clipboard after.
struct Command {
    QByteArray text;
    int start, length;
    QString clipboard, command;
    QByteArray after;
    int afterStart, afterLength;
    QString clipboardAfter;
};
// A command whose result the editor cannot take: beyond a small capacity, or with no memory.
struct NoRoom { QString command; bool memoryRunsOut; };
// The colour command, and whether its dialog is cancelled.
struct Colour { QString command; bool cancel; };

// The steps of a user's random session.
enum class Step { Load, Select, Type, Cut, Paste, Search, Repeat, Replace, ReplaceAll, Upper, Lower,
                  Number, Undo, Save, Count };

// What the editor and the search dialog hold, and what the commands make of it, each written
// as plainly as it can be: the search on a lower-case copy, Replace All as the loop of
// Replace it stands for, Number Lines line by line.
struct Model
{
    QByteArray text, clipboard, needle, with;
    qint64 start = 0, length = 0, found = 0, typedTo = -1;
    bool exact = false, replaceOn = false;
    QList<Model> undoSteps;

    void load(const QByteArray &bytes)
    {
        text = bytes, start = length = 0, typedTo = -1;
        undoSteps.clear();
    }
    void edit(qint64 at, qint64 size, const QByteArray &bytes)
    {
        undoSteps << Model{text};
        text.replace(at, size, bytes);
        start = at + bytes.size(), length = 0;
        typedTo = -1;
    }
    // Typed characters are one undo step with those typed just before at the same place; over
    // a selection, the first of them goes with the selection's deletion.
    void type(const QByteArray &typed)
    {
        const bool more = length == 0 && start == typedTo;
        const qsizetype first = length > 0 ? 1 : 0;
        if (first)
            edit(start, length, typed.first(1));
        if (more)
            text.insert(start, typed), start += typed.size();
        else if (typed.size() > first)
            edit(start, 0, typed.sliced(first));
        typedTo = start;
    }
    void undo()
    {
        if (undoSteps.isEmpty())
            return;
        text = undoSteps.takeLast().text;
        typedTo = -1;
    }
    qint64 position(const QByteArray &in, qint64 from) const
    {
        if (in.isEmpty() || from > in.size())
            return 0;
        const QByteArray t = exact ? in : codepage::toLower(in);
        const qint64 at = t.indexOf(exact ? needle : codepage::toLower(needle), from - 1);
        return at < 0 ? 0 : at + 1;
    }
    // A hit is selected, and turns the replace buttons on if `enables`; none turns them off.
    void find(qint64 from, bool enables)
    {
        found = position(text, from);
        replaceOn = found > 0 && (replaceOn || enables);
        if (found > 0)
            start = found - 1, length = needle.size();
    }
    void replaceAll()
    {
        QByteArray after = text;
        after.replace(start, length, with);
        qint64 caret = start + with.size();
        for (qint64 at = position(after, found + 1); at >= 1;) {
            after.replace(at - 1, needle.size(), with);
            caret = at - 1 + with.size();
            at = position(after, at + with.size() + 1);
        }
        edit(0, text.size(), after);
        start = caret, found = 0, replaceOn = false;
    }
    void number()
    {
        QByteArray numbered;
        QList<QByteArray> lines = text.split('\n');
        if (text.endsWith('\n'))  // a line end ends the last line; no empty one follows
            lines.removeLast();
        for (int i = 0; i < lines.size(); ++i)
            numbered += QByteArray::number(i + 1).rightJustified(3, '0') + "  " + lines[i]
                + (i + 1 < lines.size() || text.endsWith('\n') ? "\n" : "");
        if (!text.isEmpty())
            edit(0, text.size(), numbered);
        start = length = 0;
    }
};

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
        const QByteArray nul("a\r\n\0b", 5);
        QByteArray lines, numbered;
        for (int line = 1; line <= 1000; ++line) {
            lines += line < 1000 ? "x\n" : "y";
            numbered += QByteArray::number(line).rightJustified(3, '0') + "  " + (line < 1000 ? "x\n" : "y");
        }
        table<Command>({
            {"Copy of nothing empties the clipboard", {"abc", 1, 0, "junk", "EditCopy", "abc", 1, 0, ""}},
            {"Copy \\x80\\xe9: euro, e acute", {"\x80\xe9", 0, 2, "", "EditCopy", "\x80\xe9", 0, 2, "€é"}},
            {"Paste of nothing deletes", {"abc", 0, 2, "", "EditPaste", "c", 0, 0, ""}},
            {"Paste euro, lone LF, a character the code page lacks",
             {"", 0, 0, "€\nж", "EditPaste", "\x80\n?", 3, 0, "€\nж"}},
            {"Select All counts CR LF as two", {nul, 1, 0, "", "EditSelect", nul, 0, 5, ""}},
            {"Number Lines: four digits from line 1000",
             {lines, 0, 0, "", "ProcessNumber", numbered, 0, 0, ""}}});
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
        QCOMPARE(editor.selStart(), r.afterStart);
        QCOMPARE(editor.selLength(), r.afterLength);
        QCOMPARE(QGuiApplication::clipboard()->text(), r.clipboardAfter);
        QCOMPARE(editor.isUndoAvailable(), r.after != r.text);
        editor.undo();
        QCOMPARE(editor.text(), r.text);
    }

    // A random sequence of what a user does, through the window's keys, menus and the search
    // dialog's buttons, against a small model of the bytes, the selection, the clipboard, the
    // undo history and the search dialog, compared after every step.
    void commandsAgreeWithAModel()
    {
        TempDrive drive;
        Form1 form(drive.root());
        TextBox &editor = *form.editor();
        form.show();
        QGuiApplication::clipboard()->clear();
        run(form, "EditFind");
        Form2 &dialog = *form.search()->dialog();
        const auto button = [&dialog](const char *name) {
            return dialog.findChild<QAbstractButton *>(name);
        };
        Model m;
        QRandomGenerator random(2024);
        const auto some = [&random](const QByteArray &alphabet, int most) {
            QByteArray text(random.bounded(most + 1), ' ');
            for (char &c : text)
                c = alphabet.at(random.bounded(alphabet.size()));
            return text;
        };
        const auto key = [&form](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            form.activateWindow();  // as a click on its title bar does
            if (QTest::qWaitForWindowActive(&form))
                QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        };
        QStringList done;
        for (int step = 0; step < 400; ++step) {
            const auto command = step == 0 ? Step::Load : Step(random.bounded(int(Step::Count)));
            done << QString::number(int(command));
            ModalAnswer box(QMessageBox::Ok);
            switch (command) {
            case Step::Load:
                drive.write("windows/win.ini", some(QByteArray("aAbB \r\n\xe9\xc9\x80\0", 10), 30));
                run(form, "Command1");
                m.load(drive.read("windows/win.ini"));
                break;
            case Step::Select: {
                const qint64 start = random.bounded(m.text.size() + 1);
                m.start = start, m.length = random.bounded(m.text.size() - start + 1);
                editor.setSelection(m.start, m.length);
                break;
            }
            case Step::Type: {
                const QByteArray typed = some("abAB ", 3) + "b";
                form.activateWindow();
                if (QTest::qWaitForWindowActive(&form))
                    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
                m.type(typed);
                break;
            }
            case Step::Cut:
                key(Qt::Key_X, Qt::ControlModifier);
                if (m.length > 0) {
                    m.clipboard = m.text.mid(m.start, m.length);
                    m.edit(m.start, m.length, {});
                }
                break;
            case Step::Paste:
                if (m.clipboard.isEmpty() && m.length == 0)
                    break;
                run(form, "EditPaste");
                m.edit(m.start, m.length, m.clipboard);
                break;
            case Step::Search:
                m.needle = some("aAbB\xe9\xc9", 1) + "b", m.exact = random.bounded(2);
                dialog.findChild<QLineEdit *>("Text1")->setText(codepage::toUnicode(m.needle));
                dialog.findChild<QCheckBox *>("Check1")->setChecked(m.exact);
                button("FindButton")->click();
                m.find(1, true);
                break;
            case Step::Repeat:
                button("FindNextButton")->click();
                m.find(m.found + 1, false);
                break;
            case Step::Replace:
            case Step::ReplaceAll:
                if (!m.replaceOn)
                    break;
                m.with = some("xX\xe9", 2);
                dialog.findChild<QLineEdit *>("Text2")->setText(codepage::toUnicode(m.with));
                button(command == Step::Replace ? "ReplaceButton" : "ReplaceAllButton")->click();
                if (command == Step::Replace) {
                    m.edit(m.start, m.length, m.with);
                    m.find(m.found + 1, false);
                } else {
                    m.replaceAll();
                }
                break;
            case Step::Upper:
            case Step::Lower: {
                const bool upper = command == Step::Upper;
                run(form, upper ? "ProcessUpper" : "ProcessLower");
                const unsigned char *table = upper ? codepage::upperTable() : codepage::lowerTable();
                QByteArray changed = m.text.mid(m.start, m.length);
                for (char &c : changed)
                    c = char(table[static_cast<unsigned char>(c)]);
                const qint64 start = m.start, length = m.length;
                if (changed != m.text.mid(m.start, m.length))
                    m.edit(start, length, changed);
                m.start = start, m.length = length;
                break;
            }
            case Step::Number:
                run(form, "ProcessNumber");
                m.number();
                break;
            case Step::Undo:  // the text as it was; the caret where the component puts it
                key(Qt::Key_Z, Qt::ControlModifier);
                m.undo();
                m.start = editor.selStart(), m.length = editor.selLength();
                break;
            case Step::Save:
                run(form, "FileSave");
                break;
            case Step::Count:
                break;
            }
            [&] {
                QCOMPARE(editor.text(), m.text);
                QCOMPARE(editor.selStart(), m.start);
                QCOMPARE(editor.selLength(), m.length);
                QCOMPARE(QGuiApplication::clipboard()->text(), codepage::toUnicode(m.clipboard));
                if (command == Step::Save)
                    QCOMPARE(drive.read("windows/win.ini"), m.text);
            }();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable("after the steps " + done.join(' ')));
        }
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
