// The search window's hand-over to the engine: the start of a search and the engine's events.

#include "window/ControlTable.h"
#include "window/EngineRelay.h"
#include "window/HintLabel.h"
#include "window/SearchWindow.h"
#include "window/WorkFiles.h"

#include "base/Numbers.h"
#include "search/PrepareCriteria.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>

#include <algorithm>

namespace window {
namespace {

// The wanted count as the box holds it; its minimum while the box holds no number within its
// range (empty, or "0" typed so far). Its value, not its text: the box takes whole numbers
// only, written in the digits of the user's locale.
int32_t WantedCount(const QSpinBox* box) {
    return box->hasAcceptableInput() ? box->value() : box->minimum();
}

}  // namespace

void TLumiskSearch::StartSearch() {
    // One search at a time: a second one would write the same page and drive the same controls.
    if (searching_) {
        return;
    }
    for (QLabel* hint : std::initializer_list<QLabel*>{labYJSJ, labWarning, labNullSearch,
                                                       labNeedKey, labSearchFailed, labStopped}) {
        hint->hide();
    }
    const bool high = cbHighSearch->isChecked();
    const std::optional<search::TSearchCriteria> criteria = search::PrepareCriteria(
        editKey->text().toStdString(), high ? editStartPrice->text().toStdString() : std::string(),
        high ? editEndPrice->text().toStdString() : std::string());
    if (!criteria) {
        // Focused first: the placeholder rule would hide the hint again for a box of blanks.
        editKey->setFocus();
        labNeedKey->show();
        return;
    }
    const bool force = high && cbAllwaysSearch->isChecked();
    const int32_t minLevel = high ? tbSellerCredit->value() : 0;

    CreateEngine();
    pBarSearch->setValue(0);
    SetAutoSizedText(lab_GoodsCount, QStringLiteral("0"));
    SetAutoSizedText(lab_GoodsCount1, QStringLiteral("0"));
    ShowStep(1);
    try {
        std::jthread run =
            seams_.startEngine(std::move(Engine), criteria->Keyword, criteria->StartPrice,
                               criteria->EndPrice, minLevel, force);
        searchStop_ = run.get_stop_source();
        if (run.joinable()) {
            run.detach();
        }
    } catch (const std::exception& e) {
        ShowFailed(e.what());
        return;
    }
    searching_ = true;
    ShowPanel(2);
}

// The run winds down on its own thread within about a second, raising nothing more; what it
// raised before and has not come over yet belongs to a search that is no longer the current one.
void TLumiskSearch::btnStopClick() {
    if (!searching_) {
        return;
    }
    searchStop_.request_stop();
    ++searchNumber_;
    EndSearch();
    ShowPanel(1);
    labStopped->show();
}

template <typename... Args>
std::function<void(Args...)> TLumiskSearch::Relay(int search,
                                                  void (TLumiskSearch::*handler)(Args...)) {
    // Runs on the search's thread: the arguments are copied into the queued call, and the
    // window is touched only there, on its own thread, while it exists.
    return [relay = relay_, window = this, search, handler](Args... args) {
        relay->Post([window, search, handler, args...] {
            if (search == window->searchNumber_) {
                (window->*handler)(args...);
            }
        });
    };
}

void TLumiskSearch::CreateEngine() {
    Engine = search::TSearchEngine::Create(WantedCount(editCommendCount), gatewayUrl_);
    const int search = ++searchNumber_;
    Engine->OnItemCount = Relay(search, &TLumiskSearch::ShowItemCount);
    Engine->OnProgress = Relay(search, &TLumiskSearch::ShowProgress);
    Engine->OnStatus = Relay(search, &TLumiskSearch::ShowStatus);
    Engine->OnAveragePrice = Relay(search, &TLumiskSearch::ShowAveragePrice);
    Engine->OnTooManyHits = Relay(search, &TLumiskSearch::ShowTooManyHits);
    Engine->OnStep = Relay(search, &TLumiskSearch::ShowStep);
    Engine->OnFinished = Relay(search, &TLumiskSearch::ShowResult);
    Engine->OnNothingFound = Relay(search, &TLumiskSearch::ShowNothingFound);
    Engine->OnFailed = Relay(search, &TLumiskSearch::ShowFailed);
    Engine->Version = labVersion->text().toStdString();
}

void TLumiskSearch::ShowItemCount(int32_t count) {
    ProgressTotal = count == 0 ? 1 : count;
    SetAutoSizedText(lab_GoodsCount, QString::number(count));
    SetAutoSizedText(labSearchedGoodsCount, QString::number(count));
}

void TLumiskSearch::ShowProgress(int32_t position) {
    const double percent = static_cast<double>(position) / ProgressTotal * 100;
    pBarSearch->setValue(static_cast<int>(std::clamp<int64_t>(
        base::RoundHalfEven(percent), pBarSearch->minimum(), pBarSearch->maximum())));
    SetAutoSizedText(lab_GoodsCount1, QString::number(position));
}

void TLumiskSearch::ShowStatus(std::string text) {
    labStatus->setText(QString::fromStdString(text));
}

void TLumiskSearch::ShowAveragePrice(double average) {
    labStatus->setText(QStringLiteral("平均价格：") +
                       QString::fromStdString(base::FormatGeneral(average)));
}

void TLumiskSearch::ShowTooManyHits(int32_t minutes) {
    EndSearch();
    ShowPanel(1);
    labYJSJ->setText(QStringLiteral("本次检索大概耗时%1分钟！").arg(minutes));
    labYJSJ->show();
    labWarning->show();
}

void TLumiskSearch::ShowResult() {
    EndSearch();
    wbCommendList->LoadLocalFile(WorkFile("Commend.html"));
    ShowPanel(3);
}

void TLumiskSearch::ShowNothingFound() {
    EndSearch();
    ShowPanel(1);
    labNullSearch->show();
    editKey->selectAll();
    editKey->setFocus();
}

void TLumiskSearch::ShowFailed(std::string reason) {
    EndSearch();
    ShowPanel(1);
    labSearchFailed->setText(QStringLiteral("VEXMOOR提示您：本次检索失败，没有完成。原因：%1")
                                 .arg(QString::fromStdString(reason)));
    labSearchFailed->show();
}

void TLumiskSearch::EndSearch() {
    searching_ = false;
}

}  // namespace window
