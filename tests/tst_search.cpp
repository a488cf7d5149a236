#include "platform/textbox.h"
#include "search/form2.h"
#include "search/searchcommands.h"
#include "platform/twips.h"
#include "support.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

// The dialog through its own buttons. The search step against its rule, and Replace All
// (in parts of every size) against the loop of Replace it stands for, are the fuzz targets
// find's and replaceall's: CTest replays their corpora, the cases of the search step included.
// The document, search and replacement texts, "Case sensitive?", the buttons clicked in turn;
// then the document with its selection, the last box's text, whether the replace buttons are
// on, and whether they were while the box was up (they change only after "not found").
struct Clicks {
    QByteArray text;
    QString search, with;
    bool exact;
    QStringList clicks;
    QString picture, box;
    bool on, onDuringBox;
};

namespace {

struct SearchWindow
{
    SearchWindow(const QByteArray &text, const QString &search, const QString &with = {}, bool exact = false)
    {
        form.editor()->setText(text);
        run(form, "EditFind");
        dialog = form.search()->dialog();
        dialog->findChild<QLineEdit *>("Text1")->setText(search);
        dialog->findChild<QLineEdit *>("Text2")->setText(with);
        dialog->findChild<QCheckBox *>("Check1")->setChecked(exact);
    }
    bool replaceOn() const
    {
        return dialog->findChild<QPushButton *>("ReplaceButton")->isEnabled()
            && dialog->findChild<QPushButton *>("ReplaceAllButton")->isEnabled();
    }
    // "a[aa]a": the document with the selection marked.
    QString picture() const
    {
        QByteArray text = form.editor()->text();
        text.insert(form.editor()->selStart() + form.editor()->selLength(), ']');
        return QString::fromLatin1(text.insert(form.editor()->selStart(), '['));
    }
    // Clicks a button; returns the text of the box it showed, "" for none.
    QString click(const QString &button)
    {
        ModalWatcher during(QMessageBox::staticMetaObject, [this](QWidget *) { onDuringBox = replaceOn(); });
        ModalAnswer box(QMessageBox::Ok);
        run(*dialog, button);
        return box.answered() ? box.plainText() : QString();
    }

