// The search window's construction: its controls from the tables, their defaults, the wiring.

#include "window/ControlTable.h"
#include "window/EngineRelay.h"
#include "window/SearchWindow.h"

#include "platform/WindowMessages.h"
#include "search/PrepareCriteria.h"

#include <QCheckBox>
#include <QMovie>
#include <QTimer>

#include <vector>

namespace window {
namespace {

using Row = ControlRow<TLumiskSearch>;
using W = TLumiskSearch;
using enum TextColour;

// The blank runs place the line breaks inside the word-wrapped hints (see HintLabel).
std::string WarningText() {
    return "VEXMOOR提示您：符合您选择的关键字的商品数量过多，请参照 [关键字选" +
           std::string(29, ' ') + "择经验] 选择更加适合的关键字组合！\r" + std::string(26, ' ') +
           "或者在 [更多条件] 下勾选上 [强制检索] ！";
}

std::string NullSearchText() {
    return "VEXMOOR提示您：本次检索没有找到符合您设定的关键词条件的商品，请参" +
           std::string(28, ' ') + "考 [关键字选择经验] 选择更加适合的关键字组合！";
}

std::vector<Row> Controls() {
    return {
        {&W::RzURLLabel1, "RzURLLabel1", "", 24, 544, 0, 0, kVendorSite, "", Address,
         kUnderline | kAutoSize},
        {&W::RzLabel2, "RzLabel2", "", 604, 544, 42, 0, "版本号", "", Light, kPlain},
        {&W::labVersion, "labVersion", "", 652, 544, 128, 0, "", "", Light, kPlain},
        {&W::btnClose, "btnClose", "", 726, 12, 53, 22, "", ":/window/BtnClose", Default, kPlain},

        {&W::panSearch, "panSearch", "", 40, 72, 721, 441, "", "", Default, kPlain},
        {&W::panSearching, "panSearching", "", 40, 72, 721, 441, "", "", Default, kPlain},
        {&W::panCommendList, "panCommendList", "", 40, 72, 721, 441, "", "", Default, kPlain},
        {&W::panHelp, "panHelp", "", 40, 72, 721, 441, "", "", Default, kPlain},

        {&W::Image1, "Image1", "panSearch", 168, 96, 385, 84, "", ":/window/Image1.png", Default,
         kPlain},
        {&W::RzLabel3, "RzLabel3", "panSearch", 180, 114, 0, 0, "搜索关键字", "", Dark, kPlain},
        {&W::labInfo_4, "labInfo_4", "panSearch", 273, 114, 0, 0, "推荐商品个数", "", Dark, kPlain},
        {&W::editCommendCount, "editCommendCount", "panSearch", 361, 109, 50, 0, "", "", Default,
         kPlain},
        {&W::labHelp, "labHelp", "panSearch", 430, 114, 0, 0, "关键字选择经验？", "", Link, kPlain},
        {&W::RzLine1, "RzLine1", "panSearch", 419, 120, 134, 20, "", "", Link, kPlain},
        {&W::editKey, "editKey", "panSearch", 184, 160, 257, 26,
         std::string(search::kKeywordPlaceholder), "", Default, kPlain},
        {&W::btnSearch, "btnSearch", "panSearch", 448, 159, 89, 26, "给我  搜!",
         ":/window/BtnSearch", Default, kPlain},
        {&W::labNeedKey, "labNeedKey", "panSearch", 184, 192, 257, 16,
         std::string(search::kNeedKeyText), "", Yellow, kHidden},
        {&W::cbHighSearch, "cbHighSearch", "panSearch", 172, 213, 269, 17,
         "更多条件 勾选这里进行更加复杂的检索", "", Light, kPlain},
        {&W::rgbHighSearch, "rgbHighSearch", "panSearch", 160, 216, 473, 137, "       更多条件", "",
         Light, kDisabled},
        {&W::Label4, "Label4", "rgbHighSearch", 19, 28, 0, 0, "最低价格", "", Light, kPlain},
        {&W::editStartPrice, "editStartPrice", "rgbHighSearch", 82, 24, 73, 21, "0", "", Default,
         kPlain},
        {&W::Label5, "Label5", "rgbHighSearch", 19, 53, 0, 0, "最高价格", "", Light, kPlain},
        {&W::editEndPrice, "editEndPrice", "rgbHighSearch", 82, 50, 73, 21, "0", "", Default,
         kPlain},
        {&W::Label2, "Label2", "rgbHighSearch", 211, 28, 0, 0, "掌柜信用至少", "", Light, kPlain},
        {&W::ImgSellerCredit, "ImgSellerCredit", "rgbHighSearch", 301, 25, 0, 0, "",
         ":/window/SellerLevel.png", Default, kPlain},
        {&W::tbSellerCredit, "tbSellerCredit", "rgbHighSearch", 208, 48, 249, 0, "", "", Default,
         kPlain},
        {&W::cbAllwaysSearch, "cbAllwaysSearch", "rgbHighSearch", 24, 104, 425, 17,
         "强制检索    让你在更大的范围内检索数据！", "", Light, kPlain},
        {&W::labYJSJ, "labYJSJ", "panSearch", 96, 8, 521, 16, "", "", Yellow, kHidden},
        {&W::labWarning, "labWarning", "panSearch", 96, 32, 537, 57, WarningText(), "", Yellow,
         kHidden | kWraps},
        {&W::labNullSearch, "labNullSearch", "panSearch", 96, 32, 537, 49, NullSearchText(), "",
         Yellow, kHidden | kWraps},
        {&W::labSearchFailed, "labSearchFailed", "panSearch", 96, 32, 537, 49, "", "", Yellow,
         kHidden | kWraps},
        {&W::labStopped, "labStopped", "panSearch", 96, 32, 537, 16, "已停止本次检索", "", Yellow,
         kHidden},

        {&W::labStep1, "labStep1", "panSearching", 88, 40, 289, 25, "正在检索符合条件的商品数据...",
         "", White, kPlain},
        {&W::labStep2, "labStep2", "panSearching", 88, 64, 289, 25, "计算商品的价格得分...", "",
         White, kPlain},
        {&W::labStep3, "labStep3", "panSearching", 88, 88, 289, 25,
         "获取卖家的信用信息并计算信用得分...", "", White, kPlain},
        {&W::labStep4, "labStep4", "panSearching", 88, 112, 289, 25,
         "检索出最具推荐价值的商品列表...", "", White, kPlain},
        {&W::labStep5, "labStep5", "panSearching", 88, 136, 289, 25, "正在生成推荐结果...", "",
         White, kPlain},
        {&W::imgJT, "imgJT", "panSearching", 72, 40, 10, 10, "", ":/window/Arrow.png", Default,
         kPlain},
        {&W::wbGif, "wbGif", "panSearching", 536, 72, 72, 67, "", "", Default, kPlain},
        {&W::labInfo_1, "labInfo_1", "panSearching", 64, 224, 0, 0, "预检商品数量", "", Light,
         kPlain},
        {&W::lab_GoodsCount, "lab_GoodsCount", "panSearching", 168, 224, 0, 0, "0", "", Red,
         kBold | kAutoSize},
        {&W::labInfo_2, "labInfo_2", "panSearching", 248, 224, 0, 0, "实检商品数量", "", Light,
         kPlain},
        {&W::lab_GoodsCount1, "lab_GoodsCount1", "panSearching", 344, 224, 0, 0, "0", "", Green,
         kBold | kAutoSize},
        {&W::labStatus, "labStatus", "panSearching", 64, 256, 593, 16, "", "", Yellow, kPlain},
        {&W::pBarSearch, "pBarSearch", "panSearching", 64, 272, 593, 33, "", "", Default, kPlain},
        // Centred under the progress bar, in the free space below it.
        {&W::btnStop, "btnStop", "panSearching", 316, 328, 89, 26, "停止检索", ":/window/BtnStop",
         Default, kPlain},

        {&W::labInfo_3, "labInfo_3", "panCommendList", 16, 8, 0, 0, "本次总共检索了商品", "", Light,
         kPlain},
        {&W::labSearchedGoodsCount, "labSearchedGoodsCount", "panCommendList", 152, 8, 0, 0, "0",
         "", Red, kBold | kAutoSize},
        {&W::btnSearchAglin, "btnSearchAglin", "panCommendList", 632, 0, 89, 26, "我还要 搜",
         ":/window/BtnSearchAglin", Default, kPlain},
        {&W::wbCommendList, "wbCommendList", "panCommendList", 0, 32, 721, 409, "", "", Default,
         kPlain},

        {&W::wbHelp, "wbHelp", "panHelp", 0, 0, 721, 385, "", "", Default, kPlain},
        {&W::btnIKnow, "btnIKnow", "panHelp", 312, 400, 89, 26, "我知道了！", ":/window/BtnIKnow",
         Default, kPlain},
    };
}

}  // namespace

TLumiskSearch::TLumiskSearch(std::string gatewayUrl, SearchWindowSeams seams)
    : gatewayUrl_(std::move(gatewayUrl)),
      seams_(std::move(seams)),
      relay_(std::make_shared<EngineRelay>(this)),
      background_(QStringLiteral(":/window/Background.png")) {
    BuildForm();
    ConnectHandlers();
    FormCreate();
}

TLumiskSearch::~TLumiskSearch() {
    relay_->Detach();
}

void TLumiskSearch::BuildForm() {
    setObjectName(QStringLiteral("LumiskSearch"));
    setWindowTitle(QString::fromUtf8(platform::kMainWindowTitle));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(802, 567);

    const std::vector<Row> rows = Controls();
    BuildControls<TLumiskSearch>(*this, this, rows);

    for (QLabel* step : {labStep1, labStep2, labStep3, labStep4, labStep5}) {
        step->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    editCommendCount->setRange(1, 100);
    editCommendCount->setValue(10);
    tbSellerCredit->setOrientation(Qt::Horizontal);
    tbSellerCredit->setRange(0, 20);
    tbSellerCredit->setPageStep(2);
    tbSellerCredit->setTickPosition(QSlider::TicksBelow);
    tbSellerCredit->setTickInterval(1);
    // The row's height was the vertical slider's; a horizontal one is much lower.
    tbSellerCredit->resize(tbSellerCredit->width(), tbSellerCredit->sizeHint().height());
    pBarSearch->setValue(0);
    wbCommendList->SetBrowserHook(seams_.openInBrowser);
    wbHelp->SetBrowserHook(seams_.openInBrowser);
    searchMovie_ = new QMovie(this);
    wbGif->setMovie(searchMovie_);

    // The check box stands in for the group's caption, as it was laid out to: the frame runs
    // through the caption's middle, the caption itself is not drawn, and the check box hides
    // the frame behind it with the background under it as its own.
    rgbHighSearch->setStyleSheet(QStringLiteral(
        "QGroupBox#rgbHighSearch { border: 1px solid rgba(201, 218, 234, 90); border-radius: 4px;"
        " margin-top: 8px; }"
        "QGroupBox#rgbHighSearch::title { subcontrol-origin: margin; left: 8px; padding: 0 2px;"
        " color: transparent; }"));
    cbHighSearch->raise();
    const QPoint at = cbHighSearch->mapTo(this, QPoint(0, 0));
    QPalette covered = cbHighSearch->palette();
    covered.setBrush(QPalette::Window, QBrush(background_.copy(QRect(at, cbHighSearch->size()))));
    cbHighSearch->setPalette(covered);
    cbHighSearch->setBackgroundRole(QPalette::Window);
    cbHighSearch->setAutoFillBackground(true);

    BringToFront(panSearch);

    timerUpGrade = new QTimer(this);
    timerUpGrade->setObjectName(QStringLiteral("timerUpGrade"));
    timerUpGrade->setInterval(1000);
    timerUpGrade->start();
}

void TLumiskSearch::ConnectHandlers() {
    connect(btnSearch, &PictureButton::clicked, this, &TLumiskSearch::btnSearchClick);
    connect(btnStop, &PictureButton::clicked, this, &TLumiskSearch::btnStopClick);
    editKey->installEventFilter(this);
    connect(cbHighSearch, &QCheckBox::clicked, this, &TLumiskSearch::cbHighSearchClick);
    connect(tbSellerCredit, &QSlider::valueChanged, this, &TLumiskSearch::tbSellerCreditChanging);
    connect(labHelp, &LinkLabel::clicked, this, &TLumiskSearch::labHelpClick);
    connect(btnSearchAglin, &PictureButton::clicked, this, &TLumiskSearch::btnSearchAglinClick);
    connect(btnIKnow, &PictureButton::clicked, this, &TLumiskSearch::btnIKnowClick);
    connect(btnClose, &PictureButton::clicked, this, &TLumiskSearch::btnCloseClick);
    connect(RzURLLabel1, &LinkLabel::clicked, this, &TLumiskSearch::RzURLLabel1Click);
    connect(timerUpGrade, &QTimer::timeout, this, &TLumiskSearch::timerUpGradeTimer);
}

}  // namespace window
