#include "app/form1.h"

#include "shared/appinfo.h"
#include "app/bannerlabel.h"
#include "shared/designcontrol.h"
#include "browser/browsercommands.h"
#include "document/documentcommands.h"
#include "editing/editingcommands.h"
#include "help/helpcommands.h"
#include "platform/commondialog.h"
#include "platform/dospaths.h"
#include "platform/messagebox.h"
#include "platform/textbox.h"
#include "platform/twips.h"
#include "search/searchcommands.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int ClientWidth = 14790;
constexpr int ClientHeight = 5745;
constexpr int WindowLeft = 200;
constexpr int EditorMargin = 370;

using designcontrol::named;
using designcontrol::placed;

QAction *addCommand(QMenu *menu, const char *name, const QString &caption)
{
    return named(menu->addAction(caption), name, caption);
}

QMenu *addMenu(QMenuBar *bar, const char *name, const QString &caption)
{
    QMenu *menu = named(bar->addMenu(caption), name, caption);
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

void addSeparator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

}

// The icon and other resources live in the program's library, which a program must load.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

Form1::Form1(const QString &driveRoot, QWidget *parent)
    : QMainWindow(parent), m_paths(std::make_unique<DosPaths>(driveRoot))
{
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("INI Editor, and PWS Detector"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/tansy.png")));

    m_commonDialog = new CommonDialog(this, *m_paths);
    createControls();

    m_documents = new DocumentCommands(this, *m_editor, *m_commonDialog, *m_paths);
    m_editing = new EditingCommands(this, *m_editor, *m_commonDialog);
    m_search = new SearchCommands(this, *m_editor);
    m_help = new HelpCommands(this, *m_commonDialog, *m_paths);
    m_browser = new BrowserCommands(this);

    createMenus();
    createTabOrder();

    connect(m_command1, &QPushButton::clicked, m_documents, &DocumentCommands::Command1_Click);
    connect(m_command2, &QPushButton::clicked, m_documents, &DocumentCommands::Command2_Click);
    connect(m_command3, &QPushButton::clicked, m_documents, &DocumentCommands::Command3_Click);
    connect(m_command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_command5, &QPushButton::clicked, m_help, &HelpCommands::Command5_Click);
    connect(m_command7, &QPushButton::clicked, m_browser, &BrowserCommands::Command7_Click);
    connect(m_label1, &BannerLabel::clicked, m_browser, &BrowserCommands::Label1_Click);

    // The client area as designed, centred on the screen; the resize rule then moves it.
    resize(twips::toPixels(ClientWidth),
           twips::toPixels(ClientHeight) + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_editor->setFocus();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);

    QGroupBox *frame2 = addFrame("Frame2", QStringLiteral("Exit Editor?"), 6720, 4920, 1935, 735);
    m_command4 = addButton(frame2, "Command4", QStringLiteral("Exit Editor"), 480, 240, 1095, 375);
    m_command7 = addButton(client, "Command7", QStringLiteral("Tansy "), 6840, 120, 1815, 375);
    m_command5 = addButton(client, "Command5", QStringLiteral("PWS Detection"), 120, 120, 1575, 375);
    QGroupBox *frame1 =
        addFrame("Frame1", QStringLiteral("Auto INI Load Options"), 120, 4920, 4335, 735);
    m_command3 = addButton(frame1, "Command3", QStringLiteral("Progman.INI"), 2880, 240, 1215, 375);
    m_command2 = addButton(frame1, "Command2", QStringLiteral("System.INI"), 1560, 240, 1215, 375);
    m_command1 = addButton(frame1, "Command1", QStringLiteral("Win.INI"), 240, 240, 1215, 375);

    m_editor = placed(new TextBox(client), "Editor", QStringLiteral("Editor"), 120, 690, 8415, 4185);
    m_editor->inputWidget()->setAccessibleName(QStringLiteral("Editor"));

    const QString banner = QStringLiteral("Tansy's INI Editor");
    m_label1 = placed(new BannerLabel(banner, client), "Label1", banner, 2040, 120, 4215, 375);
    QFont bannerFont(QStringLiteral("Lucida Fax"));
    bannerFont.setFamilies({QStringLiteral("Lucida Fax"), QStringLiteral("DejaVu Serif")});
    bannerFont.setStyleHint(QFont::Serif);
    bannerFont.setPointSizeF(14.25);
    bannerFont.setWeight(QFont::Normal);
    m_label1->setFont(bannerFont);
    QPalette red = m_label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_label1->setPalette(red);
    m_label1->setFocusPolicy(Qt::NoFocus);

    // A drawn rule, one pixel high, that takes no input.
    auto *line1 = named(new QFrame(client), "Line1", QStringLiteral("Line1"));
    line1->setFrameStyle(QFrame::HLine | QFrame::Plain);
    line1->setLineWidth(1);
    line1->setGeometry(twips::toPixels(120), twips::toPixels(600),
                       twips::toPixels(14640 - 120), 1);
    line1->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QPushButton *Form1::addButton(QWidget *parent, const char *name, const QString &caption,
                              int left, int top, int width, int height)
{
    QPushButton *button =
        placed(new QPushButton(caption, parent), name, caption, left, top, width, height);
    button->setAutoDefault(false);
    return button;
}

QGroupBox *Form1::addFrame(const char *name, const QString &caption,
                           int left, int top, int width, int height)
{
    QGroupBox *frame =
        placed(new QGroupBox(caption, centralWidget()), name, caption, left, top, width, height);
    // The caption stands on the top edge of the frame, as the design's positions expect:
    // the buttons inside start 240 twips below that edge.
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); margin-top: 0.5em; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    return frame;
}

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();

    QMenu *fileMenu = addMenu(bar, "FileMenu", QStringLiteral("File"));
    connect(addCommand(fileMenu, "FileNew", QStringLiteral("New")), &QAction::triggered,
            m_documents, &DocumentCommands::FileNew_Click);
    connect(addCommand(fileMenu, "FileOpen", QStringLiteral("Open")), &QAction::triggered,
            m_documents, &DocumentCommands::FileOpen_Click);
    connect(addCommand(fileMenu, "FileSave", QStringLiteral("Save")), &QAction::triggered,
            m_documents, &DocumentCommands::FileSave_Click);
    connect(addCommand(fileMenu, "FileSaveAs", QStringLiteral("Save As")), &QAction::triggered,
            m_documents, &DocumentCommands::FileSaveAs_Click);
    addSeparator(fileMenu, "FileSeparator");
    connect(addCommand(fileMenu, "FileExit", QStringLiteral("Exit")), &QAction::triggered,
            this, &Form1::FileExit_Click);

    QMenu *editMenu = addMenu(bar, "EditMenu", QStringLiteral("Edit"));
    connect(addCommand(editMenu, "EditCopy", QStringLiteral("Copy")), &QAction::triggered,
            m_editing, &EditingCommands::EditCopy_Click);
    connect(addCommand(editMenu, "EditCut", QStringLiteral("Cut")), &QAction::triggered,
            m_editing, &EditingCommands::EditCut_Click);
    connect(addCommand(editMenu, "EditPaste", QStringLiteral("Paste")), &QAction::triggered,
            m_editing, &EditingCommands::EditPaste_Click);
    connect(addCommand(editMenu, "EditSelect", QStringLiteral("Select All")), &QAction::triggered,
            m_editing, &EditingCommands::EditSelect_Click);
    addSeparator(editMenu, "EditSeparator");
    connect(addCommand(editMenu, "EditFind", QStringLiteral("Find")), &QAction::triggered,
            m_search, &SearchCommands::EditFind_Click);

    QMenu *processMenu = addMenu(bar, "ProcessMenu", QStringLiteral("Edit Text"));
    connect(addCommand(processMenu, "ProcessUpper", QStringLiteral("Upper Case")),
            &QAction::triggered, m_editing, &EditingCommands::ProcessUpper_Click);
    connect(addCommand(processMenu, "ProcessLower", QStringLiteral("Lower Case")),
            &QAction::triggered, m_editing, &EditingCommands::ProcessLower_Click);
    connect(addCommand(processMenu, "ProcessNumber", QStringLiteral("Number Lines")),
            &QAction::triggered, m_editing, &EditingCommands::ProcessNumber_Click);

    QMenu *customMenu = addMenu(bar, "CustomMenu", QStringLiteral("Text Customization"));
    connect(addCommand(customMenu, "CustomFont", QStringLiteral("Font")), &QAction::triggered,
            m_editing, &EditingCommands::CustomFont_Click);
    connect(addCommand(customMenu, "CustomPage", QStringLiteral("Page Color")),
            &QAction::triggered, m_editing, &EditingCommands::CustomPage_Click);
    connect(addCommand(customMenu, "CustomText", QStringLiteral("Text Color")),
            &QAction::triggered, m_editing, &EditingCommands::CustomText_Click);

    // "Visit US!" stands in the bar itself and acts at one click, like a button.
    QAction *visit = named(bar->addAction(QStringLiteral("Visit US!")), "mnuNET",
                           QStringLiteral("Visit US!"));
    connect(visit, &QAction::triggered, m_browser, &BrowserCommands::mnuNET_Click);

    QMenu *helpMenu = addMenu(bar, "mnuHELP", QStringLiteral("Get Help!"));
    connect(addCommand(helpMenu, "mnuHELP2", QStringLiteral("Password Stealer Detection/Removal")),
            &QAction::triggered, m_help, &HelpCommands::mnuHELP2_Click);
    connect(addCommand(helpMenu, "mnyPWS", QStringLiteral("What is a Password Stealer?")),
            &QAction::triggered, m_help, &HelpCommands::mnyPWS_Click);
    addSeparator(helpMenu, "dash");
    connect(addCommand(helpMenu, "mnuAbout", QStringLiteral("About Tansy's INI Editor")),
            &QAction::triggered, m_help, &HelpCommands::mnuAbout_Click);
}

