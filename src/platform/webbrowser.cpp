#include "platform/webbrowser.h"

#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>


namespace {

// A move within the page shown loads nothing, and the engine reports no load for it, so
// nothing would end the busy state: a #name on the page shown, or a history step between
// entries of the same page (as such moves leave them).
bool samePage(const QUrl &to, const QUrl &shown)
{
    return !shown.isEmpty()
        && to.adjusted(QUrl::RemoveFragment) == shown.adjusted(QUrl::RemoveFragment);
}

// Pages may go anywhere on the web, but never to the local file system: only the pages
// shipped inside the program are local.
class Page : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
    {
        return !url.isLocalFile();
    }
};

}

QUrl WebBrowser::homePage()
{
    return QUrl(QStringLiteral("about:blank"));
}

QUrl WebBrowser::searchPage()
{
    return QUrl(QStringLiteral("qrc:/browser/search.html"));
}

// Navigate: QWebEngineView::load of the text as the user would type it into a browser.
// GoBack, GoForward, Refresh, Stop: back(), forward(), reload(), stop(); a step that is not
// possible (no earlier page) does nothing. GoHome and GoSearch load homePage() and
// searchPage(). LocationName: the page's title, or its address while it has none.
// Busy: true from the moment an operation starts a load (as the control reports it at
// once, before the engine's loadStarted arrives) or the engine starts one itself (a link),
// until loadFinished; never for a move within the page shown, which loads nothing. DownloadComplete: loadFinished, whatever its outcome.
WebBrowser::WebBrowser(QWidget *parent) : QWidget(parent), m_view(new QWebEngineView(this))
{
    auto *page = new Page(m_view);
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    m_view->setPage(page);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    connect(m_view, &QWebEngineView::loadStarted, this, [this] { m_busy = true; });
    connect(m_view, &QWebEngineView::loadFinished, this, [this] {
        m_busy = false;
        Q_EMIT DownloadComplete();
    });
}

void WebBrowser::Navigate(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    m_busy = !url.isLocalFile() && url.isValid() && !(url.hasFragment() && samePage(url, m_view->url()));
    m_view->load(url);
}

void WebBrowser::GoBack()
{
    if (m_view->history()->canGoBack()) {
        m_busy = !samePage(m_view->history()->backItem().url(), m_view->url());
        m_view->back();
    }
}

void WebBrowser::GoForward()
{
    if (m_view->history()->canGoForward()) {
        m_busy = !samePage(m_view->history()->forwardItem().url(), m_view->url());
        m_view->forward();
    }
}

void WebBrowser::GoHome()
{
    m_busy = true;
    m_view->load(homePage());
}

void WebBrowser::GoSearch()
{
    m_busy = true;
    m_view->load(searchPage());
}

void WebBrowser::Refresh()
{
    if (!m_view->url().isEmpty()) {
        m_busy = true;
        m_view->reload();
    }
}

void WebBrowser::Stop()
{
    m_view->stop();
    m_busy = false;
}

QString WebBrowser::LocationName() const
{
    const QString title = m_view->title();
    return title.isEmpty() ? LocationURL() : title;
}

QString WebBrowser::LocationURL() const
{
    return m_view->url().toString();
}
