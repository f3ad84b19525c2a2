#pragma once

// Helpers of the window tests: an engine starter that runs nothing, events raised as a running
// engine raises them, the panel on show, pictures.

#include "window/SearchWindow.h"

#include <QSize>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

class QObject;
class QWidget;

namespace support {

// A search as the window handed it to the engine starter.
struct StartedSearch {
    std::unique_ptr<search::TSearchEngine> engine;
    std::string keyword;
    std::string startPrice;
    std::string endPrice;
    int32_t minLevel = 0;
    bool force = false;
    // The stop source of the thread handed back to the window.
    std::stop_source stop;
};

// An engine starter that keeps what it is given and runs nothing: the thread it hands back ends
// at once, but its stop source shows whether the window asked for a stop. The test raises the
// kept engine's events itself.
class StartRecorder {
  public:
    window::EngineStarter Starter();
    std::vector<StartedSearch> starts;
};

// Raises events on a thread of their own, as a running engine does, then applies on this
// thread what they queued for the window.
void RaiseFromSearchThread(QObject* window, const std::function<void()>& raise);

// The one panel on show, or nullptr when not exactly one of the four is.
QWidget* PanelOnShow(const window::TLumiskSearch& window);

// A JPEG picture of the given size.
void WritePicture(const std::filesystem::path& file, QSize size);

QString Text(const std::string& utf8);

}  // namespace support
