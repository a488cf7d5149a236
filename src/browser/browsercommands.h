#pragma once

#include <QObject>

class Form1;

// The three ways to the web browser window.
class BrowserCommands : public QObject
{
    Q_OBJECT

public:
    explicit BrowserCommands(Form1 &window);

public Q_SLOTS:
    void Command7_Click();
    void Label1_Click();
    void mnuNET_Click();

private:
    Form1 &m_window;
};
