#pragma once

#include <string>

namespace updater {

// The program's two message boxes, titled with the program's file name, centred on the screen,
// each with one OK button and the text as plain text (CR LF line breaks shown as breaks). Both
// block until the user has closed the box.
void ShowInformationBox(const std::string& text);  // no icon
void ShowErrorBox(const std::string& text);        // error icon

}  // namespace updater
