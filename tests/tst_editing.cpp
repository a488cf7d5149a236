#include "editing/casechange.h"
#include "platform/codepage.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"
#include "search/form2.h"
#include "search/searchcommands.h"
#include "oracle.h"
#include "support.h"

#include <Qsci/qsciscintillabase.h>

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <optional>

#include <sys/resource.h>

// The text, its selection, the clipboard before, the command; then the text, the selection
// and the clipboard after.
struct Command
{
    QByteArray text;
    int start, length;
    QString clipboard, command;
    QByteArray after;
    int afterStart, afterLength;
    QString clipboardAfter;
};
// A command whose result the editor cannot take: beyond a small capacity, or with no memory.
struct NoRoom { QString command; bool memoryRunsOut; };
struct Colour { QString command; bool cancel; };

// What a user does in the random session.
enum class Step { Load, Select, Type, Cut, Paste, Search, Repeat, Replace, ReplaceAll, Upper,
                  Lower, Number, Undo, Redo, Save, Count };

// What the editor and the search dialog hold, and what the commands make of it, written as
// plainly as can be: the search and Replace All as the fuzz targets' oracles state them,
// Number Lines line by line.
struct Model
{
    QByteArray text, clipboard, needle, with;
    qint64 start = 0, length = 0, found = 0, typedTo = -1;
    bool exact = false, replaceOn = false;
    QList<QByteArray> undoSteps, redoSteps;

    void edit(qint64 at, qint64 size, const QByteArray &bytes)
    {
        undoSteps << text;
        redoSteps.clear();
        text.replace(at, size, bytes);
        start = at + bytes.size(), length = 0, typedTo = -1;
    }
    // Typed characters are one undo step with those typed just before at the same place; over
    // a selection, the first of them is one with the selection's deletion.
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
    // A hit is selected, and turns the replace buttons on if `enables`; none turns them off.
    void find(qint64 from, bool enables)
    {
        found = oracle::find(text, needle, from, exact);
        replaceOn = found > 0 && (replaceOn || enables);
        if (found > 0)
            start = found - 1, length = needle.size();
    }
    void replaceAll()
    {
        qint64 caret = 0;
        const QByteArray after
            = oracle::replaceAll(text, start, length, needle, with, found, exact, caret);
        edit(0, text.size(), after);
        start = caret, found = 0, replaceOn = false;
    }
    void changeCase(const unsigned char *table)
    {
        const qint64 from = start, size = length;
        QByteArray changed = text.mid(start, length);
        for (char &c : changed)
            c = char(table[static_cast<unsigned char>(c)]);
        if (changed != text.mid(start, length))
            edit(from, size, changed);
        start = from, length = size;
    }
    void number()  // a line end ends the last line: no empty one follows it
    {
        QByteArray numbered;
        QList<QByteArray> lines = text.split('\n');
        if (text.endsWith('\n'))
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
        rlimit limited = m_old;
        limited.rlim_cur = rlim_t(size.left(size.indexOf(' ')).toLongLong() * 1024 + headroom);
        ::setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &m_old); }
    rlimit m_old{};
};

// Clicks OK in a standard dialog of Qt's, or Cancel.
void answer(QDialog *dialog, bool cancel)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    buttons->button(cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
}

}

