#include "app/form1.h"
#include "modalanswer.h"
#include "platform/textbox.h"
#include "platform/twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void window();
    void controls_data();
    void controls();
    void banner();
    void editorAtStart();
    void tabOrder();
    void menuTree();
    void menuItemsRunHandlers();
    void visitUsActsFromTheBar();

    void resizeRule_data();
    void resizeRule();
    void resizeAfterMove();

    void exitQuestion_data();
    void exitQuestion();
    void closeBoxEndsProgram();
};

namespace {

QString focusName()
{
    QWidget *w = QApplication::focusWidget();
    if (!w)
        return QString();
    // The text box takes the keys in a component inside it.
    if (auto *box = qobject_cast<TextBox *>(w->parentWidget()))
        return box->objectName();
    return w->objectName();
}

// Runs the program's event loop with `act` as its first event and returns the loop's exit
// code: 0 when the program ended, NotEnded when it was still running half a second later.
constexpr int NotEnded = 99;
int runProgram(const std::function<void()> &act)
{
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(NotEnded); });
    QTimer::singleShot(0, &giveUp, [&] {
        giveUp.start(500);
        act();
    });
    return QApplication::exec();
}

}

void TestForm1::cleanup()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        QVERIFY2(!w->isVisible() || qobject_cast<Form1 *>(w) == nullptr,
                 qPrintable(w->objectName() + " left open"));
}

void TestForm1::window()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QCOMPARE(form.windowTitle(), QStringLiteral("INI Editor, and PWS Detector"));
    QCOMPARE(form.centralWidget()->size(), twips::rect(0, 0, 14790, 5745).size());
    QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(form.windowIcon().availableSizes().value(0), QSize(32, 32));

    // Centred vertically; the resize rule has put the left edge at 200 twips.
    const QRect screen = form.screen()->availableGeometry();
    // Centred before the first showing, when the frame's size is not known yet.
    QVERIFY(qAbs(form.frameGeometry().center().y() - screen.center().y()) <= 4);
    QCOMPARE(form.frameGeometry().left(), twips::toPixels(200));
    form.close();
}

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("designTwips");

    QTest::newRow("Frame2") << "Frame2" << "frame" << "Exit Editor?" << "window" << QRect(6720, 4920, 1935, 735);
    QTest::newRow("Command4") << "Command4" << "button" << "Exit Editor" << "Frame2" << QRect(480, 240, 1095, 375);
    QTest::newRow("Command7") << "Command7" << "button" << "Tansy " << "window" << QRect(6840, 120, 1815, 375);
    QTest::newRow("Command5") << "Command5" << "button" << "PWS Detection" << "window" << QRect(120, 120, 1575, 375);
    QTest::newRow("Frame1") << "Frame1" << "frame" << "Auto INI Load Options" << "window" << QRect(120, 4920, 4335, 735);
    QTest::newRow("Command3") << "Command3" << "button" << "Progman.INI" << "Frame1" << QRect(2880, 240, 1215, 375);
    QTest::newRow("Command2") << "Command2" << "button" << "System.INI" << "Frame1" << QRect(1560, 240, 1215, 375);
    QTest::newRow("Command1") << "Command1" << "button" << "Win.INI" << "Frame1" << QRect(240, 240, 1215, 375);
    QTest::newRow("Label1") << "Label1" << "label" << "Tansy's INI Editor" << "window" << QRect(2040, 120, 4215, 375);
    // The editor's width follows the window; its left, top and height are the design's.
    QTest::newRow("Editor") << "Editor" << "text box" << "Editor" << "window" << QRect(120, 690, 0, 4185);
    QTest::newRow("Line1") << "Line1" << "line" << "Line1" << "window" << QRect(120, 600, 14520, 0);
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, container);
    QFETCH(QRect, designTwips);

    Form1 form;
    form.show();
    auto *control = form.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->accessibleName(), caption);

    const QString parentName = container == "window" ? form.centralWidget()->objectName()
                                                     : container;
    QCOMPARE(control->parentWidget()->objectName(), parentName);

    if (kind == "button")
        QCOMPARE(qobject_cast<QPushButton *>(control)->text(), caption);
    else if (kind == "frame")
        QCOMPARE(qobject_cast<QGroupBox *>(control)->title(), caption);
    else if (kind == "label")
        QCOMPARE(qobject_cast<QLabel *>(control)->text(), caption);
    else if (kind == "text box")
        QVERIFY(qobject_cast<TextBox *>(control));

    const QRect expected = twips::rect(designTwips.x(), designTwips.y(), designTwips.width(),
                                       designTwips.height());
    QCOMPARE(control->pos(), expected.topLeft());
    if (kind == "line") {
        QCOMPARE(control->width(), expected.width());
        QCOMPARE(control->height(), 1);
        QVERIFY(control->testAttribute(Qt::WA_TransparentForMouseEvents));
    } else if (kind == "text box") {
        QCOMPARE(control->height(), expected.height());
    } else {
        QCOMPARE(control->size(), expected.size());
    }
    form.close();
}

