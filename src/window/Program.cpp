#include "window/Program.h"

#include "window/MsgWindow.h"
#include "window/SearchWindow.h"

#include "base/Curl.h"
#include "base/Xml.h"
#include "platform/ProcessEnd.h"
#include "platform/ProgramFiles.h"
#include "platform/WindowMessages.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include <exception>
#include <iostream>
#include <memory>

namespace window {
namespace {

// The updater ends the program through this channel; without it the program still works.
std::unique_ptr<platform::WindowMessageListener> ListenForCloseRequest() {
    try {
        return std::make_unique<platform::WindowMessageListener>(
            platform::kMainWindowClass, platform::kMainWindowTitle,
            [](const platform::WindowMessage& message) {
                if (message.msg == platform::WM_CLOSEREQUEST) {
                    platform::EndProcessNow(0);
                }
            });
    } catch (const std::exception& e) {
        std::cerr << "Qorvane: running without the close request, so the updater cannot end "
                     "this program: "
                  << e.what() << std::endl;
        return nullptr;
    }
}

}  // namespace

void PrepareProcess() {
    base::RegisterXmlEncodingAliases();
    base::InitCurlOnce();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void ConfigureApplication() {
    // On X11 the application name is the class half of WM_CLASS.
    QApplication::setApplicationName(QString::fromUtf8(platform::kMainWindowClass));
    QApplication::setApplicationDisplayName(QString::fromUtf8(platform::kMainWindowTitle));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(platform::kQorvaneFile));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/window/Icon.png")));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                      QStringLiteral("sans-serif")});
    font.setPixelSize(12);
    QApplication::setFont(font);
}

void RunQorvane(const char* programPath, const std::string& gatewayUrl) {
    try {
        PrepareProcess();
    } catch (const std::exception& e) {
        std::cerr << "Qorvane: " << e.what() << std::endl;
        platform::EndProcessNow(1);
    }
    std::string program = programPath != nullptr ? programPath : platform::kQorvaneFile;
    int argc = 1;
    char* argv[] = {program.data(), nullptr};
    QApplication application(argc, argv);
    ConfigureApplication();

    TLumiskSearch window(gatewayUrl);
    TfrmMsg frmMsg;
    const std::unique_ptr<platform::WindowMessageListener> closeRequests = ListenForCloseRequest();
    window.show();
    QApplication::exec();
    platform::EndProcessNow(0);
}

}  // namespace window
