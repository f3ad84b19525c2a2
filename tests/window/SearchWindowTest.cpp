// The search window's logic on the offscreen platform: criteria, events, panels, hints.

#include "support/WindowTestSupport.h"

#include "support/TempDir.h"
#include "window/HintLabel.h"
#include "window/LinkLabel.h"
#include "window/MsgWindow.h"
#include "window/NumberBox.h"
#include "window/Panel.h"
#include "window/PictureButton.h"
#include "window/Program.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMovie>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <optional>
#include <thread>

Q_DECLARE_METATYPE(std::optional<QString>)

using support::PanelOnShow;
using support::RaiseFromSearchThread;
using support::Text;

class SearchWindowTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { window::PrepareProcess(); }

  private slots:
    void initTestCase() { window::ConfigureApplication(); }
    void init();
    void cleanup();

    void windowHasItsIdentityAndOutline();
    void versionLabelShowsTheSetting_data();
    void versionLabelShowsTheSetting();
    void startSearchHandsPreparedCriteriaToTheEngine_data();
    void startSearchHandsPreparedCriteriaToTheEngine();
    void startSearchPreparesTheEngineAndTheProgressPanel();
    void startSearchWithoutKeywordAsksForOne_data();
    void startSearchWithoutKeywordAsksForOne();
    void wantedCountIsTheBoxValueOrItsMinimum();
    void progressIsAPercentOfTheLastItemCount_data();
    void progressIsAPercentOfTheLastItemCount();
    void averagePriceIsShownInTheGeneralFormat_data();
    void averagePriceIsShownInTheGeneralFormat();
    void eventsApplyInTheOrderRaisedWithCopiedArguments();
    void stepsMarkTheirLabelAndOthersChangeNothing();
    void tooManyHitsReturnsToTheSearchPanelWithTheEstimate();
    void nothingFoundReturnsWithTheKeywordSelected();
    void failedSearchReturnsWithItsReasonAndKeepsTheKeyword();
    void finishedSearchShowsThePageAndSearchAgainKeepsCriteria();
    void eventsOfAnEarlierSearchAreDropped();
    void stopButtonReturnsToTheSearchPanelAndDropsTheStoppedRun();
    void secondSearchCannotStartWhileOneRuns();
    void helpPanelShowsTheHelpPageAndReturns();
    void placeholderGoesOnFirstFocusAndNeverComesBack();
    void advancedCriteriaRememberWhichControlsWereEnabled();
    void sliderShowsTheLevelPictureOrTheErrorBox();
    void hintsShowTheirLineBreaks_data();
    void hintsShowTheirLineBreaks();
    void numberBoxesShowThousandsSeparators_data();
    void numberBoxesShowThousandsSeparators();
    void linkLabelOpensTheSiteAndTurnsPurpleWhenOpened();
    void upgradeTimerStartsTheUpdaterOnce();
    void messageWindowIsReadyButHidden();

  private:
    // A window for the current directory, as the program makes it, with the test's seams.
    std::unique_ptr<window::TLumiskSearch> MakeWindow();
    void Show(window::TLumiskSearch& window);
    // Types a keyword and clicks the search button; the recorder keeps the search.
    void Search(const QString& keyword);
    search::TSearchEngine& Engine(size_t search = 0) { return *recorder_.starts.at(search).engine; }

    std::optional<support::TempDir> dir_;
    std::optional<support::ScopedCwd> cwd_;
    support::StartRecorder recorder_;
    QList<QUrl> opened_;
    bool browserOpens_ = true;
    std::unique_ptr<window::TLumiskSearch> window_;
};

void SearchWindowTest::init() {
    dir_.emplace();
    cwd_.emplace(dir_->path());
    recorder_.starts.clear();
    opened_.clear();
    browserOpens_ = true;
    window_ = MakeWindow();
    Show(*window_);
}

void SearchWindowTest::cleanup() {
    window_.reset();
    recorder_.starts.clear();
    cwd_.reset();
    dir_.reset();
}

std::unique_ptr<window::TLumiskSearch> SearchWindowTest::MakeWindow() {
    window::SearchWindowSeams seams;
    seams.startEngine = recorder_.Starter();
    seams.openInBrowser = [this](const QUrl& url) {
        opened_.push_back(url);
        return browserOpens_;
    };
    return std::make_unique<window::TLumiskSearch>("http://127.0.0.1:9/sip/rest", std::move(seams));
}

