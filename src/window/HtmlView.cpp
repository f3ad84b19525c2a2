#include "window/HtmlView.h"

#include <QDesktopServices>
#include <QWebEngineSettings>

#include <utility>

namespace window {
namespace {

// Stands for the new window of a target="_blank" link: it hands the first address it is asked
// to show to the browser hook and goes.
class PopupPage : public QWebEnginePage {
  public:
    PopupPage(BrowserHook openInBrowser, QObject* parent)
        : QWebEnginePage(parent), openInBrowser_(std::move(openInBrowser)) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (isMainFrame && !handed_) {
            handed_ = true;
            if (openInBrowser_) {
                openInBrowser_(url);
            }
            deleteLater();
        }
        return false;
    }

  private:
    BrowserHook openInBrowser_;
    bool handed_ = false;
};

bool SameDocument(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::RemoveFragment) == b.adjusted(QUrl::RemoveFragment);
}

}  // namespace

bool OpenInSystemBrowser(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

LocalPage::LocalPage(BrowserHook openInBrowser, QObject* parent)
    : QWebEnginePage(parent), openInBrowser_(std::move(openInBrowser)) {
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // The result page is a local file that shows the items' pictures from the marketplace.
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
}

bool LocalPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool) {
    if (!localFile_.isEmpty() && SameDocument(url, localFile_)) {
        return true;
    }
    const bool asked = type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted;
    if (asked && openInBrowser_) {
        openInBrowser_(url);
    }
    return false;
}

QWebEnginePage* LocalPage::createWindow(WebWindowType) {
    return new PopupPage(openInBrowser_, this);
}

HtmlView::HtmlView(QWidget* parent)
    : QWebEngineView(parent), page_(new LocalPage(OpenInSystemBrowser, this)) {
    setPage(page_);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void HtmlView::SetBrowserHook(BrowserHook openInBrowser) {
    page_->SetBrowserHook(std::move(openInBrowser));
}

void HtmlView::LoadLocalFile(const QString& path) {
    const QUrl file = QUrl::fromLocalFile(path);
    page_->AllowLocalFile(file);
    load(file);
}

}  // namespace window