// The Edit, Edit Text and Text Customization menus and the search dialog, through the main
// window. Number Lines and the search over any bytes are the fuzz targets' (replayed by CTest).
class TestEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A random session of what a user does, through the window's keys, menus and the search
    // dialog's buttons, against the model, compared after every step.
    void commandsAgreeWithAModel()
    {
        // Commands that change more than 8 bytes keep their undo as big changes, the others
        // through the component: the session goes through both.
        textlimits::setBigChange(8);
        const auto restore = qScopeGuard([] { textlimits::setBigChange(-1); });
        TempDrive drive;
        Form1 form(drive.root());
        TextBox &editor = *form.editor();
        form.show();
        QGuiApplication::clipboard()->clear();
        run(form, "EditFind");
        Form2 &dialog = *form.search()->dialog();
        const auto click = [&dialog](const char *name) {  // answering the box it may show
            ModalAnswer box(QMessageBox::Ok);
            clickOn(dialog.findChild<QAbstractButton *>(name));
        };
        Model m;
        QRandomGenerator random(2024);
        const auto some = [&random](const QByteArray &alphabet, int most) {
            QByteArray text(random.bounded(most + 1), ' ');
            for (char &c : text)
                c = alphabet.at(random.bounded(alphabet.size()));
            return text;
        };
        QStringList done;
        for (int i = 0; i < 400; ++i) {
            const auto step = i == 0 ? Step::Load : Step(random.bounded(int(Step::Count)));
            done << QString::number(int(step));
            switch (step) {
            case Step::Load:
                drive.write("windows/win.ini",
                            some(QByteArray("aaaAb \r\n\xe9\xc9\x80\0", 12), 30));
                run(form, "Command1");
                clickOn(form.editor());  // back from the button, the caret where it was clicked
                m.text = drive.read("windows/win.ini"), m.typedTo = -1;
                m.start = editor.selStart(), m.length = 0;
                m.undoSteps.clear(), m.redoSteps.clear();
                break;
            case Step::Select:
                m.start = random.bounded(m.text.size() + 1);
                m.length = random.bounded(m.text.size() - m.start + 1);
                editor.setSelection(m.start, m.length);
                break;
            case Step::Type: {
                const QByteArray typed = some("abAB ", 3) + "b";
                QTest::keyClicks(focusIn(form), QString::fromLatin1(typed));
                m.type(typed);
                break;
            }
            case Step::Cut:
                QTest::keyClick(focusIn(form), Qt::Key_X, Qt::ControlModifier);
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
                m.needle = some("aA\xe9", 1) + "a", m.exact = random.bounded(2);
                dialog.findChild<QLineEdit *>("Text1")->setText(codepage::toUnicode(m.needle));
                dialog.findChild<QCheckBox *>("Check1")->setChecked(m.exact);
                click("FindButton");
                m.find(1, true);
                [[fallthrough]];  // and Repeat, now and then, over hits that overlap
            case Step::Repeat:
                for (int times = random.bounded(3); times > 0; --times) {
                    click("FindNextButton");
                    m.find(m.found + 1, false);
                }
                break;
            case Step::Replace:
            case Step::ReplaceAll:
                if (!m.replaceOn)
                    break;
                m.with = some("xX\xe9", 2);
                dialog.findChild<QLineEdit *>("Text2")->setText(codepage::toUnicode(m.with));
                click(step == Step::Replace ? "ReplaceButton" : "ReplaceAllButton");
                if (step == Step::ReplaceAll)
                    m.replaceAll();
                else
                    m.edit(m.start, m.length, m.with), m.find(m.found + 1, false);
                break;
            case Step::Upper:
                run(form, "ProcessUpper");
                m.changeCase(codepage::upperTable());
                break;
            case Step::Lower:
                run(form, "ProcessLower");
                m.changeCase(codepage::lowerTable());
                break;
            case Step::Number:
                run(form, "ProcessNumber");
                m.number();
                break;
            case Step::Undo:  // the text as it was; the caret where the component puts it
            case Step::Redo: {
                const bool undo = step == Step::Undo;
                QTest::keyClick(focusIn(form), undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
                QList<QByteArray> &from = undo ? m.undoSteps : m.redoSteps;
                if (!from.isEmpty()) {
                    (undo ? m.redoSteps : m.undoSteps) << m.text;
                    m.text = from.takeLast(), m.typedTo = -1;
                }
                m.start = editor.selStart(), m.length = editor.selLength();
                break;
            }
            case Step::Save:
            case Step::Count:
                run(form, "FileSave");
                break;
            }
            [&] {
                QCOMPARE(editor.text(), m.text);
                QCOMPARE(editor.selStart(), m.start);
                QCOMPARE(editor.selLength(), m.length);
                QCOMPARE(QGuiApplication::clipboard()->text(), codepage::toUnicode(m.clipboard));
                if (step == Step::Save)
                    QCOMPARE(drive.read("windows/win.ini"), m.text);
            }();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable("after the steps " + done.join(' ')));
        }
    }

    // What the session leaves to chance.
    void commands_data()
    {
        const QByteArray nul("a\r\n\0b", 5);
        QByteArray lines, numbered;
        for (int line = 1; line <= 1000; ++line) {
            lines += line < 1000 ? "x\n" : "y";
            numbered += QByteArray::number(line).rightJustified(3, '0') + "  "
                + (line < 1000 ? "x\n" : "y");
        }
        table<Command>({{"Copy of nothing empties the clipboard",
                            {"abc", 1, 0, "junk", "EditCopy", "abc", 1, 0, ""}},
            {"Copy \\x80\\xe9: euro, e acute",
                {"\x80\xe9", 0, 2, "", "EditCopy", "\x80\xe9", 0, 2, "€é"}},
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
        editor.undo();
        QCOMPARE(editor.text(), r.text);
    }

    // Case commands rewrite the editor a part at a time; parts of a few bytes put every
    // boundary into a short text, which must come out as in one part.
    void caseInParts()
    {
        const QByteArray text = "[Win]\r\nload=caf\xe9\rX\r\nKey=Value,C:\\X.DLL @AZ[`az{ End\xc9";
        TextBox editor;
        for (const unsigned char *table : {codepage::upperTable(), codepage::lowerTable()}) {
            Model m{text};
            m.start = 2, m.length = text.size() - 3;
            m.changeCase(table);
            for (const qsizetype partSize : {1, 2, 5, 8}) {
                editor.setText(text);
                editor.setSelection(2, text.size() - 3);
                changeCase(editor, table, partSize);
                QCOMPARE(editor.text(), m.text);
            }
        }
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
        form.show();
        TextBox &editor = *form.editor();
        const QByteArray text = QByteArray("a\n").repeated(r.memoryRunsOut ? 4 << 20 : 100);
        editor.setText(text);
        QTest::keyClick(focusIn(form), Qt::Key_X);
        QGuiApplication::clipboard()->setText(QString(300, 'c'));
        run(form, "EditFind");
        auto &dialog = *form.search()->dialog();
        dialog.findChild<QLineEdit *>("Text1")->setText("a");
        dialog.findChild<QLineEdit *>("Text2")->setText(QString(300, 'b'));
        clickOn(dialog.findChild<QAbstractButton *>("FindButton"));
        editor.setSelection(0, 0);
        std::optional<AddressSpaceLimit> limit;
        textlimits::limitCapacity(r.memoryRunsOut ? -1 : editor.length() + 10);
        if (r.memoryRunsOut)
            limit.emplace(16 << 20);
        ModalAnswer box(QMessageBox::Ok);
        if (r.command == "Ctrl+V")
            QTest::keySequence(focusIn(form), QKeySequence(r.command));
        else if (auto *button = dialog.findChild<QAbstractButton *>(r.command))
            clickOn(button);
        else
            run(form, r.command);
        limit.reset();
        textlimits::limitCapacity(-1);
        QVERIFY2(!box.plainText().startsWith('('), qPrintable(box.plainText()));
        QCOMPARE(editor.text(), "x" + text);
        editor.undo();
        QCOMPARE(editor.text(), text);
    }

    // The font the text is drawn with: bold italic 12 point, then a plain one; the dialog
    // offers no effects, shows a whole line in its sample and starts from its own last choice.
    // A cancel changes nothing.
    void font()
    {
        Form1 form;
        TextBox &editor = *form.editor();
        QFont offered;
        const auto choose = [&](const char *family, const char *style, qreal size, bool cancel) {
            ModalWatcher pick(QFontDialog::staticMetaObject, [&](QWidget *w) {
                auto *dialog = static_cast<QFontDialog *>(w);
                for (const QCheckBox *effect : dialog->findChildren<QCheckBox *>())
                    QVERIFY(!effect->isVisibleTo(dialog));
                for (const QGroupBox *group : dialog->findChildren<QGroupBox *>())
                    if (const auto *sample = group->findChild<QLineEdit *>())
                        QVERIFY(sample->height() >= sample->fontMetrics().height());
                offered = dialog->currentFont();
                QFont font{QString::fromLatin1(family)};
                font.setStyleName(QLatin1String(style));  // as picked in the style list
                font.setPointSizeF(size);
                dialog->setCurrentFont(font);
                answer(dialog, cancel);
            });
            run(form, "CustomFont");
            QVERIFY(pick.done());
        };
        choose("DejaVu Serif", "Bold Italic", 12, false);
        const QFont first = editor.textFont();
        QCOMPARE(first.family(), QStringLiteral("DejaVu Serif"));
        QVERIFY(first.bold() && first.italic() && first.pointSizeF() == 12);
        QCOMPARE(form.commonDialog()->Flags, quint32(3));
        choose("DejaVu Sans", "Book", 10, false);
        QCOMPARE(offered.styleName(), QStringLiteral("Bold Italic"));
        QVERIFY(!editor.textFont().bold() && !editor.textFont().italic());
        form.commonDialog()->CancelError = true;
        choose("DejaVu Serif", "Bold", 20, true);
        QCOMPARE(editor.textFont().pointSizeF(), 10);
    }

    // The dialog starts from the colour an earlier use left (blue); OK sets the page or the
    // text colour, and the caret's with the text, Cancel neither.
    void colours_data()
    {
        table<Colour>({{"Page Color", {"CustomPage", false}},
                       {"Text Color", {"CustomText", false}},
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
        auto &sci = *qobject_cast<QsciScintillaBase *>(editor.inputWidget());
        const long caret = sci.SendScintilla(QsciScintillaBase::SCI_GETCARETFORE);
        QCOMPARE(QColor(caret & 0xff, (caret >> 8) & 0xff, caret >> 16), editor.foreColor());
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
