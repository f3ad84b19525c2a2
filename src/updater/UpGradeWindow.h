#pragma once

#include <string>

namespace updater {

// What the upgrade pass needs of its program: the two message boxes and the window with its
// file label and progress bar. The program supplies it; the pass never touches a GUI itself.
class UpGradeWindow {
  public:
    virtual ~UpGradeWindow() = default;

    // The information box: no icon, one OK button, the program's title. Blocks until the user
    // has closed it, by its button or otherwise.
    virtual void ShowInformationBox(const std::string& text) = 0;
    // The error box: error icon, one OK button, the program's title, the text as given. Blocks
    // until the user has closed it.
    virtual void ShowErrorBox(const std::string& text) = 0;
    // The name of the file being downloaded (labInfo).
    virtual void SetFileName(const std::string& name) = 0;
    // The progress bar (pbBar): its maximum, the number of files; its position, the number of
    // the file being downloaded, counted from 1.
    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // Puts the window on screen; returns at once.
    virtual void ShowWindow() = 0;
};

}  // namespace updater
