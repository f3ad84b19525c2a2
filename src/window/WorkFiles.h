#pragma once

#include <QString>

#include <string>

namespace window {

// GetWorkDir + name, asked afresh; just the name when the current directory is gone, so that
// what is loaded from it is missing like any other missing file.
QString WorkFile(const std::string& name);

}  // namespace window
