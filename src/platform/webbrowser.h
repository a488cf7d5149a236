#pragma once

#include <QUrl>
#include <QWidget>

class QWebEngineView;

// The web-browser control, on Qt WebEngine, with the operations and properties the browser
// window uses under their published names.
class WebBrowser : public QWidget
{
    Q_OBJECT

public:
    // The control's own home and search pages, set for the whole program; not the maker's
    // page. Home is a blank page; Search a page shipped with the program whose form asks a
    // public web search.
    static QUrl homePage();
    static QUrl searchPage();

    explicit WebBrowser(QWidget *parent = nullptr);

    void Navigate(const QString &address);
    void GoBack();
    void GoForward();
    void GoHome();
    void GoSearch();
    void Refresh();
    void Stop();

    QString LocationName() const;
    QString LocationURL() const;
    bool Busy() const { return m_busy; }

Q_SIGNALS:
    // A download ended: the page is complete, was stopped, or failed.
    void DownloadComplete();

private:
    QWebEngineView *m_view;
    bool m_busy = false;
};