void SearchWindowTest::Show(window::TLumiskSearch& window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void SearchWindowTest::Search(const QString& keyword) {
    window_->editKey->setText(keyword);
    QTest::mouseClick(window_->btnSearch, Qt::LeftButton);
}

void SearchWindowTest::windowHasItsIdentityAndOutline() {
    const window::TLumiskSearch& window = *window_;
    QCOMPARE(window.objectName(), QStringLiteral("LumiskSearch"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Qorvane"));
    QCOMPARE(window.size(), QSize(802, 567));
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(PanelOnShow(window), window.panSearch);
    for (const window::Panel* panel :
         {window.panSearch, window.panSearching, window.panCommendList, window.panHelp}) {
        QCOMPARE(panel->geometry(), QRect(40, 72, 721, 441));
    }

    // Every pixel of the background in its key colour (the bottom-left one) is cut away, every
    // other one stays.
    const QImage background =
        QImage(QStringLiteral(":/window/Background.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(background.size(), QSize(802, 567));
    const QRgb key = background.pixel(0, 566);
    QImage kept(background.size(), QImage::Format_RGB32);
    kept.fill(Qt::black);
    {
        QPainter painter(&kept);
        for (const QRect& rect : window.mask()) {
            painter.fillRect(rect, Qt::white);
        }
    }
    int cut = 0;
    for (int y = 0; y < background.height(); ++y) {
        for (int x = 0; x < background.width(); ++x) {
            const bool isKey = background.pixel(x, y) == key;
            cut += isKey ? 1 : 0;
            if ((kept.pixel(x, y) == qRgb(255, 255, 255)) == isKey) {
                QFAIL(qPrintable(
                    QStringLiteral("pixel %1,%2 is %3")
                        .arg(x)
                        .arg(y)
                        .arg(isKey ? "kept although it has the key colour" : "cut away")));
            }
        }
    }
    // The frame and the four rounded corners.
    QVERIFY(cut > 2 * (802 + 567) + 4 * 10);
}

void SearchWindowTest::versionLabelShowsTheSetting_data() {
    QTest::addColumn<QString>("file");  // "text", "none" or "directory"
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("version");
    QTest::newRow("the setting") << "text" << QByteArray("[Version]\r\nQorvane=1.2.3\r\n")
                                 << "1.2.3";
    QTest::newRow("no section") << "text" << QByteArray("[UpGrade]\nServer=x\n") << "unknow!";
    QTest::newRow("no file") << "none" << QByteArray() << "unknow!";
    QTest::newRow("empty value") << "text" << QByteArray("[version]\nQORVANE=\n") << "";
    QTest::newRow("unreadable") << "directory" << QByteArray() << "unknow";
}

void SearchWindowTest::versionLabelShowsTheSetting() {
    QFETCH(QString, file);
    QFETCH(QByteArray, config);
    QFETCH(QString, version);
    if (file == "text") {
        dir_->Write("Config.ini", config.toStdString());
    } else if (file == "directory") {
        std::filesystem::create_directory(dir_->path() / "Config.ini");
    }
    window_ = MakeWindow();
    Show(*window_);
    QCOMPARE(window_->labVersion->text(), version);

    Search(QStringLiteral("手机"));
    QCOMPARE(recorder_.starts.size(), size_t{1});
    QCOMPARE(Text(Engine().Version), version);
}

void SearchWindowTest::startSearchHandsPreparedCriteriaToTheEngine_data() {
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("startPrice");
    QTest::addColumn<QString>("endPrice");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("force");
    QTest::addColumn<QString>("sentKeyword");
    QTest::addColumn<QString>("sentStart");
    QTest::addColumn<QString>("sentEnd");
    QTest::addColumn<int>("sentLevel");
    QTest::addColumn<bool>("sentForce");

    QTest::newRow("blank and ampersand") << "a b&c" << false << "0"
                                         << "0" << 0 << false << "a+bc"
                                         << ""
                                         << "" << 0 << false;
    QTest::newRow("two blanks") << "a  b" << false << "0"
                                << "0" << 0 << false << "a++b"
                                << ""
                                << "" << 0 << false;
    QTest::newRow("trimmed, case kept") << " \t手机 Nokia\t " << false << "0"
                                        << "0" << 0 << false << "手机+Nokia"
                                        << ""
                                        << "" << 0 << false;
    QTest::newRow("separators go, 0 is no bound") << "手机" << true << "1,200"
                                                  << "0" << 0 << false << "手机"
                                                  << "1200"
                                                  << "" << 0 << false;
    QTest::newRow("criteria of an unticked group are ignored") << "手机" << false << "1,200"
                                                               << "3,000" << 5 << true << "手机"
                                                               << ""
                                                               << "" << 0 << false;
    QTest::newRow("criteria of a ticked group") << "手机" << true << "100"
                                                << "3,000" << 5 << true << "手机"
                                                << "100"
                                                << "3000" << 5 << true;
}

void SearchWindowTest::startSearchHandsPreparedCriteriaToTheEngine() {
    QFETCH(QString, keyword);
    QFETCH(bool, ticked);
    QFETCH(QString, startPrice);
    QFETCH(QString, endPrice);
    QFETCH(int, level);
    QFETCH(bool, force);
    support::WritePicture(dir_->path() / "img" / "5.jpg", QSize(40, 20));

    window::TLumiskSearch& window = *window_;
    QTest::mouseClick(window.cbHighSearch, Qt::LeftButton);
    window.editStartPrice->setText(startPrice);
    window.editEndPrice->setText(endPrice);
    window.tbSellerCredit->setValue(level);
    window.cbAllwaysSearch->setChecked(force);
    if (!ticked) {
        QTest::mouseClick(window.cbHighSearch, Qt::LeftButton);
    }
    QCOMPARE(window.rgbHighSearch->isEnabled(), ticked);
    Search(keyword);

    QCOMPARE(recorder_.starts.size(), size_t{1});
    const support::StartedSearch& started = recorder_.starts[0];
    QTEST(Text(started.keyword), "sentKeyword");
    QTEST(Text(started.startPrice), "sentStart");
    QTEST(Text(started.endPrice), "sentEnd");
    QTEST(static_cast<int>(started.minLevel), "sentLevel");
    QTEST(started.force, "sentForce");
}

void SearchWindowTest::startSearchPreparesTheEngineAndTheProgressPanel() {
    window::TLumiskSearch& window = *window_;
    // Left over from an earlier search: the start puts them back.
    window.pBarSearch->setValue(40);
    window.lab_GoodsCount->setText("350");
    window.lab_GoodsCount1->setText("120");
    window.labSearchedGoodsCount->setText("350");
    window.labStep3->setFont([&] {
        QFont bold = window.labStep3->font();
        bold.setBold(true);
        return bold;
    }());
    Search(QStringLiteral("保温杯"));

    QCOMPARE(recorder_.starts.size(), size_t{1});
    const search::TSearchEngine& engine = Engine();
    QCOMPARE(engine.CommendCount, 10);
    QVERIFY(engine.OnItemCount && engine.OnProgress && engine.OnStatus && engine.OnAveragePrice &&
            engine.OnTooManyHits && engine.OnStep && engine.OnFinished && engine.OnNothingFound &&
            engine.OnFailed);
    QVERIFY(window.Searching());
    QCOMPARE(PanelOnShow(window), window.panSearching);
    QCOMPARE(window.pBarSearch->value(), 0);
    QCOMPARE(window.lab_GoodsCount->text(), QStringLiteral("0"));
    QCOMPARE(window.lab_GoodsCount1->text(), QStringLiteral("0"));
    QCOMPARE(window.labSearchedGoodsCount->text(), QStringLiteral("350"));
    QVERIFY(window.labStep1->font().bold());
    QVERIFY(!window.labStep3->font().bold());
    QCOMPARE(window.imgJT->pos(), QPoint(72, 40));
    QCOMPARE(window.wbGif->movie()->fileName(), Text(dir_->dir() + "img/Search.gif"));
}

void SearchWindowTest::startSearchWithoutKeywordAsksForOne_data() {
    QTest::addColumn<std::optional<QString>>("keyword");
    QTest::newRow("the placeholder") << std::optional<QString>();
    QTest::newRow("blanks and a tab") << std::optional<QString>(" \t  ");
    QTest::newRow("nothing") << std::optional<QString>("");
}

void SearchWindowTest::startSearchWithoutKeywordAsksForOne() {
    QFETCH(std::optional<QString>, keyword);
    window::TLumiskSearch& window = *window_;
    window.labNullSearch->show();
    if (keyword) {
        window.editKey->setText(*keyword);
    }
    QTest::mouseClick(window.btnSearch, Qt::LeftButton);

    QVERIFY(recorder_.starts.empty());
    QVERIFY(!window.Searching());
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.labNeedKey->isVisible());
    QCOMPARE(window.labNeedKey->text(), QStringLiteral("请输入一个关键字"));
    QVERIFY(!window.labNullSearch->isVisible());
    QVERIFY(window.editKey->hasFocus());
}

void SearchWindowTest::wantedCountIsTheBoxValueOrItsMinimum() {
    window::TLumiskSearch& window = *window_;
    QCOMPARE(window.editCommendCount->minimum(), 1);
    QCOMPARE(window.editCommendCount->maximum(), 100);
    window.editCommendCount->setValue(37);
    Search(QStringLiteral("手机"));
    QCOMPARE(Engine(0).CommendCount, 37);

    RaiseFromSearchThread(&window, [&] { Engine(0).OnNothingFound(); });
    window.editCommendCount->findChild<QLineEdit*>()->clear();
    Search(QStringLiteral("手机"));
    QCOMPARE(recorder_.starts.size(), size_t{2});
    QCOMPARE(Engine(1).CommendCount, 1);
}

void SearchWindowTest::progressIsAPercentOfTheLastItemCount_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("percent");
    QTest::newRow("12.5 rounds to even") << 8 << 1 << 12;
    QTest::newRow("37.5 rounds to even") << 8 << 3 << 38;
    QTest::newRow("no items, no division by zero") << 0 << 0 << 0;
    QTest::newRow("all") << 350 << 350 << 100;
}

void SearchWindowTest::progressIsAPercentOfTheLastItemCount() {
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(int, percent);
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("手机"));
    RaiseFromSearchThread(&window, [&] {
        Engine().OnItemCount(count);
        Engine().OnProgress(position);
    });

    QCOMPARE(window.pBarSearch->value(), percent);
    QCOMPARE(window.ProgressTotal, count == 0 ? 1 : count);
    QCOMPARE(window.lab_GoodsCount->text(), QString::number(count));
    QCOMPARE(window.labSearchedGoodsCount->text(), QString::number(count));
    QCOMPARE(window.lab_GoodsCount1->text(), QString::number(position));
    // The counters grow with their text.
    QVERIFY(window.lab_GoodsCount->width() >=
            window.lab_GoodsCount->fontMetrics().horizontalAdvance(QString::number(count)));
}

void SearchWindowTest::averagePriceIsShownInTheGeneralFormat_data() {
    QTest::addColumn<double>("average");
    QTest::addColumn<QString>("status");
    QTest::newRow("fraction") << 57.5 << "平均价格：57.5";
    QTest::newRow("whole") << 100.0 << "平均价格：100";
    QTest::newRow("no items") << 0.0 << "平均价格：0";
}

void SearchWindowTest::averagePriceIsShownInTheGeneralFormat() {
    QFETCH(double, average);
    Search(QStringLiteral("手机"));
    RaiseFromSearchThread(window_.get(), [&] { Engine().OnAveragePrice(average); });
    QTEST(window_->labStatus->text(), "status");
}

void SearchWindowTest::eventsApplyInTheOrderRaisedWithCopiedArguments() {
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("保温杯"));
    RaiseFromSearchThread(&window, [&] {
        Engine().OnItemCount(8);
        // Applied after the next count, this would be 0 percent.
        Engine().OnProgress(4);
        Engine().OnItemCount(1000);
        std::string title = "正品 水之源 A5 大容量 女士保温杯";
        Engine().OnStatus(title);
        title.assign("changed after the event");
    });
    QCOMPARE(window.pBarSearch->value(), 50);
    QCOMPARE(window.lab_GoodsCount->text(), QStringLiteral("1000"));
    QCOMPARE(window.labStatus->text(), QStringLiteral("正品 水之源 A5 大容量 女士保温杯"));
}

void SearchWindowTest::stepsMarkTheirLabelAndOthersChangeNothing() {
    window::TLumiskSearch& window = *window_;
    QLabel* const steps[] = {window.labStep1, window.labStep2, window.labStep3, window.labStep4,
                             window.labStep5};
    Search(QStringLiteral("手机"));
    for (int step = 1; step <= 5; ++step) {
        RaiseFromSearchThread(&window, [&] { Engine().OnStep(step); });
        for (int label = 1; label <= 5; ++label) {
            QCOMPARE(steps[label - 1]->font().bold(), label == step);
        }
        QCOMPARE(window.imgJT->pos(), QPoint(72, steps[step - 1]->y()));
    }
    RaiseFromSearchThread(&window, [&] { Engine().OnStep(3); });
    for (const int outside : {0, 6}) {
        RaiseFromSearchThread(&window, [&] { Engine().OnStep(outside); });
        for (QLabel* label : steps) {
            QVERIFY(!label->font().bold());
        }
        QCOMPARE(window.imgJT->pos(), QPoint(72, 88));
    }
}

void SearchWindowTest::tooManyHitsReturnsToTheSearchPanelWithTheEstimate() {
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("手机"));
    RaiseFromSearchThread(&window, [&] {
        Engine().OnItemCount(900);
        Engine().OnTooManyHits(4);
    });
    QVERIFY(!window.Searching());
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.editKey->hasFocus());
    QVERIFY(window.labYJSJ->isVisible());
    QCOMPARE(window.labYJSJ->text(), QStringLiteral("本次检索大概耗时4分钟！"));
    QVERIFY(window.labWarning->isVisible());
    QCOMPARE(window.labWarning->text(),
             QStringLiteral("VEXMOOR提示您：符合您选择的关键字的商品数量过多，请参照 [关键字选") +
                 QString(29, ' ') + QStringLiteral("择经验] 选择更加适合的关键字组合！\r") +
                 QString(26, ' ') + QStringLiteral("或者在 [更多条件] 下勾选上 [强制检索] ！"));
    QCOMPARE(window::HintLabel::ShownText(window.labWarning->text()),
             QStringLiteral("VEXMOOR提示您：符合您选择的关键字的商品数量过多，请参照 "
                            "[关键字选择经验] 选择更加适合的关键字组合！\n") +
                 QString(26, ' ') + QStringLiteral("或者在 [更多条件] 下勾选上 [强制检索] ！"));
    QCOMPARE(window.editKey->text(), QStringLiteral("手机"));

    // The next start hides the hints again.
    Search(QStringLiteral("手机+壳"));
    QVERIFY(!window.labYJSJ->isVisible());
    QVERIFY(!window.labWarning->isVisible());
}

