#include "app/form1.h"
#include "modalanswer.h"
#include "platform/codepage.h"
#include "platform/textbox.h"
#include "platform/twips.h"
#include "search/finder.h"
#include "search/form2.h"
#include "search/searchcommands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find_data();
    void find();
    void findMatchesANaiveSearch();
    void replaceAllMatchesTheLoop();

    void dialog();
    void controls_data();
    void controls();
    void searchAndRepeat();
    void searchIgnoresTheCaret();
    void repeatWithANewText();
    void enterAndEscape();
    void caseSensitivity_data();
    void caseSensitivity();
    void replace_data();
    void replace();
    void replaceAll_data();
    void replaceAll();
    void replaceAllIsOneUndoStep();
    void replaceAllOnALargeText_data();
    void replaceAllOnALargeText();
    void emptyDocument();
    void quitKeepsState();
    void beyond32767();
};

namespace {

// Replace All as a literal loop over selections: the reference the one-pass version must match.
struct LoopResult
{
    QByteArray text;
    qint64 caret;
};

LoopResult replaceAllByLoop(QByteArray text, qint64 selStart, qint64 selLength,
                            const QByteArray &needle, const QByteArray &with, qint64 found,
                            bool caseSensitive)
{
    text.replace(selStart, selLength, with);
    qint64 caret = selStart + with.size();
    found = finder::find(text, needle, found + 1, caseSensitive);
    while (found >= 1) {
        text.replace(found - 1, needle.size(), with);
        caret = found - 1 + with.size();
        found += with.size();
        found = finder::find(text, needle, found + 1, caseSensitive);
    }
    return {text, caret};
}

QByteArray randomText(QRandomGenerator &random, int maxLength, const char *alphabet)
{
    const int alphabetSize = int(qstrlen(alphabet));
    QByteArray text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text.append(alphabet[random.bounded(alphabetSize)]);
    return text;
}

class SearchWindow
{
public:
    explicit SearchWindow(const QByteArray &text)
    {
        form.editor()->setText(text);
        form.findChild<QAction *>("EditFind")->trigger();
        dialog = form.search()->dialog();
    }

    void type(const char *box, const QString &text)
    {
        dialog->findChild<QLineEdit *>(box)->setText(text);
    }
    void click(const char *button) { dialog->findChild<QPushButton *>(button)->click(); }
    bool replaceEnabled() const
    {
        const bool one = dialog->findChild<QPushButton *>("ReplaceButton")->isEnabled();
        const bool all = dialog->findChild<QPushButton *>("ReplaceAllButton")->isEnabled();
        return one && all;
    }
    // "[aa]aa": the document with the selection marked.
    QString picture() const
    {
        const TextBox &editor = *form.editor();
        QByteArray text = editor.text();
        text.insert(editor.selStart() + editor.selLength(), ']');
        text.insert(editor.selStart(), '[');
        return QString::fromLatin1(text);
    }
    // Clicks a button that ends in a message box and returns the box's text.
    QString clickExpectingMessage(const char *button)
    {
        ModalAnswer box(QMessageBox::Ok);
        click(button);
        if (!box.answered())
            return QStringLiteral("(no message)");
        if (box.seen().title != QStringLiteral("Tansy's INI Editor 3.0")
            || box.seen().icon != QMessageBox::NoIcon || box.seen().buttons != QMessageBox::Ok)
            return QStringLiteral("(wrong box)");
        return box.seen().text;
    }

    Form1 form;
    Form2 *dialog = nullptr;
};

}

