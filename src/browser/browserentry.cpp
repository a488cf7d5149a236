// The browser library's one entry point, looked up by name when the program loads it.
#include "browser/frmbrowser.h"

extern "C" Q_DECL_EXPORT void tansy_open_browser(const QString &address)
{
    // A new window at every opening; it deletes itself when closed.
    auto *browser = new frmBrowser;
    browser->StartingAddress = address;
    browser->Show();
}