void SearchWindowTest::nothingFoundReturnsWithTheKeywordSelected() {
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("飞行汽车"));
    RaiseFromSearchThread(&window, [&] {
        Engine().OnStep(1);
        Engine().OnNothingFound();
    });
    QVERIFY(!window.Searching());
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.labNullSearch->isVisible());
    QCOMPARE(window.labNullSearch->text(),
             QStringLiteral("VEXMOOR提示您：本次检索没有找到符合您设定的关键词条件的商品，请参") +
                 QString(28, ' ') +
                 QStringLiteral("考 [关键字选择经验] 选择更加适合的关键字组合！"));
    QVERIFY(window.editKey->hasFocus());
    QCOMPARE(window.editKey->selectedText(), QStringLiteral("飞行汽车"));
}

void SearchWindowTest::failedSearchReturnsWithItsReasonAndKeepsTheKeyword() {
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("保温杯"));
    RaiseFromSearchThread(&window, [&] {
        Engine().OnStep(5);
        Engine().OnFailed("cannot replace /home/x/Commend.html: Permission denied");
    });
    QVERIFY(!window.Searching());
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.labSearchFailed->isVisible());
    QVERIFY(window.labSearchFailed->wordWrap());
    QCOMPARE(window.labSearchFailed->palette().color(QPalette::WindowText),
             window.labNullSearch->palette().color(QPalette::WindowText));
    const QString hint = window.labSearchFailed->text();
    QVERIFY2(hint.contains(QStringLiteral("检索失败")), qPrintable(hint));
    QVERIFY2(
        hint.contains(QStringLiteral("cannot replace /home/x/Commend.html: Permission denied")),
        qPrintable(hint));
    QCOMPARE(window.editKey->text(), QStringLiteral("保温杯"));

    // Nothing is stuck: the next search starts and hides the hint.
    QTest::mouseClick(window.btnSearch, Qt::LeftButton);
    QCOMPARE(recorder_.starts.size(), size_t{2});
    QVERIFY(!window.labSearchFailed->isVisible());
}

