#include "browser/frmbrowser.h"

#include "platform/twips.h"
#include "platform/webbrowser.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr int ToolBarHeight = 540;
constexpr int PanelTop = 540;
constexpr int PanelHeight = 675;
constexpr int Margin = 50;

const QString Waiting = QStringLiteral("Loading WEB Site.. Please Wait!");

}

frmBrowser::frmBrowser()
    : QWidget(nullptr, Qt::Window), m_tbToolBar(new QToolBar(this)),
      m_picAddress(new QWidget(this)), m_lblAddress(new QLabel(QStringLiteral("&Address:"), m_picAddress)),
      m_cboAddress(new QComboBox(m_picAddress)), m_brwWebBrowser(new WebBrowser(this)),
      m_timTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmBrowser"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("MS Internet Browser"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/browser.png")));
    resize(twips::toPixels(9195), twips::toPixels(7860));

    m_tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_tbToolBar->setIconSize(QSize(24, 24));
    m_tbToolBar->setMovable(false);
    const struct { const char *key; const char *picture; } buttons[] = {
        {"Back", ":/icons/back.png"},       {"Forward", ":/icons/forward.png"},
        {"Stop", ":/icons/stop.png"},       {"Refresh", ":/icons/refresh.png"},
        {"Home", ":/icons/home.png"},       {"Search", ":/icons/search.png"},
    };
    for (const auto &button : buttons) {
        const QString key = QLatin1String(button.key);
        QAction *action = m_tbToolBar->addAction(QIcon(QLatin1String(button.picture)), key);
        action->setObjectName(key);
        action->setToolTip(key);
        connect(action, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
    }

    m_picAddress->setObjectName(QStringLiteral("picAddress"));
    m_lblAddress->setObjectName(QStringLiteral("lblAddress"));
    m_lblAddress->setGeometry(twips::rect(45, 60, 3075, 255));
    m_lblAddress->setBuddy(m_cboAddress);
    m_cboAddress->setObjectName(QStringLiteral("cboAddress"));
    m_cboAddress->setAccessibleName(QStringLiteral("Address:"));
    m_cboAddress->setEditable(true);
    // The list holds what the load step puts there; typing an address never adds to it.
    m_cboAddress->setInsertPolicy(QComboBox::NoInsert);
    // Enter goes to exactly what was typed: no completion from the list.
    m_cboAddress->setCompleter(nullptr);
    m_cboAddress->setEditText(QStringLiteral("Combo1"));
    m_cboAddress->setGeometry(twips::rect(45, 300, 3795, 315));
    // Keys typed into the box reach the combo box, which hands them to its line edit without
    // passing any watcher of the line edit's: the combo box is watched.
    m_cboAddress->installEventFilter(this);

    m_brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    m_brwWebBrowser->setAccessibleName(QStringLiteral("Web page"));  // for screen readers
    m_brwWebBrowser->setGeometry(twips::rect(Margin, PanelTop + PanelHeight, 5393, 3734));

    m_timTimer->setObjectName(QStringLiteral("timTimer"));
    m_timTimer->setInterval(5);

    setTabOrder(m_brwWebBrowser, m_cboAddress);
    setTabOrder(m_cboAddress, m_tbToolBar);

    connect(m_brwWebBrowser, &WebBrowser::DownloadComplete, this,
            &frmBrowser::brwWebBrowser_DownloadComplete);
    connect(m_timTimer, &QTimer::timeout, this, &frmBrowser::timTimer_Timer);
    connect(m_cboAddress, &QComboBox::activated, this, [this] {
        // Enter in the box has navigated already; the box's own handling of the same key
        // must not navigate a second time.
        if (!m_enterHandled)
            cboAddress_Click();
    });
}

void frmBrowser::Show()
{
    if (m_loaded) {
        show();
        return;
    }
    m_loaded = true;
    Form_Load();
}

void frmBrowser::Form_Load()
{
    // The page is first in the tab order: it has the focus when the window opens.
    m_brwWebBrowser->setFocus();
    show();
    m_tbToolBar->update();
    Form_Resize();
    const int labelBottom = 60 + 255;
    m_cboAddress->move(twips::toPixels(Margin), twips::toPixels(labelBottom + 15));
    if (StartingAddress.isEmpty())
        return;
    m_cboAddress->setEditText(StartingAddress);
    m_cboAddress->addItem(m_cboAddress->currentText());
    m_cboAddress->setEditText(StartingAddress);
    m_timTimer->start();
    m_brwWebBrowser->Navigate(StartingAddress);
}

void frmBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// The toolbar and the panel span the width; the address box and the browser keep a margin
// of 50 twips left and right, the browser 100 below. Sizes never go below zero.
void frmBrowser::Form_Resize()
{
    const int w = width();
    const int h = height();
    const int panelBottom = twips::toPixels(PanelTop + PanelHeight);
    const int margins = twips::toPixels(2 * Margin);
    m_tbToolBar->setGeometry(0, 0, w, twips::toPixels(ToolBarHeight));
    m_picAddress->setGeometry(0, twips::toPixels(PanelTop), w, twips::toPixels(PanelHeight));
    m_cboAddress->resize(std::max(0, w - margins), m_cboAddress->height());
    m_brwWebBrowser->resize(std::max(0, w - margins), std::max(0, h - panelBottom - margins));
}

void frmBrowser::brwWebBrowser_DownloadComplete()
{
    setWindowTitle(m_brwWebBrowser->LocationName());
}

void frmBrowser::timTimer_Timer()
{
    if (m_brwWebBrowser->Busy()) {
        setWindowTitle(Waiting);
        return;
    }
    m_timTimer->stop();
    setWindowTitle(m_brwWebBrowser->LocationName());
}

void frmBrowser::cboAddress_Click()
{
    m_timTimer->start();
    m_brwWebBrowser->Navigate(m_cboAddress->currentText());
}

void frmBrowser::cboAddress_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13)
        cboAddress_Click();
}

bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_cboAddress && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            cboAddress_KeyPress(13);
            m_enterHandled = true;
            QTimer::singleShot(0, this, [this] { m_enterHandled = false; });
        }
    }
    return QWidget::eventFilter(watched, event);  // the key goes on to the box unchanged
}

void frmBrowser::tbToolBar_ButtonClick(const QString &key)
{
    m_timTimer->start();
    if (key == QLatin1String("Back")) {
        m_brwWebBrowser->GoBack();
    } else if (key == QLatin1String("Forward")) {
        m_brwWebBrowser->GoForward();
    } else if (key == QLatin1String("Refresh")) {
        m_brwWebBrowser->Refresh();
    } else if (key == QLatin1String("Home")) {
        m_brwWebBrowser->GoHome();
    } else if (key == QLatin1String("Search")) {
        m_brwWebBrowser->GoSearch();
    } else if (key == QLatin1String("Stop")) {
        m_timTimer->stop();
        m_brwWebBrowser->Stop();
        setWindowTitle(m_brwWebBrowser->LocationName());
    }
}