void TestSearch::find_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<qint64>("found");

    QTest::newRow("[aa]aa from 1") << QByteArray("aaaa") << QByteArray("aa") << 1LL << true << 1LL;
    QTest::newRow("a[aa]a from 2, overlapping") << QByteArray("aaaa") << QByteArray("aa") << 2LL << true << 2LL;
    QTest::newRow("aa[aa] from 3") << QByteArray("aaaa") << QByteArray("aa") << 3LL << true << 3LL;
    QTest::newRow("aaa[a from 4: too short") << QByteArray("aaaa") << QByteArray("aa") << 4LL << true << 0LL;
    QTest::newRow("start beyond the end") << QByteArray("ab") << QByteArray("b") << 3LL << true << 0LL;
    QTest::newRow("empty needle at the start") << QByteArray("abc") << QByteArray() << 2LL << true << 2LL;
    QTest::newRow("empty needle at the last char") << QByteArray("abc") << QByteArray() << 3LL << true << 3LL;
    QTest::newRow("empty needle beyond the end") << QByteArray("abc") << QByteArray() << 4LL << true << 0LL;
    QTest::newRow("empty text, empty needle") << QByteArray() << QByteArray() << 1LL << true << 0LL;
    QTest::newRow("ini finds INI unticked") << QByteArray("WIN.INI") << QByteArray("ini") << 1LL << false << 5LL;
    QTest::newRow("ini misses INI ticked") << QByteArray("WIN.INI") << QByteArray("ini") << 1LL << true << 0LL;
    QTest::newRow("e acute finds E acute") << QByteArray("caf\xc9") << QByteArray("\xe9") << 1LL << false << 4LL;
    QTest::newRow("y diaeresis 0xFF finds 0x9F") << QByteArray("x\x9f") << QByteArray("\xff") << 1LL << false << 2LL;
    QTest::newRow("NUL inside") << QByteArray("a\0b\0c", 5) << QByteArray("\0c", 2) << 1LL << false << 4LL;
    QTest::newRow("CR LF across a line") << QByteArray("a\r\nb") << QByteArray("\r\nB") << 1LL << false << 2LL;
    QTest::newRow("needle longer than the text") << QByteArray("ab") << QByteArray("abc") << 1LL << false << 0LL;
    QTest::newRow("case-insensitive, first byte only matches") << QByteArray("iiiINI") << QByteArray("INI") << 1LL << false << 4LL;
}

void TestSearch::find()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, needle);
    QFETCH(qint64, start);
    QFETCH(bool, caseSensitive);
    QFETCH(qint64, found);
    QCOMPARE(finder::find(text, needle, start, caseSensitive), found);
}

// The fast paths (32 or sixteen positions at a time, long needles) against a plain reading of the
// rule, on texts long enough to reach them and alphabets small enough for many near-misses.
void TestSearch::findMatchesANaiveSearch()
{
    const auto naive = [](const QByteArray &text, const QByteArray &needle, qint64 start, bool exact) {
        if (text.isEmpty() || start > text.size())
            return qint64(0);
        const QByteArray t = exact ? text : codepage::toLower(text);
        const QByteArray n = exact ? needle : codepage::toLower(needle);
        const qint64 at = t.indexOf(n, std::max<qint64>(start, 1) - 1);
        return at < 0 ? qint64(0) : at + 1;
    };
    QRandomGenerator random(7);
    for (int round = 0; round < 20000; ++round) {
        const QByteArray text = randomText(random, 300, "aAbB\xff\x9f-");
        QByteArray needle = randomText(random, round % 10 == 0 ? 100 : 4, "aAbB\xff\x9f");
        if (needle.isEmpty())
            needle = "a";
        const bool exact = random.bounded(2);
        const qint64 start = random.bounded(int(text.size()) + 2);
        // Both filters: 32 positions at a time (where the processor allows) and sixteen.
        const bool wide = round % 2;
        finder::allowAvx2(wide);
        QCOMPARE(finder::find(text, needle, start, exact), naive(text, needle, start, exact));
    }
    finder::allowAvx2(true);
    // A hit that ends on the text's last byte, past the last full block of sixteen.
    const QByteArray tail = QByteArray(40, '-') + "xY";
    QCOMPARE(finder::find(tail, "XY", 1, false), 41);
}