    Form1 form;
    Form2 *dialog = nullptr;
    bool onDuringBox = false;
};

}

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dialog()
    {
        SearchWindow w("", "");
        Form2 *dialog = w.dialog;
        QVERIFY(dialog->isVisible() && !dialog->isModal() && !dialog->parentWidget());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Text Search Feature"));
        QCOMPARE(dialog->size(), twips::rect(0, 0, 6780, 1980).size());
        QCOMPARE(dialog->font().pointSizeF(), 9.75);
        verifyDesign(dialog, {{"Label2", "Replace with", {60, 540, 1290, 255}}, {"Text1", "", {1500, 105, 2115, 285}},
                              {"Label1", "Search for:", {75, 135, 1320, 240}}, {"Text2", "", {1485, 510, 2130, 285}},
                              {"FindButton", "Search", {4050, 105, 1230, 480}},
                              {"FindNextButton", "Repeat", {5415, 120, 1305, 480}},
                              {"ReplaceButton", "Replace", {4065, 600, 1215, 480}},
                              {"ReplaceAllButton", "Replace All", {5430, 630, 1275, 480}},
                              {"Command5", "Quit", {5460, 1335, 1245, 480}},
                              {"Check1", "Case sensitive?", {90, 1260, 2040, 240}}});
        QVERIFY(dialog->findChild<QPushButton *>("FindButton")->isDefault());
        QVERIFY(!w.replaceOn());
        QCOMPARE(dialog->findChild<QLineEdit *>("Text1")->maxLength(), std::numeric_limits<int>::max());
        QStringList order;
        for (QWidget *widget = dialog->findChild<QWidget *>("Text1"); order.size() < 8;
             widget = widget->nextInFocusChain())
            if (widget->focusPolicy() != Qt::NoFocus)
                order << widget->objectName();
        QCOMPARE(order.join(' '),
                 "Text1 Text2 FindButton FindNextButton ReplaceButton ReplaceAllButton Command5 Check1");
        // Find again from the main window brings the one dialog of the whole run to the front.
        w.form.show();
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        run(w.form, "EditFind");
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QCOMPARE(w.form.search()->dialog(), dialog);
    }

    void buttons_data()
    {
        const QStringList search{"FindButton"}, all{"FindButton", "ReplaceAllButton"},
            replace{"FindButton", "ReplaceButton"};
        table<Clicks>({
            {"Search selects the first hit", {"x=INI", "ini", "", false, search, "x=[INI]", "", true, false}},
            {"ticked: exact", {"INI ini", "ini", "", true, search, "INI [ini]", "", true, false}},
            {"Repeat goes on one after the hit's start", {"aaaa", "aa", "", false, {"FindButton", "FindNextButton"}, "a[aa]a", "", true, false}},
            {"Search starts at the top again", {"aXa", "a", "", false, {"FindButton", "FindNextButton", "FindButton"}, "[a]Xa", "", true, false}},
            {"no more hits: the box, then the buttons off", {"aa", "a", "", false, {"FindButton", "FindNextButton", "FindNextButton"}, "a[a]", "String not found", false, true}},
            {"nothing in an empty document", {"", "x", "", false, search, "[]", "String not found", false, false}},
            {"Replace selects the next hit", {"a-a", "a", "", false, replace, "-[a]", "", true, false}},
            {"Replace of the last hit", {"xay", "a", "b", false, replace, "xb[]y", "String not found", false, true}},
            {"euro typed in the dialog is 0x80", {"EUR EUR", "EUR", "€", false, replace, "\u0080 [EUR]", "", true, false}},
            {"Replace All: aaa, a to x", {"aaa", "a", "x", false, all, "xx[]a", "Done replacing", false, false}},
            {"Replace All: the replacement holds the search text", {"a a a", "a", "aa", false, all, "aaa aa aa[]", "Done replacing", false, false}},
            {"Replace All, any case", {"Ini ini INI", "ini", "x", false, all, "x x x[]", "Done replacing", false, false}},
            {"Replace All of an empty search text", {"abc", "", "-", false, all, "--a-b-[]c", "Done replacing", false, false}}});
    }
    void buttons()
    {
        const Clicks &r = row<Clicks>();
        SearchWindow w(r.text, r.search, r.with, r.exact);
        w.form.show();
        w.dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.dialog));
        QString shown;
        for (const QString &button : r.clicks)
            shown = w.click(button);
        QCOMPARE(w.picture(), r.picture);
        QCOMPARE(shown, r.box);
        QCOMPARE(w.replaceOn(), r.on);
        QCOMPARE(w.onDuringBox, r.onDuringBox);
        if (r.box.isEmpty())  // a hit is shown in the main window, which comes to the front
            QTRY_VERIFY_WITH_TIMEOUT(w.form.isActiveWindow(), 1000);
        if (r.clicks.last() == "ReplaceAllButton") {
            QCOMPARE(w.dialog->foundPosition(), 0);
            w.form.editor()->undo();  // one step
            QCOMPARE(w.form.editor()->text(), r.text);
        }
    }

    void quitKeepsState()
    {
        SearchWindow w("a a", "a", "b", true);
        w.click("FindButton");
        w.click("Command5");
        QVERIFY(!w.dialog->isVisible());
        run(w.form, "EditFind");
        QVERIFY(w.dialog->isVisible());
        QCOMPARE(w.dialog->findChild<QLineEdit *>("Text2")->text(), QStringLiteral("b"));
        QVERIFY(w.dialog->findChild<QCheckBox *>("Check1")->isChecked());
        QVERIFY(w.replaceOn());
        QCOMPARE(w.dialog->foundPosition(), 1);
        QTest::keyClick(w.dialog->findChild<QWidget *>("Check1"), Qt::Key_Escape);  // Quit too
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(w.form.search()->dialog(), w.dialog);
        run(w.form, "EditFind");
        w.dialog->showMinimized();  // as the title bar's button does
        run(w.form, "EditFind");
        QVERIFY(!w.dialog->isMinimized());
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
