#include "platform/textbox.h"
#include "platform/twips.h"
#include "support.h"

#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>

// The window's new size, and whether it was moved first.
struct Resize { QSize size; bool movedFirst; };
// The way out: a command, or none for the close box; the answer to the question.
struct Exit { QString command; QMessageBox::StandardButton answer; Qt::Key key; };

namespace {

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

// The main window: its layout, menus, resize rule and the ways out.
class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // At a desktop font a size larger than the usual, centred vertically, the left edge at
    // 200 twips; Tab leaves the editor without typing.
    void layout()
    {
        QFont desktop = QApplication::font();
        desktop.setPointSize(11);
        QApplication::setFont(desktop);
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        verifyLayout(&form, {"Editor", "Command1", "Command2", "Command3", "Command5", "Command7",
                             "Command4"},
                     {"Frame1", "Frame2", "Label1"});
        const QRect available = form.screen()->availableGeometry();
        QVERIFY(qAbs(form.frameGeometry().center().y() - available.center().y()) <= 4);
        QCOMPARE(form.frameGeometry().left(), twips::toPixels(200));
        QCOMPARE(QApplication::focusWidget(), form.editor()->inputWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));
        QCOMPARE(form.editor()->length(), 0);
    }

    // "Visit US!" acts at a click in the bar: it has no drop-down.
    void visitUs()
    {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QMenuBar *bar = form.menuBar();
        auto *visit = form.findChild<QAction *>("mnuNET");
        QSignalSpy visited(visit, &QAction::triggered);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(visit).center());
        QCOMPARE(visited.count(), 1);
    }

    // Only the editor's width follows the window, and the left edge goes to 200 twips.
    void resizeRule_data()
    {
        table<Resize>({{"wider and taller, after a move", {{1200, 700}, true}},
                       {"narrower than the buttons", {{400, 200}, false}},
                       {"one pixel", {{1, 1}, false}}});
    }
    void resizeRule()
    {
        const auto &[size, movedFirst] = row<Resize>();
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const auto others = [&form] {  // the places of the controls beside the editor
            QList<QRect> places;
            for (QWidget *child : form.centralWidget()->findChildren<QWidget *>(
                     Qt::FindDirectChildrenOnly))
                places << (child == form.editor() ? QRect() : child->geometry());
            return places;
        };
        const QList<QRect> before = others();
        const QRect editor = form.editor()->geometry();
        const int width = form.frameGeometry().width();
        if (movedFirst) {
            form.move(300, 150);
            QApplication::processEvents();
            QCOMPARE(form.frameGeometry().topLeft(), QPoint(300, 150));  // a move runs no rule
        }
        const int top = form.frameGeometry().top();
        form.resize(size);
        QApplication::processEvents();
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(twips::toPixels(200), top));
        const int grown = form.frameGeometry().width() - width;
        QCOMPARE(form.editor()->geometry(),
                 editor.adjusted(0, 0, std::max(grown, -editor.width()), 0));
        QCOMPARE(others(), before);
    }

    // The question: Yes ends the program and every window, No or Enter keeps all as it was;
    // the close box asks nothing.
    void exit_data()
    {
        const auto yes = QMessageBox::Yes, no = QMessageBox::No, none = QMessageBox::NoButton;
        table<Exit>({{"Command4, Yes", {"Command4", yes, Qt::Key_unknown}},
                     {"Command4, Enter", {"Command4", none, Qt::Key_Return}},
                     {"FileExit, Yes", {"FileExit", yes, Qt::Key_unknown}},
                     {"FileExit, No", {"FileExit", no, Qt::Key_unknown}},
                     {"close box", {"", none, Qt::Key_unknown}}});
    }
    void exit()
    {
        const Exit &r = row<Exit>();
        const bool ends = r.answer == QMessageBox::Yes || r.command.isEmpty();
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.editor()->setText("unsaved");
        form.editor()->setSelection(2, 3);
        QWidget other;  // stands for the browser window or the About box
        other.show();
        ModalAnswer box(r.answer, r.key);
        QCOMPARE(
            programEnds([&] { r.command.isEmpty() ? void(form.close()) : run(form, r.command); }),
            ends);
        QCOMPARE(box.answered(), !r.command.isEmpty());
        if (box.answered()) {
            QCOMPARE(box.seen().text, QStringLiteral("Are you sure you want to exit?\r\n"));
            QCOMPARE(box.seen().buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.seen().defaultButton, QMessageBox::No);
            QVERIFY(box.seen().captionFits);
        }
        QCOMPARE(form.isVisible(), !ends);
        QCOMPARE(other.isVisible(), !ends);
        QCOMPARE(form.editor()->text(), QByteArray("unsaved"));
        QCOMPARE(form.editor()->selStart(), 2);
        QCOMPARE(form.editor()->selLength(), 3);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