// Many generated cases over a small alphabet, so hits, overlaps and replacements that hold
// the search text are common: the one pass, in parts, gives the loop's text and caret every
// time.
void TestSearch::replaceAllMatchesTheLoop()
{
    QRandomGenerator random(20261207);
    for (int round = 0; round < 20000; ++round) {
        const QByteArray text = randomText(random, 12, "aAb-");
        const QByteArray needle = randomText(random, 3, "aAb");
        const QByteArray with = randomText(random, 3, "aAbx");
        const bool caseSensitive = random.bounded(2);
        const qint64 selStart = random.bounded(int(text.size()) + 1);
        const qint64 selLength = random.bounded(int(text.size() - selStart) + 1);
        const qint64 found = random.bounded(int(text.size()) + 3);
        // Parts of a few bytes, so that hits and windows meet part ends as on a large text.
        const qsizetype partSize = 1 + random.bounded(6);

        const LoopResult expected =
            replaceAllByLoop(text, selStart, selLength, needle, with, found, caseSensitive);

        QByteArray afterStep1 = text;
        afterStep1.replace(selStart, selLength, with);
        const finder::ReplaceAll plan =
            finder::replaceAll(afterStep1, needle, with, found + 1, caseSensitive, partSize);
        QByteArray actual = afterStep1;
        qint64 caret = selStart + with.size();
        if (plan.count > 0) {
            actual.replace(plan.from, plan.to - plan.from, plan.replacement);
            caret = plan.caret;
        }
        const QByteArray row = "text '" + text + "' needle '" + needle + "' with '" + with
            + "' sel " + QByteArray::number(selStart) + "+" + QByteArray::number(selLength)
            + " found " + QByteArray::number(found) + (caseSensitive ? " exact" : " folded")
            + " parts of " + QByteArray::number(partSize);
        QVERIFY2(actual == expected.text, row.constData());
        QVERIFY2(caret == expected.caret, row.constData());
    }
}

void TestSearch::dialog()
{
    Form1 form;
    form.findChild<QAction *>("EditFind")->trigger();
    Form2 *dialog = form.search()->dialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Text Search Feature"));
    QVERIFY(!dialog->isModal());
    QVERIFY(!dialog->parentWidget());
    QVERIFY(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    QCOMPARE(dialog->size(), twips::rect(0, 0, 6780, 1980).size());
    QCOMPARE(dialog->font().families().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(dialog->font().pointSizeF(), 9.75);
    QVERIFY(dialog->findChild<QPushButton *>("FindButton")->isDefault());
    QVERIFY(!dialog->findChild<QPushButton *>("ReplaceButton")->isEnabled());
    QVERIFY(!dialog->findChild<QPushButton *>("ReplaceAllButton")->isEnabled());
    QCOMPARE(dialog->focusWidget(), dialog->findChild<QWidget *>("Text1"));

    // The main window stays usable beside it.
    QTest::keyClicks(form.editor()->inputWidget(), "typed");
    QCOMPARE(form.editor()->text(), QByteArray("typed"));

    // The Tab key visits the text boxes, the buttons, then the check box.
    QStringList order;
    QWidget *w = dialog->findChild<QWidget *>("Text1");
    for (int i = 0; i < 8; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        order << w->objectName();
    }
    QCOMPARE(order, (QStringList{"Text1", "Text2", "FindButton", "FindNextButton", "ReplaceButton",
                                 "ReplaceAllButton", "Command5", "Check1"}));

    form.findChild<QAction *>("EditFind")->trigger();
    QCOMPARE(form.search()->dialog(), dialog);  // one dialog for the whole run
    form.close();
}

void TestSearch::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("design");
    QTest::newRow("Label2") << "Label2" << "Replace with" << QRect(60, 540, 1290, 255);
    QTest::newRow("Text1") << "Text1" << "" << QRect(1500, 105, 2115, 285);
    QTest::newRow("Label1") << "Label1" << "Search for:" << QRect(75, 135, 1320, 240);
    QTest::newRow("Text2") << "Text2" << "" << QRect(1485, 510, 2130, 285);
    QTest::newRow("FindButton") << "FindButton" << "Search" << QRect(4050, 105, 1230, 480);
    QTest::newRow("FindNextButton") << "FindNextButton" << "Repeat" << QRect(5415, 120, 1305, 480);
    QTest::newRow("ReplaceButton") << "ReplaceButton" << "Replace" << QRect(4065, 600, 1215, 480);
    QTest::newRow("ReplaceAllButton") << "ReplaceAllButton" << "Replace All" << QRect(5430, 630, 1275, 480);
    QTest::newRow("Command5") << "Command5" << "Quit" << QRect(5460, 1335, 1245, 480);
    QTest::newRow("Check1") << "Check1" << "Case sensitive?" << QRect(90, 1260, 2040, 240);
}

void TestSearch::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, design);
    SearchWindow window("");
    QWidget *control = window.dialog->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(),
             twips::rect(design.x(), design.y(), design.width(), design.height()));
    QString text = control->property("text").toString();
    QCOMPARE(text, caption);
    QVERIFY(!control->accessibleName().isEmpty());
}

