#include "app/form1.h"
#include "design.h"
#include "modalanswer.h"
#include "platform/textbox.h"
#include "platform/twips.h"
#include "search/finder.h"
#include "search/form2.h"
#include "search/replaceall.h"
#include "search/searchcommands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The search step over bytes; the dialog through its own buttons. Replace All against the
// loop of Replace it stands for is the fuzz target replaceall's, replayed by CTest.
class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find_data();
    void find();
    void dialog();
    void buttons_data();
    void buttons();
    void replaceAllInParts_data();
    void replaceAllInParts();
    void quitKeepsState();
};

namespace {

class SearchWindow
{
public:
    explicit SearchWindow(const QByteArray &text, const QString &search = QString(),
                          const QString &with = QString(), bool exact = false)
    {
        form.editor()->setText(text);
        form.findChild<QAction *>("EditFind")->trigger();
        dialog = form.search()->dialog();
        dialog->findChild<QLineEdit *>("Text1")->setText(search);
        dialog->findChild<QLineEdit *>("Text2")->setText(with);
        dialog->findChild<QCheckBox *>("Check1")->setChecked(exact);
    }

    bool replaceEnabled() const
    {
        return dialog->findChild<QPushButton *>("ReplaceButton")->isEnabled()
            && dialog->findChild<QPushButton *>("ReplaceAllButton")->isEnabled();
    }
    // "a[aa]a": the document with the selection marked.
    QString picture() const
    {
        QByteArray text = form.editor()->text();
        text.insert(form.editor()->selStart() + form.editor()->selLength(), ']');
        text.insert(form.editor()->selStart(), '[');
        return QString::fromLatin1(text);
    }
    // Clicks a button; returns the text of the box it showed ("" for none), and notes
    // whether the replace buttons were enabled while the box was up.
    QString click(const QString &button)
    {
        // Armed first, so that it looks at the box before the answer closes it.
        ModalWatcher during(ModalWatcher::ofType<QMessageBox>(),
                            [this](QWidget *) { enabledDuringBox = replaceEnabled(); });
        ModalAnswer box(QMessageBox::Ok);
        dialog->findChild<QPushButton *>(button)->click();
        return box.answered() ? plainBoxText(box) : QString();
    }

    Form1 form;
    Form2 *dialog = nullptr;
    bool enabledDuringBox = false;
};

}

void TestSearch::find_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<qint64>("found");

    QTest::newRow("a[aa]a from 2: hits overlap") << QByteArray("aaaa") << QByteArray("aa") << 2LL << true << 2LL;
    QTest::newRow("aaa[a from 4: too short") << QByteArray("aaaa") << QByteArray("aa") << 4LL << true << 0LL;
    QTest::newRow("empty needle at the start") << QByteArray("abc") << QByteArray() << 3LL << true << 3LL;
    QTest::newRow("empty needle beyond the end") << QByteArray("abc") << QByteArray() << 4LL << true << 0LL;
    QTest::newRow("empty text") << QByteArray() << QByteArray() << 1LL << true << 0LL;
    QTest::newRow("one byte, exact, from 3") << QByteArray("abab") << QByteArray("b") << 3LL << true << 4LL;
    QTest::newRow("exact: a near miss in the middle first")
        << QByteArray("abXd abcd") << QByteArray("abcd") << 1LL << true << 6LL;
    QTest::newRow("ini finds INI") << QByteArray("WIN.INI") << QByteArray("ini") << 1LL << false << 5LL;
    QTest::newRow("ini misses INI, exact") << QByteArray("WIN.INI") << QByteArray("ini") << 1LL << true << 0LL;
    QTest::newRow("0xE9 finds 0xC9") << QByteArray("caf\xc9") << QByteArray("\xe9") << 1LL << false << 4LL;
    QTest::newRow("0xFF finds 0x9F") << QByteArray("x\x9f") << QByteArray("\xff") << 1LL << false << 2LL;
    QTest::newRow("NUL inside") << QByteArray("a\0b\0c", 5) << QByteArray("\0C", 2) << 1LL << false << 4LL;
    QTest::newRow("capitals find the other case in a block of 16")
        << QByteArray("-xY") + QByteArray(40, '-') << QByteArray("XY") << 1LL << false << 2LL;
    QTest::newRow("hit on the last byte, past 16s")
        << QByteArray(40, '-') + "xY" << QByteArray("XY") << 1LL << false << 41LL;
    QTest::newRow("long needle, any case") << QByteArray(70, 'a') + QByteArray(70, 'B')
                                           << QByteArray(70, 'b') << 1LL << false << 71LL;
}

