// A real search against the sandbox on a real X server: the result page loads, its Chinese text
// is drawn with real glyphs, and its links go to the system's browser, never into the view.

#include "support/WindowTestSupport.h"

#include "sandbox/Sandbox.h"
#include "support/TempDir.h"
#include "window/LinkLabel.h"
#include "window/Panel.h"
#include "window/PictureButton.h"
#include "window/Program.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

using support::Text;

namespace {

// The result page's item titles: #336666 on white, anti-aliased.
bool IsTitleInk(QRgb pixel) {
    const int r = qRed(pixel);
    const int g = qGreen(pixel);
    const int b = qBlue(pixel);
    return g - r >= 30 && std::abs(g - b) <= 20 && g <= 170;
}

// The glyphs of one line of title ink: the columns with ink, split where a column has none.
struct Glyph {
    QRect box;
    QImage ink;  // 1 where a pixel is ink, cut to the box
};

struct InkLine {
    QRect box;
    std::vector<Glyph> glyphs;
};

// The first line of title ink from the top of the picture.
std::optional<InkLine> FirstInkLine(const QImage& picture) {
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < picture.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < picture.width() && !ink; ++x) {
            ink = IsTitleInk(picture.pixel(x, y));
        }
        if (ink && top < 0) {
            top = y;
        }
        if (!ink && top >= 0) {
            bottom = y - 1;
            break;
        }
    }
    if (top < 0) {
        return std::nullopt;
    }
    if (bottom < 0) {
        bottom = picture.height() - 1;
    }
    InkLine line;
    int start = -1;
    for (int x = 0; x <= picture.width(); ++x) {
        bool ink = false;
        for (int y = top; y <= bottom && x < picture.width() && !ink; ++y) {
            ink = IsTitleInk(picture.pixel(x, y));
        }
        if (ink && start < 0) {
            start = x;
        }
        if (!ink && start >= 0) {
            Glyph glyph;
            glyph.box = QRect(QPoint(start, top), QPoint(x - 1, bottom));
            glyph.ink = QImage(glyph.box.size(), QImage::Format_Grayscale8);
            for (int gy = 0; gy < glyph.box.height(); ++gy) {
                for (int gx = 0; gx < glyph.box.width(); ++gx) {
                    const bool on = IsTitleInk(picture.pixel(start + gx, top + gy));
                    glyph.ink.setPixel(gx, gy, on ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
                }
            }
            line.glyphs.push_back(glyph);
            line.box |= glyph.box;
            start = -1;
        }
    }
    return line;
}

QImage GrabView(QWidget* view) {
    return view->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// How well the glyph fits the line's ink with its top-left corner at (x, y): the share of the
// pixels that are ink in either which are ink in both.
double Overlap(const QImage& line, const QImage& glyph, int x, int y) {
    int both = 0;
    int either = 0;
    for (int gy = 0; gy < glyph.height(); ++gy) {
        for (int gx = 0; gx < glyph.width(); ++gx) {
            const int ly = y + gy;
            const bool inLine = ly >= 0 && ly < line.height() && qGray(line.pixel(x + gx, ly)) > 0;
            const bool inGlyph = qGray(glyph.pixel(gx, gy)) > 0;
            both += inLine && inGlyph ? 1 : 0;
            either += inLine || inGlyph ? 1 : 0;
        }
    }
    return either == 0 ? 0 : static_cast<double>(both) / either;
}

// The best fit of the glyph anywhere along the line, a few pixels up or down included.
double BestOverlap(const QImage& line, const QImage& glyph) {
    double best = 0;
    for (int x = 0; x + glyph.width() <= line.width(); ++x) {
        for (int dy = -2; dy <= 2; ++dy) {
            best = std::max(best, Overlap(line, glyph, x, dy));
        }
    }
    return best;
}

// The line's ink as one picture, 1 for ink.
QImage LineInk(const InkLine& line) {
    QImage ink(line.box.size(), QImage::Format_Grayscale8);
    ink.fill(0);
    for (const Glyph& glyph : line.glyphs) {
        for (int y = 0; y < glyph.ink.height(); ++y) {
            for (int x = 0; x < glyph.ink.width(); ++x) {
                ink.setPixel(glyph.box.x() - line.box.x() + x, glyph.box.y() - line.box.y() + y,
                             glyph.ink.pixel(x, y));
            }
        }
    }
    return ink;
}

// Glyphs as wide as a Chinese character whose shapes differ from each other.
int DistinctWideGlyphs(const InkLine& line) {
    std::vector<const Glyph*> distinct;
    for (const Glyph& glyph : line.glyphs) {
        if (glyph.box.width() < 9) {
            continue;
        }
        const bool seen = std::any_of(distinct.begin(), distinct.end(), [&](const Glyph* other) {
            return other->ink.size() == glyph.ink.size() &&
                   Overlap(other->ink, glyph.ink, 0, 0) > 0.8;
        });
        if (!seen) {
            distinct.push_back(&glyph);
        }
    }
    return static_cast<int>(distinct.size());
}

// Loads a local page into a view of its own and returns its first line of title-coloured ink.
InkLine RenderAlone(const support::TempDir& dir, const std::string& name, const std::string& body) {
    dir.Write(name,
              "<html><head><meta charset=\"utf-8\"><style>body {font-family: Verdana, System, "
              "\"Times New Roman\", \"宋体\"; font-size: 12px;} span {color: #336666;}</style>"
              "</head><body><span>" +
                  body + "</span></body></html>");
    window::HtmlView view(nullptr);
    view.resize(400, 100);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.LoadLocalFile(Text(dir.dir() + name));
    [&] { QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 30000); }();
    std::optional<InkLine> line;
    [&] { QTRY_VERIFY_WITH_TIMEOUT((line = FirstInkLine(GrabView(&view))), 30000); }();
    return line ? *line : InkLine{};
}

}  // namespace

class HtmlViewTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { window::PrepareProcess(); }

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void resultPageShowsChineseAndSendsItemLinksToTheBrowser();
    void linksOfTheHelpPageGoToTheBrowser();

  private:
    std::unique_ptr<window::TLumiskSearch> MakeWindow();

    std::optional<sandbox::Sandbox> sandbox_;
    std::optional<support::TempDir> dir_;
    std::optional<support::ScopedCwd> cwd_;
    std::jthread run_;
    QList<QUrl> opened_;
};

void HtmlViewTest::initTestCase() {
    window::ConfigureApplication();
    sandbox_.emplace(sandbox::Options{});
    dir_.emplace();
    cwd_.emplace(dir_->path());
    dir_->Write("Config.ini", "[UpGrade]\nServer=" + sandbox_->host() + "\n");
    std::filesystem::copy(std::filesystem::path(QORVANE_ASSETS_DIR) / "img", dir_->path() / "img");
}

void HtmlViewTest::cleanupTestCase() {
    if (run_.joinable()) {
        run_.join();
    }
    cwd_.reset();
    dir_.reset();
    sandbox_.reset();
}

std::unique_ptr<window::TLumiskSearch> HtmlViewTest::MakeWindow() {
    opened_.clear();
    window::SearchWindowSeams seams;
    seams.startEngine = [this](std::unique_ptr<search::TSearchEngine> engine, std::string keyword,
                               std::string startPrice, std::string endPrice, int32_t minLevel,
                               bool force) {
        // Kept here and joined at the end, so that no search outlives the test.
        run_ = search::TSearchEngine::Start(std::move(engine), keyword, startPrice, endPrice,
                                            minLevel, force);
        return std::jthread();
    };
    seams.openInBrowser = [this](const QUrl& url) {
        opened_.push_back(url);
        return true;
    };
    auto window =
        std::make_unique<window::TLumiskSearch>(sandbox_->url("/sip/rest"), std::move(seams));
    window->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(window.get())); }();
    return window;
}

