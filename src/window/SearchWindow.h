#pragma once

#include "search/unit_SearchEngine.h"
#include "window/HtmlView.h"

#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMovie;
class QProgressBar;
class QSlider;
class QSpinBox;
class QTimer;

namespace window {

class DottedLine;
class EngineRelay;
class HintLabel;
class LinkLabel;
class NumberBox;
class Panel;
class PictureButton;

// Starts a prepared engine with the criteria, in TSearchEngine::Start's order, and returns its
// run's thread.
using EngineStarter = std::function<std::jthread(
    std::unique_ptr<search::TSearchEngine> Engine, std::string Keyword, std::string StartPrice,
    std::string EndPrice, int32_t MinSellerLevel, bool ForceSearch)>;

// What tests replace; the program keeps the defaults.
struct SearchWindowSeams {
    EngineStarter startEngine = &search::TSearchEngine::Start;
    BrowserHook openInBrowser = &OpenInSystemBrowser;
};

// The address the window's link label shows and opens.
inline constexpr char kVendorSite[] = "http://www.qorvane.example/";

// The main window: criteria, the progress of a search, the recommendation page and the help
// page on four stacked panels of a shaped frameless window. Every file it reads is looked up
// in the work directory at the moment it is needed.
//
// One search runs at a time, each with an engine of its own on a thread of its own; the
// engine's events come over to this window's thread in the order raised and are applied there
// while their search is the current one.
class TLumiskSearch : public QWidget {
    Q_OBJECT
  public:
    // gatewayUrl: the marketplace gateway every search calls. Reads its version text from the
    // settings file and starts the upgrade timer.
    explicit TLumiskSearch(std::string gatewayUrl, SearchWindowSeams seams = {});
    // Drops the events of a search still running.
    ~TLumiskSearch() override;

    // True from the start of a search until its last event has been applied.
    bool Searching() const { return searching_; }

    // The controls, named as the window's tables name them.
    LinkLabel* RzURLLabel1 = nullptr;
    QLabel* RzLabel2 = nullptr;
    QLabel* labVersion = nullptr;
    PictureButton* btnClose = nullptr;
    QTimer* timerUpGrade = nullptr;

    Panel* panSearch = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* RzLabel3 = nullptr;
    QLabel* labInfo_4 = nullptr;
    QSpinBox* editCommendCount = nullptr;
    LinkLabel* labHelp = nullptr;
    DottedLine* RzLine1 = nullptr;
    QLineEdit* editKey = nullptr;
    PictureButton* btnSearch = nullptr;
    QLabel* labNeedKey = nullptr;
    QCheckBox* cbHighSearch = nullptr;
    QGroupBox* rgbHighSearch = nullptr;
    QLabel* Label4 = nullptr;
    NumberBox* editStartPrice = nullptr;
    QLabel* Label5 = nullptr;
    NumberBox* editEndPrice = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* ImgSellerCredit = nullptr;
    QSlider* tbSellerCredit = nullptr;
    QCheckBox* cbAllwaysSearch = nullptr;
    QLabel* labYJSJ = nullptr;
    HintLabel* labWarning = nullptr;
    HintLabel* labNullSearch = nullptr;
    // Why the last search failed; shown like the other hints.
    HintLabel* labSearchFailed = nullptr;
    // The last search was stopped; shown like the other hints.
    QLabel* labStopped = nullptr;

    Panel* panSearching = nullptr;
    QLabel* labStep1 = nullptr;
    QLabel* labStep2 = nullptr;
    QLabel* labStep3 = nullptr;
    QLabel* labStep4 = nullptr;
    QLabel* labStep5 = nullptr;
    QLabel* imgJT = nullptr;
    // The animated picture, as a movie in a label.
    QLabel* wbGif = nullptr;
    QLabel* labInfo_1 = nullptr;
    QLabel* lab_GoodsCount = nullptr;
    QLabel* labInfo_2 = nullptr;
    QLabel* lab_GoodsCount1 = nullptr;
    QLabel* labStatus = nullptr;
    QProgressBar* pBarSearch = nullptr;
    // Stops the search and goes back to the criteria.
    PictureButton* btnStop = nullptr;

    Panel* panCommendList = nullptr;
    QLabel* labInfo_3 = nullptr;
    QLabel* labSearchedGoodsCount = nullptr;
    PictureButton* btnSearchAglin = nullptr;
    HtmlView* wbCommendList = nullptr;

    Panel* panHelp = nullptr;
    HtmlView* wbHelp = nullptr;
    PictureButton* btnIKnow = nullptr;

    // The last item count of the engine, 1 for 0: the divisor of the progress percent.
    int32_t ProgressTotal = 1;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Construction (SearchWindowForm.cpp).
    void BuildForm();
    void ConnectHandlers();

    // Handlers of the window's own controls (SearchWindowHandlers.cpp).
    void FormCreate();
    void LoadVersion();
    void btnSearchClick();
    void editKeyKeyDown(int key);
    void editKeyEnter();
    void cbHighSearchClick();
    void tbSellerCreditChanging(int position);
    void labHelpClick();
    void btnSearchAglinClick();
    void btnIKnowClick();
    [[noreturn]] void btnCloseClick();
    void RzURLLabel1Click();
    void timerUpGradeTimer();
    void ShowPanel(int code);
    void BringToFront(Panel* panel);
    void ShowStep(int32_t step);
    void EnableHighSearch(bool enabled);

    // The engine hand-over (SearchWindowEngine.cpp).
    void StartSearch();
    void btnStopClick();
    void CreateEngine();
    template <typename... Args>
    std::function<void(Args...)> Relay(int search, void (TLumiskSearch::*handler)(Args...));
    void ShowItemCount(int32_t count);
    void ShowProgress(int32_t position);
    void ShowStatus(std::string text);
    void ShowAveragePrice(double average);
    void ShowTooManyHits(int32_t minutes);
    void ShowResult();
    void ShowNothingFound();
    void ShowFailed(std::string reason);
    void EndSearch();

    // The window's outline and its dragging (WindowShape.cpp).
    void CutOutline();

    const std::string gatewayUrl_;
    const SearchWindowSeams seams_;
    std::unique_ptr<search::TSearchEngine> Engine;
    std::shared_ptr<EngineRelay> relay_;
    int searchNumber_ = 0;
    bool searching_ = false;
    std::stop_source searchStop_;
    int shownSellerLevel_ = 0;
    QMovie* searchMovie_ = nullptr;
    QPixmap background_;
    bool outlineCut_ = false;
};

}  // namespace window