void TestSearch::find()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, needle);
    QFETCH(qint64, start);
    QFETCH(bool, exact);
    QFETCH(qint64, found);
    QCOMPARE(finder::find(text, needle, start, exact), found);
}

void TestSearch::dialog()
{
    SearchWindow w("");
    Form2 *dialog = w.dialog;
    QVERIFY(dialog->isVisible() && !dialog->isModal() && !dialog->parentWidget());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Text Search Feature"));
    QCOMPARE(dialog->size(), twips::rect(0, 0, 6780, 1980).size());
    QCOMPARE(dialog->font().pointSizeF(), 9.75);
    verifyDesign(dialog, {{"Label2", "Replace with", {60, 540, 1290, 255}},
                          {"Text1", "", {1500, 105, 2115, 285}},
                          {"Label1", "Search for:", {75, 135, 1320, 240}},
                          {"Text2", "", {1485, 510, 2130, 285}},
                          {"FindButton", "Search", {4050, 105, 1230, 480}},
                          {"FindNextButton", "Repeat", {5415, 120, 1305, 480}},
                          {"ReplaceButton", "Replace", {4065, 600, 1215, 480}},
                          {"ReplaceAllButton", "Replace All", {5430, 630, 1275, 480}},
                          {"Command5", "Quit", {5460, 1335, 1245, 480}},
                          {"Check1", "Case sensitive?", {90, 1260, 2040, 240}}});
    QVERIFY(dialog->findChild<QPushButton *>("FindButton")->isDefault());
    QVERIFY(!w.replaceEnabled());
    QCOMPARE(dialog->findChild<QLineEdit *>("Text1")->maxLength(), std::numeric_limits<int>::max());

    QStringList order;
    QWidget *widget = dialog->findChild<QWidget *>("Text1");
    for (int i = 0; i < 8; ++i, widget = widget->nextInFocusChain()) {
        while (widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
        order << widget->objectName();
    }
    QCOMPARE(order, (QStringList{"Text1", "Text2", "FindButton", "FindNextButton", "ReplaceButton",
                                 "ReplaceAllButton", "Command5", "Check1"}));
    // Find again from the main window brings the one dialog of the whole run to the front.
    w.form.show();
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.findChild<QAction *>("EditFind")->trigger();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(w.form.search()->dialog(), dialog);
}

// Each row: the document, search and replacement texts, "Case sensitive?", the buttons
// clicked in turn, then the document with its selection and the last box's text.
void TestSearch::buttons_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("with");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("replaceEnabled");
    QTest::addColumn<bool>("enabledDuringBox");  // the buttons change only after "not found"

    const QStringList search{"FindButton"};
    QTest::newRow("Search selects the first hit") << QByteArray("x=INI") << "ini" << "" << false
                                                  << search << "x=[INI]" << "" << true << false;
    QTest::newRow("ticked: exact") << QByteArray("INI ini") << "ini" << "" << true << search
                                   << "INI [ini]" << "" << true << false;
    QTest::newRow("Repeat goes on one after the hit's start")
        << QByteArray("aaaa") << "aa" << "" << false << QStringList{"FindButton", "FindNextButton"}
        << "a[aa]a" << "" << true << false;
    QTest::newRow("Search starts at the top again")
        << QByteArray("aXa") << "a" << "" << false
        << QStringList{"FindButton", "FindNextButton", "FindButton"} << "[a]Xa" << "" << true << false;
    QTest::newRow("no more hits: the box, then the buttons off")
        << QByteArray("aa") << "a" << "" << false
        << QStringList{"FindButton", "FindNextButton", "FindNextButton"} << "a[a]"
        << "String not found" << false << true;
    QTest::newRow("nothing in an empty document") << QByteArray() << "x" << "" << false << search
                                                  << "[]" << "String not found" << false << false;
    QTest::newRow("Replace selects the next hit") << QByteArray("a-a") << "a" << "" << false
                                                  << QStringList{"FindButton", "ReplaceButton"}
                                                  << "-[a]" << "" << true << false;
    QTest::newRow("Replace of the last hit") << QByteArray("xay") << "a" << "b" << false
                                             << QStringList{"FindButton", "ReplaceButton"}
                                             << "xb[]y" << "String not found" << false << true;
    QTest::newRow("euro typed in the dialog is 0x80")
        << QByteArray("EUR EUR") << "EUR" << QString::fromUtf8("€") << false
        << QStringList{"FindButton", "ReplaceButton"} << QString(QChar(0x80)) + " [EUR]" << ""
        << true << false;
    const QStringList all{"FindButton", "ReplaceAllButton"};
    QTest::newRow("Replace All: aaa, a to x") << QByteArray("aaa") << "a" << "x" << false << all
                                              << "xx[]a" << "Done replacing" << false << false;
    QTest::newRow("Replace All: the replacement holds the search text")
        << QByteArray("a a a") << "a" << "aa" << false << all << "aaa aa aa[]" << "Done replacing"
        << false << false;
    QTest::newRow("Replace All, any case") << QByteArray("Ini ini INI") << "ini" << "x" << false
                                           << all << "x x x[]" << "Done replacing" << false << false;
    QTest::newRow("Replace All of an empty search text") << QByteArray("abc") << "" << "-" << false
                                                         << all << "--a-b-[]c" << "Done replacing"
                                                         << false << false;
}