void TestSearch::searchAndRepeat()
{
    SearchWindow w("aaaa");
    w.type("Text1", "aa");
    w.click("FindButton");
    QCOMPARE(w.picture(), QStringLiteral("[aa]aa"));
    QVERIFY(w.replaceEnabled());
    w.click("FindNextButton");
    QCOMPARE(w.picture(), QStringLiteral("a[aa]a"));
    w.click("FindNextButton");
    QCOMPARE(w.picture(), QStringLiteral("aa[aa]"));
    QCOMPARE(w.clickExpectingMessage("FindNextButton"), QStringLiteral("String not found"));
    QCOMPARE(w.picture(), QStringLiteral("aa[aa]"));
    QVERIFY(!w.replaceEnabled());
    QCOMPARE(w.dialog->foundPosition(), 0);
    // Repeat starts again from the top, and only Search enables the replace buttons.
    w.click("FindNextButton");
    QCOMPARE(w.picture(), QStringLiteral("[aa]aa"));
    QVERIFY(!w.replaceEnabled());
    w.click("FindButton");
    QVERIFY(w.replaceEnabled());
}

void TestSearch::searchIgnoresTheCaret()
{
    SearchWindow w("load=\r\nrun=\r\nload=");
    w.form.editor()->setSelection(10, 0);
    w.type("Text1", "load");
    w.click("FindButton");
    QCOMPARE(w.picture(), QStringLiteral("[load]=\r\nrun=\r\nload="));
}

void TestSearch::repeatWithANewText()
{
    SearchWindow w("abcabc");
    w.type("Text1", "b");
    w.click("FindButton");
    QCOMPARE(w.dialog->foundPosition(), 2);
    w.type("Text1", "ab");
    w.click("FindNextButton");  // from position 3
    QCOMPARE(w.picture(), QStringLiteral("abc[ab]c"));
}

void TestSearch::enterAndEscape()
{
    SearchWindow w("x=INI");
    w.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.dialog));
    w.type("Text1", "ini");
    for (const char *box : {"Text1", "Text2"}) {
        w.form.editor()->setSelection(0, 0);
        QWidget *edit = w.dialog->findChild<QWidget *>(box);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(w.picture(), QStringLiteral("x=[INI]"));
    }
    QTest::keyClick(w.dialog->findChild<QWidget *>("Check1"), Qt::Key_Escape);
    QVERIFY(!w.dialog->isVisible());
}

void TestSearch::caseSensitivity_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("picture");
    QTest::newRow("not ticked: ini finds INI") << false << "[INI] ini";
    QTest::newRow("ticked: exact") << true << "INI [ini]";
}

void TestSearch::caseSensitivity()
{
    QFETCH(bool, ticked);
    QFETCH(QString, picture);
    SearchWindow w("INI ini");
    w.dialog->findChild<QCheckBox *>("Check1")->setChecked(ticked);
    w.type("Text1", "ini");
    w.click("FindButton");
    QCOMPARE(w.picture(), picture);
}

