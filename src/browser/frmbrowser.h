#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
class WebBrowser;

// The small web browser window: toolbar, address box and the browser control. Every opening
// makes a window of its own, without an owner, destroyed when it is closed.
class frmBrowser : public QWidget
{
    Q_OBJECT

public:
    frmBrowser();

    // Set by the opener before Show(); read once by the load step.
    QString StartingAddress;

    // Shows the window; the first time, by running the load step.
    void Show();
    WebBrowser *browser() const { return m_brwWebBrowser; }

public Q_SLOTS:
    void brwWebBrowser_DownloadComplete();
    void cboAddress_Click();
    void timTimer_Timer();
    void tbToolBar_ButtonClick(const QString &key);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void cboAddress_KeyPress(int KeyAscii);

    QToolBar *m_tbToolBar;
    QWidget *m_picAddress;
    QLabel *m_lblAddress;
    QComboBox *m_cboAddress;
    WebBrowser *m_brwWebBrowser;
    QTimer *m_timTimer;
    bool m_loaded = false;
    bool m_enterHandled = false;
};