void TestForm1::banner()
{
    Form1 form;
    auto *label = form.findChild<QLabel *>("Label1");
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(label->font().families().value(0), QStringLiteral("Lucida Fax"));
    QCOMPARE(label->font().pointSizeF(), 14.25);
    QCOMPARE(label->font().weight(), QFont::Normal);
    QVERIFY(!label->font().italic() && !label->font().underline() && !label->font().strikeOut());
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void TestForm1::editorAtStart()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(focusName(), QStringLiteral("Editor"));
    QCOMPARE(form.editor()->length(), 0);

    // A long line wraps: the text box shows its vertical scroll bar and never a horizontal one.
    for (const QByteArray &text : {QByteArray(5000, 'x'), QByteArray("short")}) {
        form.editor()->setText(text);
        QTest::keyClicks(form.editor()->inputWidget(), "typed");
        QApplication::processEvents();
        const auto bars = form.editor()->findChildren<QScrollBar *>();
        for (QScrollBar *bar : bars)
            QCOMPARE(bar->isVisible(), bar->orientation() == Qt::Vertical);
    }
    form.close();
}

void TestForm1::tabOrder()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    const QStringList expected = {"Editor", "Command1", "Command2", "Command3",
                                  "Command5", "Command7", "Command4", "Editor"};
    QStringList visited = {focusName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusName();
    }
    QCOMPARE(visited, expected);
    // Tab moved on rather than typing into the document.
    QCOMPARE(form.editor()->length(), 0);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(focusName(), QStringLiteral("Command4"));
    form.close();
}

void TestForm1::menuTree()
{
    const QStringList expected = {
        "0 FileMenu File", "1 FileNew New", "1 FileOpen Open", "1 FileSave Save",
        "1 FileSaveAs Save As", "1 FileSeparator -", "1 FileExit Exit",
        "0 EditMenu Edit", "1 EditCopy Copy", "1 EditCut Cut", "1 EditPaste Paste",
        "1 EditSelect Select All", "1 EditSeparator -", "1 EditFind Find",
        "0 ProcessMenu Edit Text", "1 ProcessUpper Upper Case", "1 ProcessLower Lower Case",
        "1 ProcessNumber Number Lines",
        "0 CustomMenu Text Customization", "1 CustomFont Font", "1 CustomPage Page Color",
        "1 CustomText Text Color",
        "0 mnuNET Visit US!",
        "0 mnuHELP Get Help!", "1 mnuHELP2 Password Stealer Detection/Removal",
        "1 mnyPWS What is a Password Stealer?", "1 dash -",
        "1 mnuAbout About Tansy's INI Editor",
    };

    Form1 form;
    QStringList tree;
    const auto describe = [&tree](int level, QAction *action) {
        const QString caption = action->isSeparator() ? QStringLiteral("-") : action->text();
        tree << QStringLiteral("%1 %2 %3").arg(level).arg(action->objectName(), caption);
        QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->objectName()));
        QVERIFY2(!action->text().contains('&'), qPrintable(action->objectName()));
        QVERIFY(action->isEnabled() && action->isVisible() && !action->isChecked());
    };
    const auto bar = form.menuBar()->actions();
    for (QAction *top : bar) {
        describe(0, top);
        if (QMenu *menu = top->menu()) {
            const auto items = menu->actions();
            for (QAction *item : items)
                describe(1, item);
        }
    }
    QCOMPARE(tree, expected);
}

// Every item that is not a drop-down title or a separator runs a handler.
void TestForm1::menuItemsRunHandlers()
{
    Form1 form;
    const auto actions = form.findChildren<QAction *>();
    int commands = 0;
    for (QAction *action : actions) {
        if (action->isSeparator() || action->menu() || action->objectName().isEmpty())
            continue;
        // Breaking the item's connections succeeds only where there is one.
        QVERIFY2(QObject::disconnect(action, &QAction::triggered, nullptr, nullptr),
                 qPrintable(action->objectName()));
        ++commands;
    }
    QCOMPARE(commands, 20);
}

