#include "platform/textbox.h"
#include "search/form2.h"
#include "search/searchcommands.h"
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
    bool on = false, onDuringBox = false;
};

namespace {

struct SearchWindow
{
    SearchWindow(const QByteArray &text, const QString &search, const QString &with = {},
                 bool exact = false)
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
        ModalWatcher during(QMessageBox::staticMetaObject,
                            [this](QWidget *) { onDuringBox = replaceOn(); });
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
    // Neither modal nor owned, Search the default button, the replace buttons off until a hit;
    // Find again brings the one dialog of the whole run to the front.
    void dialog()
    {
        SearchWindow w("", "");
        Form2 *dialog = w.dialog;
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        verifyLayout(dialog, {"Text1", "Text2", "FindButton", "FindNextButton", "ReplaceButton",
                              "ReplaceAllButton", "Command5", "Check1"},
                     {"Label1", "Label2"});
        QVERIFY(!dialog->isModal() && !dialog->parentWidget());
        QVERIFY(dialog->findChild<QPushButton *>("FindButton")->isDefault());
        QVERIFY(!w.replaceOn());
        w.form.show();
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        run(w.form, "EditFind");
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QCOMPARE(w.form.search()->dialog(), dialog);
    }

    // What the random session of tst_editing leaves to chance: the boxes, the buttons' state
    // while and after they show, an empty search text, a character typed in the dialog.
    void buttons_data()
    {
        const QStringList search{"FindButton"}, all{"FindButton", "ReplaceAllButton"},
            replace{"FindButton", "ReplaceButton"};
        const QString none("String not found"), done("Done replacing");
        table<Clicks>(
            {{"no more hits: the box, then the buttons off",
                 {"aa", "a", "", false, {"FindButton", "FindNextButton", "FindNextButton"}, "a[a]",
                     none, false, true}},
                {"nothing in an empty document", {"", "x", "", false, search, "[]", none}},
                {"Replace of the last hit",
                    {"xay", "a", "b", false, replace, "xb[]y", none, false, true}},
                {"euro typed in the dialog is 0x80",
                    {"EUR EUR", "EUR", "€", false, replace, "\u0080 [EUR]", "", true}},
                {"Replace All", {"Ini ini INI", "ini", "x", false, all, "x x x[]", done}},
                {"Replace All of an empty search text",
                    {"abc", "", "-", false, all, "--a-b-[]c", done}}});
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
        QTest::keyClick(focusIn(*w.dialog), Qt::Key_Escape);  // Quit too
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