void TestSearch::replace_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("with");
    QTest::addColumn<int>("moveSelectionTo");  // -1: leave the hit selected
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("message");

    QTest::newRow("a, Replace with ba: selects the a just inserted")
        << QByteArray("a") << "a" << "ba" << -1 << "b[a]" << "";
    QTest::newRow("the user's selection is replaced, the search goes on after the hit")
        << QByteArray("a1a2") << "a" << "X" << 3 << "a1[a]X2" << "";
    QTest::newRow("empty replacement deletes, next hit shown")
        << QByteArray("a-a") << "a" << "" << -1 << "-[a]" << "";
    QTest::newRow("last hit replaced: String not found")
        << QByteArray("xay") << "a" << "b" << -1 << "xb[]y" << "String not found";
    QTest::newRow("euro typed in the dialog is 0x80")
        << QByteArray("EUR EUR") << "EUR" << QString::fromUtf8("€") << -1
        << QString(QChar(0x80)) + " [EUR]" << "";
}

void TestSearch::replace()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, search);
    QFETCH(QString, with);
    QFETCH(int, moveSelectionTo);
    QFETCH(QString, picture);
    QFETCH(QString, message);

    SearchWindow w(text);
    w.type("Text1", search);
    w.type("Text2", with);
    w.click("FindButton");
    if (moveSelectionTo >= 0)
        w.form.editor()->setSelection(moveSelectionTo, 0);
    QCOMPARE(w.clickExpectingMessage("ReplaceButton"), message.isEmpty() ? "(no message)" : message);
    QCOMPARE(w.picture(), picture);
    QCOMPARE(w.replaceEnabled(), message.isEmpty());
}

void TestSearch::replaceAll_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("with");
    QTest::addColumn<QString>("picture");

    QTest::newRow("aaa, a to x: xxa") << QByteArray("aaa") << "a" << "x" << "xx[]a";
    QTest::newRow("a-a-a, a to xy") << QByteArray("a-a-a") << "a" << "xy" << "xy-xy-xy[]";
    QTest::newRow("nothing follows the hit") << QByteArray("a--") << "a" << "b" << "b[]--";
    // The first search after the selection's replacement starts inside the inserted "aa".
    QTest::newRow("replacement holds the search text") << QByteArray("a a a") << "a" << "aa"
                                                       << "aaa aa aa[]";
    QTest::newRow("case-insensitive") << QByteArray("Ini ini INI") << "ini" << "x" << "x x x[]";
    QTest::newRow("empty replacement") << QByteArray("a-a-a") << "a" << "" << "--[]";
}

void TestSearch::replaceAll()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, search);
    QFETCH(QString, with);
    QFETCH(QString, picture);

    SearchWindow w(text);
    w.type("Text1", search);
    w.click("FindButton");
    w.type("Text2", with);
    QCOMPARE(w.clickExpectingMessage("ReplaceAllButton"), QStringLiteral("Done replacing"));
    QCOMPARE(w.picture(), picture);
    QVERIFY(!w.replaceEnabled());
    QCOMPARE(w.dialog->foundPosition(), 0);
}

// Also with an empty search text, which is found everywhere: the loop still ends.
void TestSearch::replaceAllIsOneUndoStep()
{
    SearchWindow w("abc");
    w.type("Text1", "");
    w.click("FindButton");
    QCOMPARE(w.picture(), QStringLiteral("[]abc"));
    w.type("Text2", "-");
    QCOMPARE(w.clickExpectingMessage("ReplaceAllButton"), QStringLiteral("Done replacing"));
    QCOMPARE(w.form.editor()->text(), QByteArray("--a-b-c"));
    w.form.editor()->undo();
    QCOMPARE(w.form.editor()->text(), QByteArray("abc"));
}