void SearchWindowTest::finishedSearchShowsThePageAndSearchAgainKeepsCriteria() {
    window::TLumiskSearch& window = *window_;
    dir_->Write("Commend.html", "<html><body>page</body></html>");
    window.editCommendCount->setValue(25);
    Search(QStringLiteral("保温杯"));
    RaiseFromSearchThread(&window, [&] {
        Engine().OnItemCount(350);
        Engine().OnStep(5);
        Engine().OnFinished();
    });
    QVERIFY(!window.Searching());
    QCOMPARE(PanelOnShow(window), window.panCommendList);
    QTRY_COMPARE(window.wbCommendList->url(),
                 QUrl::fromLocalFile(Text(dir_->dir() + "Commend.html")));
    QCOMPARE(window.labSearchedGoodsCount->text(), QStringLiteral("350"));

    QTest::mouseClick(window.btnSearchAglin, Qt::LeftButton);
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.editKey->hasFocus());
    QCOMPARE(window.editKey->text(), QStringLiteral("保温杯"));
    QCOMPARE(window.editCommendCount->value(), 25);
}

void SearchWindowTest::eventsOfAnEarlierSearchAreDropped() {
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("手机"));
    RaiseFromSearchThread(&window, [&] { Engine(0).OnTooManyHits(12); });
    Search(QStringLiteral("手机+壳"));
    QCOMPARE(recorder_.starts.size(), size_t{2});
    RaiseFromSearchThread(&window, [&] {
        Engine(0).OnStatus("from the first search");
        Engine(0).OnFinished();
    });
    QVERIFY(window.Searching());
    QCOMPARE(PanelOnShow(window), window.panSearching);
    QVERIFY(window.labStatus->text() != QStringLiteral("from the first search"));

    RaiseFromSearchThread(&window, [&] { Engine(1).OnStatus("from the second search"); });
    QCOMPARE(window.labStatus->text(), QStringLiteral("from the second search"));
}

