#pragma once

#include <QObject>

class QWidget;

// The three ways to the web browser window: each opens a new window on the maker's page.
class BrowserCommands : public QObject
{
    Q_OBJECT

public:
    // `window` owns the message should the browser not open.
    explicit BrowserCommands(QWidget *window);

    // The maker's home page: a page shipped inside the program, so it shows offline too.
    static QString homePage();

public Q_SLOTS:
    void Command7_Click();
    void Label1_Click();
    void mnuNET_Click();

private:
    void openBrowser();

    QWidget *m_window;
};
