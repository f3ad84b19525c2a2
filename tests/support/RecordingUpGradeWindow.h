#pragma once

#include "updater/UpGradeWindow.h"

#include <string>
#include <vector>

namespace support {

// Stands in for the updater's window: every call becomes one line, in the order made
// ("info: TEXT", "error: TEXT", "file: NAME", "max: N", "position: N", "show"). Its boxes return
// at once, as if the user had pressed OK.
class RecordingUpGradeWindow : public updater::UpGradeWindow {
  public:
    void ShowInformationBox(const std::string& text) override { calls.push_back("info: " + text); }
    void ShowErrorBox(const std::string& text) override { calls.push_back("error: " + text); }
    void SetFileName(const std::string& name) override { calls.push_back("file: " + name); }
    void SetProgressMaximum(int maximum) override {
        calls.push_back("max: " + std::to_string(maximum));
    }
    void SetProgressPosition(int position) override {
        calls.push_back("position: " + std::to_string(position));
    }
    void ShowWindow() override { calls.push_back("show"); }

    std::vector<std::string> calls;
};

}  // namespace support
