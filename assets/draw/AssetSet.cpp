#include "AssetSet.h"

#include <QDir>

#include "Background.h"
#include "ButtonFaces.h"
#include "Canvas.h"
#include "Decorations.h"
#include "Icon.h"
#include "LevelBadges.h"
#include "SearchAnimation.h"

namespace draw {

namespace {

struct CaptionButton {
    const char* name;
    QString caption;
    ButtonTone tone;
};

class Writer {
  public:
    explicit Writer(QString root) : root_(std::move(root)) {}

    void Png(const QString& name, const QImage& image) const {
        SavePng(image, QDir(root_).filePath(name));
    }

  private:
    QString root_;
};

void WriteButtons(const Writer& out) {
    const CaptionButton buttons[] = {
        {"BtnSearch", "给我  搜!", ButtonTone::Gold},
        {"BtnSearchAglin", "我还要 搜", ButtonTone::Gold},
        {"BtnIKnow", "我知道了！", ButtonTone::Gold},
        {"BtnStop", "停止检索", ButtonTone::Red},
    };
    const struct {
        const char* suffix;
        ButtonState state;
    } states[] = {
        {"", ButtonState::Normal}, {"Hover", ButtonState::Hover}, {"Down", ButtonState::Down}};
    for (const auto& s : states) {
        for (const CaptionButton& b : buttons) {
            out.Png(QString("window/%1%2.png").arg(b.name, s.suffix),
                    DrawCaptionButton({89, 26}, b.caption, b.tone, s.state));
        }
        out.Png(QString("window/BtnClose%1.png").arg(s.suffix), DrawCloseButton(s.state));
    }
}

}  // namespace

void WriteAssets(const QString& assetsDir, const QString& workDir) {
    const Writer out(assetsDir);
    const QImage background = DrawBackground();
    out.Png("window/Background.png", background);
    out.Png("window/Arrow.png", DrawArrow());
    out.Png("window/Image1.png", DrawEntryPlate(background));
    out.Png("window/SellerLevel.png", DrawNoMinimumBadge());
    out.Png("window/Icon.png", DrawIcon());
    WriteButtons(out);

    const Writer work(workDir);
    for (int level = 0; level <= kHighestLevel; ++level) {
        work.Png(QString("level-%1.png").arg(level), DrawLevelBadge(level));
    }
    for (int i = 0; i < kSearchFrames; ++i) {
        work.Png(QString("search-%1.png").arg(i, 2, 10, QChar('0')),
                 DrawSearchFrame(background, i));
    }
}

}  // namespace draw
