#include "platform/textbox.h"
#include "platform/twips.h"
#include "support.h"

#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>

// The window's new size, and whether it was moved first.
struct Resize { QSize size; bool movedFirst; };
// The way out (a command, or "close" for the close box), and the answer to the question
// (-1: Enter).
struct Exit { QString command; int answer; };

namespace {

QString focusName()
{
    QWidget *w = QApplication::focusWidget();
    // The text box takes the keys in a component inside it.
    if (auto *box = w ? qobject_cast<TextBox *>(w->parentWidget()) : nullptr)
        return box->objectName();
    return w ? w->objectName() : QString();
}

// Runs the program's event loop with `act` as its first event; true when the program ended,
// false when it was still running half a second later.
bool programEnds(const std::function<void()> &act)
{
    QObject scope;  // ends the timers with this call
    QTimer::singleShot(0, &scope, [&] {
        QTimer::singleShot(500, &scope, [] { QCoreApplication::exit(1); });
        act();
    });
    return QApplication::exec() == 0;
}

}

// The main window: its design, keys, menus, resize rule and the ways out.
class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void design()
    {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("INI Editor, and PWS Detector"));
        QCOMPARE(form.centralWidget()->size(), twips::rect(0, 0, 14790, 5745).size());
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(form.windowIcon().availableSizes().value(0), QSize(32, 32));
        // Centred vertically; the resize rule has put the left edge at 200 twips.
        QVERIFY(qAbs(form.frameGeometry().center().y() - form.screen()->availableGeometry().center().y()) <= 4);
        QCOMPARE(form.frameGeometry().left(), twips::toPixels(200));
        verifyDesign(&form,
                     {{"Frame2", "Exit Editor?", {6720, 4920, 1935, 735}},
                      {"Command4", "Exit Editor", {480, 240, 1095, 375}},
                      {"Command7", "Tansy ", {6840, 120, 1815, 375}},
                      {"Command5", "PWS Detection", {120, 120, 1575, 375}},
                      {"Frame1", "Auto INI Load Options", {120, 4920, 4335, 735}},
                      {"Command3", "Progman.INI", {2880, 240, 1215, 375}},
                      {"Command2", "System.INI", {1560, 240, 1215, 375}},
                      {"Command1", "Win.INI", {240, 240, 1215, 375}},
                      {"Label1", "Tansy's INI Editor", {2040, 120, 4215, 375}}});
        QCOMPARE(form.findChild<QWidget *>("Command4")->parentWidget()->objectName(), QStringLiteral("Frame2"));
        QCOMPARE(form.findChild<QWidget *>("Command1")->parentWidget()->objectName(), QStringLiteral("Frame1"));
        QWidget *line = form.findChild<QWidget *>("Line1");
        QCOMPARE(line->geometry(), QRect(twips::rect(120, 600, 0, 0).topLeft(), QSize(twips::toPixels(14520), 1)));
        QVERIFY(line->testAttribute(Qt::WA_TransparentForMouseEvents));
        auto *label = form.findChild<QLabel *>("Label1");
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(label->font().families().value(0) + " " + QString::number(label->font().pointSizeF()),
                 "Lucida Fax 14.25");
        QVERIFY(!label->font().bold() && !label->font().italic() && !label->font().underline());
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);

        // The editor has the focus; Tab goes round the buttons without typing, Shift+Tab back.
        QStringList visited = {focusName()};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusName();
        }
        QCOMPARE(visited.join(' '), "Editor Command1 Command2 Command3 Command5 Command7 Command4 Editor");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(focusName(), QStringLiteral("Command4"));
        QCOMPARE(form.editor()->length(), 0);
        // A long line wraps, with a vertical scroll bar only.
        form.editor()->setText(QByteArray(5000, 'x'));
        QApplication::processEvents();
        for (QScrollBar *bar : form.editor()->findChildren<QScrollBar *>())
            QCOMPARE(bar->isVisible(), bar->orientation() == Qt::Vertical);
    }

    // The bar and its drop-downs, each item named, captioned, without access key or shortcut,
    // and each command connected to a handler; "Visit US!" acts at a click in the bar.
    void menuTree()
    {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QStringList tree;
        int handlers = 0;
        const auto describe = [&](int level, QAction *action) {
            tree << QStringLiteral("%1 %2 %3")
                        .arg(level)
                        .arg(action->objectName(), action->isSeparator() ? "-" : action->text());
            QVERIFY(action->shortcut().isEmpty() && !action->text().contains('&'));
            QVERIFY(action->isEnabled() && action->isVisible() && !action->isChecked());
            if (!action->isSeparator() && !action->menu())
                handlers += QObject::disconnect(action, &QAction::triggered, nullptr, nullptr) ? 1 : 0;
        };
        QMenuBar *bar = form.menuBar();
        for (QAction *top : bar->actions()) {
            describe(0, top);
            for (QAction *item : top->menu() ? top->menu()->actions() : QList<QAction *>())
                describe(1, item);
        }
        QCOMPARE(tree.join(", "),
                 "0 FileMenu File, 1 FileNew New, 1 FileOpen Open, 1 FileSave Save, 1 FileSaveAs Save As, 1 FileSeparator -, "
                 "1 FileExit Exit, 0 EditMenu Edit, 1 EditCopy Copy, 1 EditCut Cut, 1 EditPaste Paste, 1 EditSelect Select All, "
                 "1 EditSeparator -, 1 EditFind Find, 0 ProcessMenu Edit Text, 1 ProcessUpper Upper Case, "
                 "1 ProcessLower Lower Case, 1 ProcessNumber Number Lines, 0 CustomMenu Text Customization, 1 CustomFont Font, "
                 "1 CustomPage Page Color, 1 CustomText Text Color, 0 mnuNET Visit US!, 0 mnuHELP Get Help!, "
                 "1 mnuHELP2 Password Stealer Detection/Removal, 1 mnyPWS What is a Password Stealer?, 1 dash -, "
                 "1 mnuAbout About Tansy's INI Editor");
        QCOMPARE(handlers, 20);
        auto *visit = form.findChild<QAction *>("mnuNET");  // its handler is off now
        QSignalSpy visited(visit, &QAction::triggered);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(visit).center());
        QCOMPARE(visited.count(), 1);
    }

    // Only the editor's width follows the window, and the left edge goes to 200 twips.
    void resizeRule_data()
    {
        table<Resize>({{"as designed", {{986, 420}, false}}, {"wider and taller, after a move", {{1200, 700}, true}},
                       {"narrower than the buttons", {{400, 200}, false}}, {"one pixel", {{1, 1}, false}}});
    }
    void resizeRule()
    {
        const auto &[size, movedFirst] = row<Resize>();
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect labelBefore = form.findChild<QWidget *>("Label1")->geometry();
        const QRect frame2Before = form.findChild<QWidget *>("Frame2")->geometry();
        if (movedFirst) {
            form.move(300, 150);
            QApplication::processEvents();
            QCOMPARE(form.frameGeometry().topLeft(), QPoint(300, 150));  // a move runs no rule
        }
        const int top = form.frameGeometry().top();
        form.resize(size);
        QApplication::processEvents();
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(twips::toPixels(200), top));
        QCOMPARE(
            form.editor()->geometry(),
            QRect(twips::rect(120, 690, 0, 0).topLeft(),
                  QSize(std::max(0, form.frameGeometry().width() - twips::toPixels(370)), twips::toPixels(4185))));
        QCOMPARE(form.findChild<QWidget *>("Label1")->geometry(), labelBefore);
        QCOMPARE(form.findChild<QWidget *>("Frame2")->geometry(), frame2Before);
    }

    // The ways out: the question (Yes ends the program and every window, No or Enter keeps
    // all as it was), or the close box, which asks nothing.
    void exit_data()
    {
        table<Exit>({{"Command4, Yes", {"Command4", QMessageBox::Yes}},
                     {"Command4, No", {"Command4", QMessageBox::No}},
                     {"Command4, Enter", {"Command4", -1}},
                     {"FileExit, Yes", {"FileExit", QMessageBox::Yes}},
                     {"FileExit, No", {"FileExit", QMessageBox::No}},
                     {"FileExit, Enter", {"FileExit", -1}},
                     {"close box", {"close", 0}}});
    }
    void exit()
    {
        const auto &[command, answer] = row<Exit>();
        const bool ends = answer == QMessageBox::Yes || command == "close";
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.editor()->setText("unsaved");
        form.editor()->setSelection(2, 3);
        QWidget other;  // stands for the browser window or the About box
        other.show();
        ModalAnswer box(QMessageBox::StandardButton(answer), answer < 0 ? Qt::Key_Return : Qt::Key_unknown);
        const auto leave = [&] {
            if (command == "close")
                form.close();
            else
                run(form, command);
        };
        QCOMPARE(programEnds(leave), ends);
        const QString asked = QStringLiteral("Do you really want to do this?|%1|%2|%3|Are you sure you want to exit?\r\n")
                                  .arg(QMessageBox::Question)
                                  .arg(QMessageBox::Yes | QMessageBox::No)
                                  .arg(QMessageBox::No);
        QCOMPARE(box.seen(), command == "close" ? QString() : asked);
        QCOMPARE(QList<bool>({form.isVisible(), other.isVisible()}), QList<bool>({!ends, !ends}));
        const TextBox &editor = *form.editor();
        QCOMPARE(QStringLiteral("%1 %2+%3").arg(editor.text()).arg(editor.selStart()).arg(editor.selLength()),
                 "unsaved 2+3");
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