void Form1::createTabOrder()
{
    designcontrol::tabOrder(
        {m_editor, m_command1, m_command2, m_command3, m_command5, m_command7, m_command4});
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// Every change of size puts the window's outer left edge at 200 twips and lets the editor's
// width follow the window. A minimised window is left alone, a maximised or full-screen one
// is not moved, and the editor is never given a negative width.
void Form1::Form_Resize()
{
    if (isMinimized())
        return;
    if (!isMaximized() && !isFullScreen())
        move(twips::toPixels(WindowLeft), pos().y());
    const int width = std::max(0, frameGeometry().width() - twips::toPixels(EditorMargin));
    m_editor->resize(width, m_editor->height());
}

void Form1::Command4_Click()
{
    const QString prompt = QStringLiteral("Are you sure you want to exit?\r\n");
    const int answer = msgbox::show(this, prompt,
                                    msgbox::YesNo | msgbox::Question | msgbox::DefaultButton2,
                                    QStringLiteral("Do you really want to do this?"));
    if (answer == msgbox::Yes)
        close();
}

void Form1::FileExit_Click()
{
    Command4_Click();
}

// The program ends with its main window, whichever way it is closed: no other window may
// stay behind, shown or hidden.
void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this)
            window->close();
    }
    QCoreApplication::quit();
}
