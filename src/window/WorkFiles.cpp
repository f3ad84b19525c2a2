#include "window/WorkFiles.h"

#include "base/Paths.h"

#include <exception>

namespace window {

QString WorkFile(const std::string& name) {
    try {
        return QString::fromStdString(base::GetWorkDir() + name);
    } catch (const std::exception&) {
        return QString::fromStdString(name);
    }
}

}  // namespace window