void TestSearch::buttons()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, search);
    QFETCH(QString, with);
    QFETCH(bool, exact);
    QFETCH(QStringList, clicks);
    QFETCH(QString, picture);
    QFETCH(QString, box);
    QFETCH(bool, replaceEnabled);
    QFETCH(bool, enabledDuringBox);

    SearchWindow w(text, search, with, exact);
    w.form.show();
    w.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.dialog));
    QString shown;
    for (const QString &button : clicks)
        shown = w.click(button);
    QCOMPARE(w.picture(), picture);
    QCOMPARE(shown, box);
    QCOMPARE(w.replaceEnabled(), replaceEnabled);
    QCOMPARE(w.enabledDuringBox, enabledDuringBox);
    if (box.isEmpty())  // a hit is shown in the main window, which comes to the front
        QTRY_VERIFY_WITH_TIMEOUT(w.form.isActiveWindow(), 1000);
    if (clicks.last() == "ReplaceAllButton") {
        QCOMPARE(w.dialog->foundPosition(), 0);
        w.form.editor()->undo();  // one step
        QCOMPARE(w.form.editor()->text(), text);
    }
}

// A large Replace All goes into the editor a part at a time; parts of a few bytes put every
// kind of boundary (inside a hit, just after one, an empty search text) in a short text.
void TestSearch::replaceAllInParts_data()
{
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<QByteArray>("with");
    QTest::addColumn<qsizetype>("partSize");
    QTest::newRow("longer, parts of 1") << QByteArray("ab") << QByteArray("XYZ") << qsizetype(1);
    QTest::newRow("shorter, parts of 3") << QByteArray("ab") << QByteArray("x") << qsizetype(3);
    QTest::newRow("deleted, parts of 2") << QByteArray("b") << QByteArray() << qsizetype(2);
    QTest::newRow("empty search text, parts of 4") << QByteArray() << QByteArray("-") << qsizetype(4);
}

void TestSearch::replaceAllInParts()
{
    QFETCH(QByteArray, needle);
    QFETCH(QByteArray, with);
    QFETCH(qsizetype, partSize);
    const QByteArray text("ab abab\r\nAB-aab b");
    Form1 form;
    TextBox &editor = *form.editor();
    editor.setText(text);
    const qint64 whole = [&] {
        const UndoStep step(editor);
        return finder::replaceAll(editor, needle, with, 1, false);
    }();
    const QByteArray expected = editor.text();
    const qint64 caret = editor.selStart();
    editor.undo();
    QCOMPARE(editor.text(), text);
    {
        const UndoStep step(editor);
        QCOMPARE(finder::replaceAll(editor, needle, with, 1, false, partSize), whole);
    }
    QCOMPARE(editor.text(), expected);
    QCOMPARE(editor.selStart(), caret);
    editor.undo();
    QCOMPARE(editor.text(), text);
}

void TestSearch::quitKeepsState()
{
    SearchWindow w("a a", "a", "b", true);
    w.click("FindButton");
    w.click("Command5");
    QVERIFY(!w.dialog->isVisible());
    w.form.findChild<QAction *>("EditFind")->trigger();
    QVERIFY(w.dialog->isVisible());
    QCOMPARE(w.dialog->findChild<QLineEdit *>("Text2")->text(), QStringLiteral("b"));
    QVERIFY(w.dialog->findChild<QCheckBox *>("Check1")->isChecked());
    QVERIFY(w.replaceEnabled());
    QCOMPARE(w.dialog->foundPosition(), 1);
    QTest::keyClick(w.dialog->findChild<QWidget *>("Check1"), Qt::Key_Escape);  // Quit too
    QVERIFY(!w.dialog->isVisible());
    QCOMPARE(w.form.search()->dialog(), w.dialog);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
