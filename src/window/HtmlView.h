#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <utility>

namespace window {

// Opens an address outside the program, in the system's browser; true when that worked.
using BrowserHook = std::function<bool(const QUrl&)>;

// The system's default handler for an address (QDesktopServices::openUrl).
bool OpenInSystemBrowser(const QUrl& url);

// The page of an HtmlView: it shows the one local file the program loads into it and sends
// every other navigation that a click asks for (a link, a form) to the browser hook instead of
// following it. Links that open a new window (target="_blank") go to the hook as well.
class LocalPage : public QWebEnginePage {
    Q_OBJECT
  public:
    LocalPage(BrowserHook openInBrowser, QObject* parent);

    // The file this page may show; set before loading it.
    void AllowLocalFile(const QUrl& file) { localFile_ = file; }
    void SetBrowserHook(BrowserHook openInBrowser) { openInBrowser_ = std::move(openInBrowser); }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

  private:
    BrowserHook openInBrowser_;
    QUrl localFile_;
};

// An embedded HTML view for local pages: JavaScript off, no context menu (its entries would
// navigate the view), navigations away from the local file go to the system's browser.
class HtmlView : public QWebEngineView {
    Q_OBJECT
  public:
    explicit HtmlView(QWidget* parent);

    // Replaces the system's browser, for tests.
    void SetBrowserHook(BrowserHook openInBrowser);

    // Loads the file afresh, also when it is shown already; a missing file gets the view's own
    // error page.
    void LoadLocalFile(const QString& path);

  private:
    LocalPage* page_;
};

}  // namespace window
