#pragma once

#include <QObject>

class Form1;

// The help file commands and the About box.
class HelpCommands : public QObject
{
    Q_OBJECT

public:
    explicit HelpCommands(Form1 &window);

public Q_SLOTS:
    void Command5_Click();
    void mnuHELP2_Click();
    void mnyPWS_Click();
    void mnuAbout_Click();

private:
    Form1 &m_window;
};