void HtmlViewTest::resultPageShowsChineseAndSendsItemLinksToTheBrowser() {
    const std::unique_ptr<window::TLumiskSearch> window = MakeWindow();
    QSignalSpy loaded(window->wbCommendList, &QWebEngineView::loadFinished);
    window->editKey->setText(QStringLiteral("保温杯"));
    QTest::mouseClick(window->btnSearch, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window->Searching(), 120000);
    QCOMPARE(support::PanelOnShow(*window), window->panCommendList);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 30000);
    QCOMPARE(loaded.at(0).at(0).toBool(), true);
    const QUrl page = QUrl::fromLocalFile(Text(dir_->dir() + "Commend.html"));
    QCOMPARE(window->wbCommendList->url(), page);

    // The first item's title, in the title colour at the top of the page.
    std::optional<InkLine> title;
    QTRY_VERIFY_WITH_TIMEOUT((title = FirstInkLine(GrabView(window->wbCommendList))), 30000);

    // A character no font has is drawn as the box glyph; a title whose Chinese had no font
    // would show that box over and over.
    const InkLine missing = RenderAlone(*dir_, "Missing.html", "&#xF0000;");
    QCOMPARE(missing.glyphs.size(), size_t{1});
    const QImage box = missing.glyphs[0].ink;
    const InkLine boxes = RenderAlone(*dir_, "Boxes.html", "保温杯&#xF0000;保温杯");
    QVERIFY2(BestOverlap(LineInk(boxes), box) > 0.9, "the box glyph is not found where it is");
    const double closest = BestOverlap(LineInk(*title), box);
    QVERIFY2(closest < 0.8, qPrintable(QStringLiteral("a title glyph looks like the box glyph "
                                                      "(overlap %1)")
                                           .arg(closest)));
    const int distinct = DistinctWideGlyphs(*title);
    QVERIFY2(distinct >= 6, qPrintable(QStringLiteral("only %1 distinct Chinese-wide glyphs in "
                                                      "the title")
                                           .arg(distinct)));

    // A click on the title: the link goes to the browser, the view keeps the page.
    const auto windowsOnShow = [] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::count_if(windows.begin(), windows.end(),
                             [](const QWidget* widget) { return widget->isVisible(); });
    };
    const auto windowsBefore = windowsOnShow();
    QTest::mouseClick(window->wbCommendList->focusProxy(), Qt::LeftButton, {},
                      title->glyphs.front().box.center());
    QTRY_COMPARE_WITH_TIMEOUT(opened_.size(), 1, 10000);
    const QString link = opened_.front().toString();
    QVERIFY2(
        link.startsWith("http://item.taobao.com/auction/item_detail--") && link.endsWith(".jhtml"),
        qPrintable(link));
    QCOMPARE(window->wbCommendList->url(), page);
    QCOMPARE(windowsOnShow(), windowsBefore);
}

void HtmlViewTest::linksOfTheHelpPageGoToTheBrowser() {
    dir_->Write("Help.html",
                "<html><head><style>body {margin: 0;} a {display: block; position: absolute; "
                "left: 0; width: 300px; height: 80px; background: #336699;}</style></head><body>"
                "<a href=\"http://plain.example/page\" style=\"top: 0\">plain</a>"
                "<a href=\"http://blank.example/page\" target=\"_blank\" style=\"top: 100px\">"
                "new window</a></body></html>");
    const std::unique_ptr<window::TLumiskSearch> window = MakeWindow();
    QSignalSpy loaded(window->wbHelp, &QWebEngineView::loadFinished);
    QTest::mouseClick(window->labHelp, Qt::LeftButton);
    QCOMPARE(support::PanelOnShow(*window), window->panHelp);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 30000);
    const QUrl help = QUrl::fromLocalFile(Text(dir_->dir() + "Help.html"));
    QCOMPARE(window->wbHelp->url(), help);
    // Painted, so that clicks reach the links.
    QTRY_COMPARE_WITH_TIMEOUT(GrabView(window->wbHelp).pixel(250, 140), qRgb(0x33, 0x66, 0x99),
                              30000);

    QTest::mouseClick(window->wbHelp->focusProxy(), Qt::LeftButton, {}, QPoint(150, 40));
    QTRY_COMPARE_WITH_TIMEOUT(opened_, QList<QUrl>{QUrl("http://plain.example/page")}, 10000);
    QTest::mouseClick(window->wbHelp->focusProxy(), Qt::LeftButton, {}, QPoint(150, 140));
    QTRY_COMPARE_WITH_TIMEOUT(opened_.size(), 2, 10000);
    QCOMPARE(opened_.back(), QUrl("http://blank.example/page"));
    QCOMPARE(window->wbHelp->url(), help);
}

QTEST_MAIN(HtmlViewTest)
#include "HtmlViewTest.moc"
