// The system code page: chosen from the locale, each byte drawn and typed as its page's
// character, every byte kept through each way text crosses, case by the old platform's rule.
// Each case chooses its page itself, so the tests pass under any locale.
#include "platform/codepage.h"
#include "platform/textbox.h"
#include "search/form2.h"
#include "search/searchcommands.h"
#include "support.h"

#include <Qsci/qsciscintillabase.h>

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>

#include <array>
#include <iconv.h>
#include <locale.h>
#include <map>
#include <numeric>
#include <wctype.h>

namespace {

constexpr char32_t None = 0xFFFFFFFF;

// What glibc's converter makes of one byte of a page: its character, or None where the page
// leaves the byte undefined.
char32_t converted(int page, unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-32LE", ("CP" + QByteArray::number(page)).constData());
    char in = char(byte);
    char32_t out[4] = {};
    char *from = &in;
    auto *to = reinterpret_cast<char *>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    const bool taken = iconv(cd, &from, &inLeft, &to, &outLeft) != size_t(-1)
        && iconv(cd, nullptr, nullptr, &to, &outLeft) != size_t(-1);  // what it held back
    iconv_close(cd);
    return taken && outLeft == sizeof out - 4 ? out[0] : None;
}

QByteArray everyByte()
{
    QByteArray bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0');
    return bytes;
}

QByteArray componentText(TextBox &box)
{
    auto &sci = *qobject_cast<QsciScintillaBase *>(box.inputWidget());
    QByteArray utf8(int(sci.SendScintilla(QsciScintillaBase::SCI_GETLENGTH)), '\0');
    sci.SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, 0UL, utf8.size(), utf8.data());
    return utf8;
}

std::map<QByteArray, QByteArray> environment;
QByteArray environmentValue(const char *name) { return environment[name]; }

// Typed a character at a time, as a keyboard of that language types them.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

