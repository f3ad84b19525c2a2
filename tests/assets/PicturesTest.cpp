#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <deque>
#include <utility>
#include <vector>

namespace {

const QString kAssets = QV_ASSETS_DIR;
constexpr QRgb kKey = 0xFFFF00FF;

struct Picture {
    QString file;
    int width;
    int height;
    bool alpha;
};

std::vector<Picture> WindowPictures() {
    std::vector<Picture> pictures = {
        {"window/Background.png", 802, 567, false}, {"window/Arrow.png", 10, 10, true},
        {"window/Image1.png", 385, 84, false},      {"window/SellerLevel.png", 91, 20, false},
        {"window/Icon.png", 256, 256, true},
    };
    for (const char* state : {"", "Hover", "Down"}) {
        for (const char* button : {"BtnSearch", "BtnSearchAglin", "BtnIKnow", "BtnStop"}) {
            pictures.push_back({QString("window/%1%2.png").arg(button, state), 89, 26, true});
        }
        pictures.push_back({QString("window/BtnClose%1.png").arg(state), 53, 22, true});
    }
    return pictures;
}

QImage Load(const QString& file, const char* format) {
    QImageReader reader(kAssets + "/" + file, format);
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << file.toStdString() << ": "
                                 << reader.errorString().toStdString();
    return image;
}

bool IsKey(const QImage& image, int x, int y) {
    return (image.pixel(x, y) | 0xFF000000) == kKey;
}

TEST(WindowPictures, HaveTheSizeAndAlphaTheWindowIsLaidOutFor) {
    for (const Picture& p : WindowPictures()) {
        SCOPED_TRACE(p.file.toStdString());
        const QImage image = Load(p.file, "png");
        EXPECT_EQ(image.size(), QSize(p.width, p.height));
        EXPECT_EQ(image.hasAlphaChannel(), p.alpha);
    }
}

TEST(Background, KeyColourFillsTheFrameAndTheRoundedCornersOnly) {
    const QImage image = Load("window/Background.png", "png");
    ASSERT_EQ(image.size(), QSize(802, 567));
    const int w = image.width();
    const int h = image.height();
    // The window takes its key colour from here.
    EXPECT_EQ(image.pixel(0, h - 1) | 0xFF000000, kKey);

    for (int x = 0; x < w; ++x) {
        EXPECT_TRUE(IsKey(image, x, 0) && IsKey(image, x, h - 1)) << "frame at x " << x;
    }
    for (int y = 0; y < h; ++y) {
        EXPECT_TRUE(IsKey(image, 0, y) && IsKey(image, w - 1, y)) << "frame at y " << y;
    }

    // Each corner is cut about seven pixels deep along the first row and column inside the
    // frame, and never more than ten.
    const std::pair<int, int> corners[] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
    for (const auto& [cx, cy] : corners) {
        const int dx = cx == 0 ? 1 : -1;
        const int dy = cy == 0 ? 1 : -1;
        int alongRow = 0;
        while (alongRow < 12 && IsKey(image, cx + dx * alongRow, cy + dy)) {
            ++alongRow;
        }
        int alongColumn = 0;
        while (alongColumn < 12 && IsKey(image, cx + dx, cy + dy * alongColumn)) {
            ++alongColumn;
        }
        EXPECT_GE(alongRow, 5) << "corner " << cx << "," << cy;
        EXPECT_LE(alongRow, 10) << "corner " << cx << "," << cy;
        EXPECT_EQ(alongColumn, alongRow) << "corner " << cx << "," << cy;
    }

    // Outside the corners only the frame is cut away.
    int stray = 0;
    for (int y = 1; y < h - 1; ++y) {
        for (int x = 1; x < w - 1; ++x) {
            const bool nearCorner = (x < 10 || x >= w - 10) && (y < 10 || y >= h - 10);
            if (!nearCorner && IsKey(image, x, y)) {
                ++stray;
            }
        }
    }
    EXPECT_EQ(stray, 0) << "key-coloured pixels inside the outline";

    // Every key-coloured pixel joins the frame: none is left as a hole inside a corner.
    int keyPixels = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            keyPixels += IsKey(image, x, y) ? 1 : 0;
        }
    }
    std::vector<bool> seen(static_cast<size_t>(w * h), false);
    std::deque<std::pair<int, int>> queue{{0, 0}};
    seen[0] = true;
    int reached = 0;
    while (!queue.empty()) {
        const auto [x, y] = queue.front();
        queue.pop_front();
        ++reached;
        const std::pair<int, int> next[] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
        for (const auto& [nx, ny] : next) {
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) {
                continue;
            }
            const size_t at = static_cast<size_t>(ny * w + nx);
            if (!seen[at] && IsKey(image, nx, ny)) {
                seen[at] = true;
                queue.emplace_back(nx, ny);
            }
        }
    }
    EXPECT_EQ(reached, keyPixels);
}

TEST(SearchAnimation, LoopsThroughSeveralFramesThatBlendIntoTheCard) {
    QImageReader reader(kAssets + "/img/Search.gif", "gif");
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    EXPECT_TRUE(reader.supportsAnimation());
    EXPECT_GE(reader.imageCount(), 4);
    const QImage background = Load("window/Background.png", "png");
    const QPoint at(576, 144);

    int frames = 0;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
        SCOPED_TRACE("frame " + std::to_string(frames));
        ++frames;
        ASSERT_EQ(frame.size(), QSize(72, 67));
        EXPECT_GT(reader.nextImageDelay(), 0);
        // The edges carry no drawing: there the frame must be the card itself.
        int mismatches = 0;
        for (int x = 0; x < frame.width(); ++x) {
            for (int y : {0, frame.height() - 1}) {
                mismatches += frame.pixel(x, y) != background.pixel(at + QPoint(x, y)) ? 1 : 0;
            }
        }
        for (int y = 0; y < frame.height(); ++y) {
            for (int x : {0, frame.width() - 1}) {
                mismatches += frame.pixel(x, y) != background.pixel(at + QPoint(x, y)) ? 1 : 0;
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_EQ(frames, reader.imageCount());
    // Read after the frames: a GIF's loop count is known once its header was parsed.
    EXPECT_EQ(reader.loopCount(), -1) << "plays once instead of looping";
}

TEST(LevelPictures, AllTwentyOneLoadAsDistinctBadgesTwentyPixelsHigh) {
    std::vector<QImage> levels;
    for (int level = 0; level <= 20; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        const QImage image = Load(QString("img/%1.jpg").arg(level), "jpeg");
        EXPECT_EQ(image.height(), 20);
        EXPECT_GE(image.width(), 20);
        EXPECT_LE(image.width(), 91);
        for (size_t other = 0; other < levels.size(); ++other) {
            EXPECT_NE(image, levels[other]) << "same picture as level " << other;
        }
        levels.push_back(image);
    }
}

}  // namespace