void SearchWindowTest::stopButtonReturnsToTheSearchPanelAndDropsTheStoppedRun() {
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("手机"));
    RaiseFromSearchThread(&window, [&] {
        Engine().OnStep(3);
        Engine().OnStatus("正在查询阳光数码的信用记录...");
    });
    QVERIFY(window.btnStop->isVisible());
    QCOMPARE(window.btnStop->parentWidget(), window.panSearching);
    QCOMPARE(window.btnStop->geometry(), QRect(316, 328, 89, 26));
    QVERIFY(window.btnStop->y() > window.pBarSearch->geometry().bottom());
    QCOMPARE(window.btnStop->text(), QStringLiteral("停止检索"));
    QVERIFY(!recorder_.starts.at(0).stop.stop_requested());

    QTest::mouseClick(window.btnStop, Qt::LeftButton);
    QVERIFY(recorder_.starts.at(0).stop.stop_requested());
    QVERIFY(!window.Searching());
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.editKey->hasFocus());
    QVERIFY(window.labStopped->isVisible());
    QCOMPARE(window.labStopped->text(), QStringLiteral("已停止本次检索"));
    QCOMPARE(window.labStopped->palette().color(QPalette::WindowText),
             window.labNullSearch->palette().color(QPalette::WindowText));

    // Events the run raised before it stopped, still on their way, change nothing.
    RaiseFromSearchThread(&window, [&] {
        Engine().OnStatus("late");
        Engine().OnItemCount(7);
        Engine().OnNothingFound();
        Engine().OnFinished();
    });
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QCOMPARE(window.labStatus->text(), QStringLiteral("正在查询阳光数码的信用记录..."));
    QVERIFY(!window.labNullSearch->isVisible());
    QVERIFY(window.labStopped->isVisible());
    QCOMPARE(window.wbCommendList->url(), QUrl());

    // The next search starts and hides the hint; the stopped run's queued end does not touch it.
    Search(QStringLiteral("手机+壳"));
    QCOMPARE(recorder_.starts.size(), size_t{2});
    QVERIFY(!window.labStopped->isVisible());
    std::thread([&] { Engine(1).OnFinished(); }).join();
    window.btnStop->click();
    QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.labStopped->isVisible());
    QVERIFY(recorder_.starts.at(1).stop.stop_requested());

    // A stop with no search under way does nothing.
    window.btnStop->click();
    QCOMPARE(PanelOnShow(window), window.panSearch);
}

