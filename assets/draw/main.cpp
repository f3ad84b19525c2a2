#include <QGuiApplication>
#include <exception>
#include <iostream>

#include "AssetSet.h"

// qv_draw_assets ASSETS_DIR WORK_DIR: redraws every picture (assets/draw.sh runs it).
int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: qv_draw_assets ASSETS_DIR WORK_DIR\n";
        return 2;
    }
    int qtArgc = 3;
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    char* qtArgv[] = {argv[0], platformOption, offscreen, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    try {
        draw::WriteAssets(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "qv_draw_assets: " << e.what() << '\n';
        return 1;
    }
}