void TestForm1::visitUsActsFromTheBar()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *visit = form.findChild<QAction *>("mnuNET");
    QVERIFY(visit && !visit->menu());
    QSignalSpy spy(visit, &QAction::triggered);
    QMenuBar *bar = form.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(visit).center());
    QCOMPARE(spy.count(), 1);
    form.close();  // with the browser window it opened
}

void TestForm1::resizeRule_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("as designed") << 986 << 420;
    QTest::newRow("wider and taller") << 1200 << 700;
    QTest::newRow("narrower than the buttons") << 400 << 200;
    QTest::newRow("narrower than the margin") << 20 << 50;
    QTest::newRow("one pixel") << 1 << 1;
}

void TestForm1::resizeRule()
{
    QFETCH(int, width);
    QFETCH(int, height);

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect labelBefore = form.findChild<QWidget *>("Label1")->geometry();
    const QRect frame2Before = form.findChild<QWidget *>("Frame2")->geometry();

    form.resize(width, height);
    QApplication::processEvents();

    QCOMPARE(form.frameGeometry().left(), twips::toPixels(200));
    const int expected = std::max(0, form.frameGeometry().width() - twips::toPixels(370));
    TextBox *editor = form.editor();
    QCOMPARE(editor->width(), expected);
    QCOMPARE(editor->pos(), twips::rect(120, 690, 0, 0).topLeft());
    QCOMPARE(editor->height(), twips::toPixels(4185));
    QCOMPARE(form.findChild<QWidget *>("Label1")->geometry(), labelBefore);
    QCOMPARE(form.findChild<QWidget *>("Frame2")->geometry(), frame2Before);
    form.close();
}

void TestForm1::resizeAfterMove()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.move(300, 150);
    QApplication::processEvents();
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(300, 150));  // moving runs no rule

    form.resize(form.width() + 50, form.height());
    QApplication::processEvents();
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(twips::toPixels(200), 150));
    form.close();
}

void TestForm1::exitQuestion_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ends");

    const int enter = -1;
    for (const QString command : {"Command4", "FileExit"}) {
        QTest::addRow("%s, Yes", qPrintable(command)) << command << int(QMessageBox::Yes) << true;
        QTest::addRow("%s, No", qPrintable(command)) << command << int(QMessageBox::No) << false;
        QTest::addRow("%s, Enter", qPrintable(command)) << command << enter << false;
    }
}

void TestForm1::exitQuestion()
{
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(bool, ends);

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClicks(form.editor()->inputWidget(), "unsaved");
    form.editor()->setSelection(2, 3);
    QWidget other;  // stands for the browser window or the About box
    other.show();

    std::unique_ptr<ModalAnswer> box = answer < 0
        ? ModalAnswer::byKey(Qt::Key_Return)
        : std::make_unique<ModalAnswer>(QMessageBox::StandardButton(answer));

    const int code = runProgram([&] {
        if (command == "Command4")
            form.findChild<QPushButton *>("Command4")->click();
        else
            form.findChild<QAction *>("FileExit")->trigger();
    });

    QVERIFY(box->answered());
    QCOMPARE(box->seen().text, QStringLiteral("Are you sure you want to exit?\r\n"));
    QCOMPARE(box->seen().title, QStringLiteral("Do you really want to do this?"));
    QCOMPARE(box->seen().icon, QMessageBox::Question);
    QCOMPARE(box->seen().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box->seen().defaultButton, QMessageBox::No);

    QCOMPARE(code == 0, ends);
    QCOMPARE(form.isVisible(), !ends);
    QCOMPARE(other.isVisible(), !ends);
    QCOMPARE(form.editor()->text(), QByteArray("unsaved"));
    if (!ends) {
        QCOMPARE(form.editor()->selStart(), 2);
        QCOMPARE(form.editor()->selLength(), 3);
        form.close();
    }
}

void TestForm1::closeBoxEndsProgram()
{
    Form1 form;
    form.show();
    QWidget hiddenDialog;  // a search dialog that was shown and hidden again
    hiddenDialog.show();
    hiddenDialog.hide();
    QWidget browser;
    browser.show();

    QCOMPARE(runProgram([&] { form.close(); }), 0);
    QVERIFY(!form.isVisible());
    QVERIFY(!browser.isVisible());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