void SearchWindowTest::secondSearchCannotStartWhileOneRuns() {
    window::TLumiskSearch& window = *window_;
    Search(QStringLiteral("手机"));
    QCOMPARE(recorder_.starts.size(), size_t{1});

    QTest::keyClick(window.editKey, Qt::Key_Return);
    QTest::keyClick(window.editKey, Qt::Key_Enter);
    window.btnSearch->click();
    QCOMPARE(recorder_.starts.size(), size_t{1});
    QCOMPARE(PanelOnShow(window), window.panSearching);

    RaiseFromSearchThread(&window, [&] { Engine(0).OnNothingFound(); });
    QTest::keyClick(window.editKey, Qt::Key_Return);
    QCOMPARE(recorder_.starts.size(), size_t{2});
    QTest::keyClick(window.editKey, Qt::Key_A);
    QCOMPARE(recorder_.starts.size(), size_t{2});
}

void SearchWindowTest::helpPanelShowsTheHelpPageAndReturns() {
    window::TLumiskSearch& window = *window_;
    QTest::mouseClick(window.labHelp, Qt::LeftButton);
    QCOMPARE(PanelOnShow(window), window.panHelp);
    QTRY_COMPARE(window.wbHelp->url(), QUrl::fromLocalFile(Text(dir_->dir() + "Help.html")));

    QTest::mouseClick(window.btnIKnow, Qt::LeftButton);
    QCOMPARE(PanelOnShow(window), window.panSearch);
    QVERIFY(window.editKey->hasFocus());
}