struct LocaleRow { std::map<QByteArray, QByteArray> variables; int page; };
// The page, the text typed, the command (none: the search dialog finds `searched`), the bytes
// changed or found.
struct CaseRow
{
    int page;
    QString typed;
    const char *command;
    QByteArray result;
    QString searched;
};
struct DrawnRow { int page; QByteArray byte; QString drawn; };

}

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { codepage::use(1252); }

    void fromLocale_data()
    {
        table<LocaleRow>({
            {"Russian, UTF-8", {{{"LANG", "ru_RU.UTF-8"}}, 1251}},
            {"Polish, no charset", {{{"LANG", "pl_PL"}}, 1250}},
            {"Turkish", {{{"LANG", "tr_TR.UTF-8"}}, 1254}},
            {"Serbian in Latin letters", {{{"LANG", "sr_RS@latin"}}, 1250}},
            {"Kurdish of Turkey by territory", {{{"LANG", "ku_TR.UTF-8"}}, 1254}},
            {"C", {{{"LANG", "C"}}, 1252}},
            {"nothing set", {{}, 1252}},
            {"Japanese keeps 1252", {{{"LANG", "ja_JP.UTF-8"}}, 1252}},
            {"LC_ALL over LANG", {{{"LC_ALL", "el_GR.UTF-8"}, {"LANG", "ru_RU.UTF-8"}}, 1253}},
            {"LC_CTYPE over LANG", {{{"LC_CTYPE", "he_IL"}, {"LANG", "en_US"}}, 1255}},
            {"empty LC_ALL skipped", {{{"LC_ALL", ""}, {"LANG", "lt_LT"}}, 1257}},
        });
    }
    void fromLocale()
    {
        environment = row<LocaleRow>().variables;
        QCOMPARE(codepage::fromLocale(environmentValue), row<LocaleRow>().page);
    }

    // Each page against glibc's converter and C.UTF-8's simple case mappings, with the rule:
    // a mapping counts only where it maps back and the page holds it.
    void pagesAgreeWithIconv_data()
    {
        QTest::addColumn<int>("page");
        for (const int page : codepage::pages())
            QTest::newRow(qPrintable(QString::number(page))) << page;
    }
    void pagesAgreeWithIconv()
    {
        QFETCH(int, page);
        codepage::use(page);
        locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        QVERIFY(utf8);
        std::array<char32_t, 256> characters{};
        std::map<char32_t, int> byteOf;
        for (int b = 0; b < 256; ++b) {
            characters[b] = converted(page, static_cast<unsigned char>(b));
            byteOf[characters[b]] = b;
            const bool undefined = characters[b] == None;
            QCOMPARE(codepage::isUndefined(static_cast<unsigned char>(b)), undefined);
            if (!undefined)
                QCOMPARE(char32_t(codepage::toUnicode(static_cast<unsigned char>(b)).unicode()),
                         characters[b]);
        }
        const QByteArray all = everyByte();
        QCOMPARE(codepage::fromUnicode(codepage::toUnicode(all)), all);
        QCOMPARE(codepage::fromUtf8(codepage::toUtf8(all)), all);
        const auto expected = [&](int b, auto map, auto back) {
            const char32_t c = characters[b];
            const auto mapped = char32_t(map(wint_t(c), utf8));
            const bool kept = c != None && mapped != c && byteOf.count(mapped)
                && char32_t(back(wint_t(mapped), utf8)) == c;
            return kept ? byteOf[mapped] : b;
        };
        for (int b = 0; b < 256; ++b) {
            QCOMPARE(int(codepage::upperTable()[b]), expected(b, towupper_l, towlower_l));
            QCOMPARE(int(codepage::lowerTable()[b]), expected(b, towlower_l, towupper_l));
        }
        freelocale(utf8);
    }

    // All 256 bytes through the window: quick-loaded and saved, copied and pasted by keys, typed
    // through the accessibility interface, and shown to it as the page's characters.
    void everyByteCrosses_data() { pagesAgreeWithIconv_data(); }
    void everyByteCrosses()
    {
        QFETCH(int, page);
        codepage::use(page);
        const QByteArray all = everyByte();
        TempDrive drive;
        drive.write("windows/win.ini", all);
        Form1 form(drive.root());
        TextBox &box = *form.editor();
        run(form, "Command1");
        clickOn(&box);  // back from the button
        QCOMPARE(box.text(), all);
        QCOMPARE(componentText(box), codepage::toUtf8(all));

        QWidget *input = box.inputWidget();
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_C, Qt::Key_End, Qt::Key_V})
            QTest::keyClick(focusIn(form), key, Qt::ControlModifier);
        QCOMPARE(box.text(), all + all);

        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(input);
        accessible->editableTextInterface()->insertText(256, codepage::toUnicode(all));
        QCOMPARE(box.text(), all + all + all);
        QCOMPARE(accessible->textInterface()->text(256, 512), codepage::toUnicode(all));
        QCOMPARE(accessible->textInterface()->characterCount(), 768);

        box.setText(all);
        run(form, "FileSave");
        QCOMPARE(drive.read("windows/win.ini"), all);
    }

    // What the component is given to draw is the page's character, not the byte's Latin-1 one.
    void drawnAsThePage_data()
    {
        table<DrawnRow>({{"1252 0x80", {1252, "\x80", "€"}},
                         {"1251 0xC0", {1251, "\xc0", "А"}}});
    }
    void drawnAsThePage()
    {
        const DrawnRow &r = row<DrawnRow>();
        codepage::use(r.page);
        Form1 form;
        form.editor()->setText(r.byte);
        QCOMPARE(componentText(*form.editor()), r.drawn.toUtf8());
    }

    // Typed into the box, then changed by a menu command or found by the search dialog, whose
    // box takes the same text typed.
    void typedAndChanged_data()
    {
        table<CaseRow>({
            {"1251 upper", {1251, "чай Я", "ProcessUpper", "\xd7\xc0\xc9 \xdf"}},
            {"1251 search ignores case",
             {1251, "ЧАЙ чай", nullptr, "\xd7\xc0\xc9", "чай"}},
            {"1250 lower keeps the letters", {1250, "ŁÓDŹ", "ProcessLower", "\xb3\xf3\x64\x9f"}},
            {"1254 i and I, dotless stays", {1254, "iı", "ProcessUpper", "I\xfd"}},
            {"1253 final sigma kept", {1253, "σοφός", "ProcessUpper", "\xd3\xcf\xd6\xbc\xf2"}},
            {"1252 lacks Cyrillic", {1252, "яé", "ProcessUpper", "?\xc9"}},
            {"1252 search box shows what it finds",
             {1252, "ЖАР жар", nullptr, "???", "жар"}},
        });
    }
    void typedAndChanged()
    {
        const CaseRow &r = row<CaseRow>();
        codepage::use(r.page);
        Form1 form;
        TextBox &box = *form.editor();
        type(focusIn(form), r.typed);
        if (!r.command) {
            run(form, "EditFind");
            Form2 &dialog = *form.search()->dialog();
            auto *searchBox = dialog.findChild<QLineEdit *>("Text1");
            const QString &typed = r.searched;
            clickOn(searchBox);
            type(QApplication::focusWidget(), typed);
            QCOMPARE(searchBox->text(), codepage::toUnicode(codepage::fromUnicode(typed)));
            clickOn(dialog.findChild<QAbstractButton *>("FindButton"));
            QCOMPARE(box.selectedText(), r.result);
            QCOMPARE(box.selStart(), 0);
            return;
        }
        run(form, "EditSelect");
        run(form, r.command);
        QCOMPARE(box.text(), r.result);
        QCOMPARE(componentText(box), codepage::toUtf8(r.result));  // drawn as they are
    }

    // Text from an input method and text dropped from another program go in as the page holds
    // them.
    void inputMethodAndDrop()
    {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TextBox &box = *form.editor();
        auto *input = qobject_cast<QAbstractScrollArea *>(box.inputWidget());
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("я€"));
        QApplication::sendEvent(focusIn(form), &composed);
        QCOMPARE(box.text(), QByteArray("?\x80"));
        QCOMPARE(componentText(box), codepage::toUtf8(box.text()));

        QMimeData dragged;
        dragged.setText(QStringLiteral("Ж‰"));
        const QPoint at = input->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(input->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(input->viewport(), &drop);
        QCOMPARE(box.text(), QByteArray("?\x80?\x89"));
        QCOMPARE(componentText(box), codepage::toUtf8(box.text()));
    }

    // Ctrl+X and Ctrl+V keep a NUL, and the keys put on the clipboard what the menu puts.
    void clipboardKeysLikeTheMenu()
    {
        Form1 form;
        TextBox &box = *form.editor();
        const QByteArray text("a\0b\x80", 4);
        box.setText(text);
        run(form, "EditSelect");
        run(form, "EditCopy");
        const QString byMenu = QGuiApplication::clipboard()->text();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(focusIn(form), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), byMenu);
        QCOMPARE(box.text(), QByteArray());
        QTest::keyClick(focusIn(form), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box.text(), text);
    }
};

QTEST_MAIN(TestCodePage)
#include "tst_codepage.moc"