// Megabytes of hits, applied to the editor a part at a time: the text is the same as if the
// whole were replaced at once, the caret ends after the last replacement, and one undo
// brings the text back.
void TestSearch::replaceAllOnALargeText_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QString>("with");
    QTest::addColumn<QByteArray>("expectedHit");

    QTest::newRow("longer") << "value" << true << "VALUE-" << QByteArray("VALUE-");
    QTest::newRow("shorter, any case") << "VALUE" << false << "v" << QByteArray("v");
    QTest::newRow("deleted") << "value" << true << "" << QByteArray();
}

void TestSearch::replaceAllOnALargeText()
{
    QFETCH(QString, search);
    QFETCH(bool, exact);
    QFETCH(QString, with);
    QFETCH(QByteArray, expectedHit);

    QByteArray text = "[head]\r\n";
    for (int i = 0; text.size() < 3 * (1 << 20); ++i)
        text += "Key" + QByteArray::number(i) + "=value" + QByteArray(i % 7, 'x') + "\r\n";
    text += "tail";
    QByteArray expected = text;
    expected.replace("value", expectedHit);

    SearchWindow w(text);
    w.type("Text1", search);
    w.dialog->findChild<QCheckBox *>("Check1")->setChecked(exact);
    w.click("FindButton");
    w.type("Text2", with);
    QCOMPARE(w.clickExpectingMessage("ReplaceAllButton"), QStringLiteral("Done replacing"));
    TextBox &editor = *w.form.editor();
    QVERIFY(editor.text() == expected);
    const qint64 hits = text.count("value");
    const qint64 grown = expectedHit.size() - 5;
    QCOMPARE(editor.selStart(), text.lastIndexOf("value") + (hits - 1) * grown + expectedHit.size());
    QCOMPARE(editor.selLength(), 0);
    editor.undo();
    QVERIFY(editor.text() == text);
}

void TestSearch::emptyDocument()
{
    SearchWindow w("");
    w.type("Text1", "x");
    QCOMPARE(w.clickExpectingMessage("FindButton"), QStringLiteral("String not found"));
    QVERIFY(!w.replaceEnabled());
}

void TestSearch::quitKeepsState()
{
    SearchWindow w("a a");
    w.type("Text1", "a");
    w.type("Text2", "b");
    w.dialog->findChild<QCheckBox *>("Check1")->setChecked(true);
    w.click("FindButton");
    w.click("Command5");
    QVERIFY(!w.dialog->isVisible());
    w.form.findChild<QAction *>("EditFind")->trigger();
    QVERIFY(w.dialog->isVisible());
    QCOMPARE(w.dialog->findChild<QLineEdit *>("Text1")->text(), QStringLiteral("a"));
    QCOMPARE(w.dialog->findChild<QLineEdit *>("Text2")->text(), QStringLiteral("b"));
    QVERIFY(w.dialog->findChild<QCheckBox *>("Check1")->isChecked());
    QVERIFY(w.replaceEnabled());
    QCOMPARE(w.dialog->foundPosition(), 1);

    // The close box is Quit too: hidden, not destroyed.
    w.dialog->close();
    QVERIFY(!w.dialog->isVisible());
    QCOMPARE(w.form.search()->dialog(), w.dialog);
}

// Positions are not 16-bit: hits far past 32767 are found, repeated and replaced.
void TestSearch::beyond32767()
{
    QByteArray text(100000, '.');
    text.replace(40000, 3, "key");
    text.replace(99000, 3, "key");
    SearchWindow w(text);
    w.type("Text1", "KEY");
    w.click("FindButton");
    QCOMPARE(w.form.editor()->selStart(), 40000);
    w.click("FindNextButton");
    QCOMPARE(w.form.editor()->selStart(), 99000);
    w.click("FindButton");
    w.type("Text2", "k");
    QCOMPARE(w.clickExpectingMessage("ReplaceAllButton"), QStringLiteral("Done replacing"));
    QCOMPARE(w.form.editor()->length(), 100000 - 4);
    QCOMPARE(w.form.editor()->selStart(), 99000 - 2 + 1);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
