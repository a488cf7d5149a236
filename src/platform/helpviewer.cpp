#include "platform/helpviewer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// Larger than any help file; a file beyond it is not one, and would only hang the browser.
constexpr qint64 LargestHelpFile = 8 << 20;

QPushButton *addButton(QHBoxLayout *bar, const QString &caption, const char *name)
{
    auto *button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    bar->addWidget(button);
    return button;
}

}

HelpViewer::HelpViewer(QStringList fallbackFolders)
    : QWidget(nullptr, Qt::Window), m_fallbackFolders(std::move(fallbackFolders)),
      m_browser(new QTextBrowser), m_findText(new QLineEdit)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(tr("Help"));
    resize(640, 560);

    auto *bar = new QHBoxLayout;
    QPushButton *contents = addButton(bar, tr("Contents"), "Contents");
    QPushButton *back = addButton(bar, tr("Back"), "Back");
    QPushButton *forward = addButton(bar, tr("Forward"), "Forward");
    m_findText->setObjectName(QStringLiteral("FindText"));
    m_findText->setAccessibleName(tr("Find in topic"));
    m_findText->setPlaceholderText(tr("Find in topic"));
    bar->addWidget(m_findText, 1);
    QPushButton *find = addButton(bar, tr("Find"), "Find");
    QPushButton *print = addButton(bar, tr("Print"), "Print");
    m_locate = addButton(bar, tr("Locate..."), "Locate");
    m_locate->hide();

    m_browser->setObjectName(QStringLiteral("Topic"));
    m_browser->setOpenExternalLinks(true);  // the user's web browser, not this window
    m_browser->setOpenLinks(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser);

    connect(contents, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(find, &QPushButton::clicked, this, &HelpViewer::findInTopic);
    connect(m_findText, &QLineEdit::returnPressed, this, &HelpViewer::findInTopic);
    connect(print, &QPushButton::clicked, this, &HelpViewer::print);
    connect(m_locate, &QPushButton::clicked, this, &HelpViewer::locate);
    back->setEnabled(false);
    forward->setEnabled(false);
}

// Relative to the program, so an installed program finds its help under any prefix, and a
// program in its build folder finds the copy beside it.
QStringList HelpViewer::defaultFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder + QStringLiteral("/../share/tansy-ini-editor"), programFolder};
}

void HelpViewer::show(const QString &file, int command)
{
    if (command != ForceFile)
        return;
    const QString found = find(file);
    if (found.isEmpty()) {
        showMissing(file);
    } else if (found != m_current) {
        open(found);
    }
    QWidget::show();
    raise();
    activateWindow();
}

void HelpViewer::closeEvent(QCloseEvent *event)
{
    m_current.clear();
    QWidget::closeEvent(event);
}

// The path as given first; then the same file name in each fallback folder.
QString HelpViewer::find(const QString &file) const
{
    const QFileInfo given(file);
    if (given.isFile())
        return given.canonicalFilePath();
    for (const QString &folder : m_fallbackFolders) {
        const QFileInfo there(folder + QLatin1Char('/') + given.fileName());
        if (!given.fileName().isEmpty() && there.isFile())
            return there.canonicalFilePath();
    }
    return QString();
}

void HelpViewer::open(const QString &path)
{
    m_current = path;
    m_missing.clear();
    m_locate->hide();
    if (QFileInfo(path).size() > LargestHelpFile) {
        m_browser->setPlainText(tr("%1 is too large to be a help file.").arg(path));
        m_browser->clearHistory();
        return;
    }
    m_browser->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
    // Back and Forward move between the topics of this file only.
    m_browser->clearHistory();
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? tr("Help") : title);
}

void HelpViewer::showMissing(const QString &file)
{
    m_current.clear();
    m_missing = file;
    m_browser->setPlainText(tr("The help file %1 was not found.\n\n"
                               "Use \"Locate...\" to show where it is.").arg(file));
    m_browser->clearHistory();
    setWindowTitle(tr("Help"));
    m_locate->show();
}

void HelpViewer::locate()
{
    const QString name = QFileInfo(m_missing).fileName();
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Locate %1").arg(name), QString(),
        tr("Help files (*.hlp *.HLP);;All files (*)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        open(QFileInfo(chosen).canonicalFilePath());
}

void HelpViewer::findInTopic()
{
    const QString text = m_findText->text();
    if (text.isEmpty())
        return;
    if (!m_browser->find(text)) {
        // From the top again once the end is reached.
        m_browser->moveCursor(QTextCursor::Start);
        m_browser->find(text);
    }
}

void HelpViewer::print()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, m_browser->textCursor().hasSelection());
    if (dialog.exec() == QDialog::Accepted)
        m_browser->print(&printer);
}
