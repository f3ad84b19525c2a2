#include "support/WindowTestSupport.h"

#include "window/Panel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>

#include <stdexcept>
#include <thread>
#include <utility>

namespace support {

window::EngineStarter StartRecorder::Starter() {
    return [this](std::unique_ptr<search::TSearchEngine> engine, std::string keyword,
                  std::string startPrice, std::string endPrice, int32_t minLevel, bool force) {
        std::jthread run([](std::stop_token) {});
        starts.push_back({std::move(engine), std::move(keyword), std::move(startPrice),
                          std::move(endPrice), minLevel, force, run.get_stop_source()});
        return run;
    };
}

void RaiseFromSearchThread(QObject* window, const std::function<void()>& raise) {
    std::thread(raise).join();
    QCoreApplication::sendPostedEvents(window, QEvent::MetaCall);
}

QWidget* PanelOnShow(const window::TLumiskSearch& window) {
    QWidget* shown = nullptr;
    for (window::Panel* panel :
         {window.panSearch, window.panSearching, window.panCommendList, window.panHelp}) {
        if (panel->isVisible()) {
            if (shown != nullptr) {
                return nullptr;
            }
            shown = panel;
        }
    }
    return shown;
}

void WritePicture(const std::filesystem::path& file, QSize size) {
    std::filesystem::create_directories(file.parent_path());
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    if (!picture.save(QString::fromStdString(file.string()), "JPG")) {
        throw std::runtime_error("cannot write the picture " + file.string());
    }
}

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace support