void SearchWindowTest::placeholderGoesOnFirstFocusAndNeverComesBack() {
    window::TLumiskSearch& window = *window_;
    QCOMPARE(window.editKey->text(), QStringLiteral("{请输入关键字组合}"));
    QVERIFY(!window.labNeedKey->isVisible());

    window.editKey->setFocus();
    QCOMPARE(window.editKey->text(), QString());
    // An empty box keeps the hint on focus.
    QTest::mouseClick(window.btnSearch, Qt::LeftButton);
    QVERIFY(window.labNeedKey->isVisible());
    window.editCommendCount->setFocus();
    window.editKey->setFocus();
    QVERIFY(window.labNeedKey->isVisible());

    // A keyword in the box hides it, on focus however it comes.
    window.editCommendCount->setFocus();
    window.editKey->setText(QStringLiteral("手机"));
    QTest::mouseClick(window.editKey, Qt::LeftButton);
    QVERIFY(window.editKey->hasFocus());
    QVERIFY(!window.labNeedKey->isVisible());

    // The placeholder typed by hand is cleared as well, and a search never puts it back.
    window.editCommendCount->setFocus();
    window.editKey->setText(QStringLiteral("{请输入关键字组合}"));
    window.editKey->setFocus();
    QCOMPARE(window.editKey->text(), QString());
    Search(QStringLiteral("手机"));
    RaiseFromSearchThread(&window, [&] { Engine().OnNothingFound(); });
    QCOMPARE(window.editKey->text(), QStringLiteral("手机"));
}

void SearchWindowTest::advancedCriteriaRememberWhichControlsWereEnabled() {
    window::TLumiskSearch& window = *window_;
    const QList<QWidget*> inside =
        window.rgbHighSearch->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(inside.size(), 8);
    QVERIFY(!window.cbHighSearch->isChecked());
    QVERIFY(!window.rgbHighSearch->isEnabled());
    for (const QWidget* control : inside) {
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    }

    QTest::mouseClick(window.cbHighSearch, Qt::LeftButton);
    QVERIFY(window.editStartPrice->hasFocus());
    for (const QWidget* control : inside) {
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    }

    window.cbAllwaysSearch->setEnabled(false);
    window.editEndPrice->setText(QStringLiteral("3,000"));
    QTest::mouseClick(window.cbHighSearch, Qt::LeftButton);
    for (const QWidget* control : inside) {
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    }
    QTest::mouseClick(window.cbHighSearch, Qt::LeftButton);
    for (const QWidget* control : inside) {
        QCOMPARE(control->isEnabled(), control != window.cbAllwaysSearch);
    }
    QCOMPARE(window.editEndPrice->text(), QStringLiteral("3,000"));
}

void SearchWindowTest::sliderShowsTheLevelPictureOrTheErrorBox() {
    window::TLumiskSearch& window = *window_;
    QCOMPARE(window.ImgSellerCredit->size(), QSize(91, 20));
    support::WritePicture(dir_->path() / "img" / "7.jpg", QSize(60, 18));
    QTest::mouseClick(window.cbHighSearch, Qt::LeftButton);

    window.tbSellerCredit->setValue(7);
    QCOMPARE(window.ImgSellerCredit->size(), QSize(60, 18));
    QCOMPARE(window.ImgSellerCredit->pixmap().size(), QSize(60, 18));

    // No 8.jpg: the standard error box, and the slider stays where it was.
    QString title;
    QString text;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    closer.start(10);
    QTest::keyClick(window.tbSellerCredit, Qt::Key_Right);
    closer.stop();
    QCOMPARE(title, QStringLiteral("Qorvane"));
    QVERIFY2(text.contains(Text(dir_->dir() + "img/8.jpg")), qPrintable(text));
    QCOMPARE(window.tbSellerCredit->value(), 7);
    QCOMPARE(window.ImgSellerCredit->size(), QSize(60, 18));

    Search(QStringLiteral("手机"));
    QCOMPARE(recorder_.starts.at(0).minLevel, 7);
}

void SearchWindowTest::hintsShowTheirLineBreaks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a blank run that placed a break") << "请参照 [关键字选   择经验]"
                                                     << "请参照 [关键字选择经验]";
    QTest::newRow("single blanks stay") << "[更多条件] 下勾选上"
                                        << "[更多条件] 下勾选上";
    QTest::newRow("carriage return") << "组合！\r或者"
                                     << "组合！\n或者";
    QTest::newRow("carriage return and line feed") << "组合！\r\n或者"
                                                   << "组合！\n或者";
    QTest::newRow("indentation stays") << "组合！\r   或者"
                                       << "组合！\n   或者";
    QTest::newRow("at the start") << "  或者"
                                  << "  或者";
}

void SearchWindowTest::hintsShowTheirLineBreaks() {
    QFETCH(QString, text);
    QTEST(window::HintLabel::ShownText(text), "shown");
}

void SearchWindowTest::numberBoxesShowThousandsSeparators_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("thousands") << "1200"
                               << "1,200";
    QTest::newRow("millions") << "1234567"
                              << "1,234,567";
    QTest::newRow("under a thousand") << "999"
                                      << "999";
    QTest::newRow("separators anywhere") << "1,2,3"
                                         << "123";
    QTest::newRow("leading zeros") << "0012"
                                   << "12";
    QTest::newRow("nothing") << ""
                             << "0";
    QTest::newRow("letters are not taken") << "12ab5"
                                           << "125";
}

void SearchWindowTest::numberBoxesShowThousandsSeparators() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    window::TLumiskSearch& window = *window_;
    QCOMPARE(window.editStartPrice->text(), QStringLiteral("0"));
    QTest::mouseClick(window.cbHighSearch, Qt::LeftButton);
    window.editStartPrice->clear();
    QTest::keyClicks(window.editStartPrice, typed);
    window.editEndPrice->setFocus();
    QCOMPARE(window.editStartPrice->text(), shown);
}

void SearchWindowTest::linkLabelOpensTheSiteAndTurnsPurpleWhenOpened() {
    window::TLumiskSearch& window = *window_;
    const QColor unvisited = window.RzURLLabel1->palette().color(QPalette::WindowText);
    QCOMPARE(window.RzURLLabel1->text(), Text(window::kVendorSite));
    QVERIFY(QUrl(window.RzURLLabel1->text()).host().endsWith(".example"));
    QVERIFY(window.RzURLLabel1->font().underline());

    browserOpens_ = false;
    QTest::mouseClick(window.RzURLLabel1, Qt::LeftButton);
    QCOMPARE(opened_, QList<QUrl>{QUrl(Text(window::kVendorSite))});
    QCOMPARE(window.RzURLLabel1->palette().color(QPalette::WindowText), unvisited);

    browserOpens_ = true;
    QTest::mouseClick(window.RzURLLabel1, Qt::LeftButton);
    QCOMPARE(opened_.size(), 2);
    const QColor visited = window.RzURLLabel1->palette().color(QPalette::WindowText);
    QVERIFY(visited != unvisited);
    // Purple: red and blue over green.
    QVERIFY(visited.red() > visited.green() && visited.blue() > visited.green());
}

void SearchWindowTest::upgradeTimerStartsTheUpdaterOnce() {
    const std::filesystem::path runs = dir_->path() / "runs";
    dir_->Write("Tessaly", "#!/bin/sh\necho started >> '" + runs.string() + "'\n");
    chmod((dir_->path() / "Tessaly").c_str(), 0755);
    const auto count = [&] {
        std::ifstream in(runs);
        int lines = 0;
        for (std::string line; std::getline(in, line);) {
            ++lines;
        }
        return lines;
    };

    window_ = MakeWindow();
    QVERIFY(window_->timerUpGrade->isActive());
    QCOMPARE(window_->timerUpGrade->interval(), 1000);
    QCOMPARE(count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(count(), 1, 10000);
    QVERIFY(!window_->timerUpGrade->isActive());
}

void SearchWindowTest::messageWindowIsReadyButHidden() {
    window::TfrmMsg frmMsg;
    QVERIFY(!frmMsg.isVisible());
    QCOMPARE(frmMsg.windowTitle(), QStringLiteral("Qorvane提示您"));
    QCOMPARE(frmMsg.size(), QSize(331, 134));
    QCOMPARE(frmMsg.labInfo->geometry(), QRect(16, 16, 297, 65));
    QVERIFY(frmMsg.labInfo->text().isEmpty());
    QCOMPARE(frmMsg.btnOK->text(), QStringLiteral("我知道了！(&S)"));

    frmMsg.show();
    frmMsg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frmMsg));
    // The mnemonic presses the button as a click would, a moment later.
    QTest::keyClick(&frmMsg, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(!frmMsg.isVisible());
}

QTEST_MAIN(SearchWindowTest)
#include "SearchWindowTest.moc"
