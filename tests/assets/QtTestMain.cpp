#include <gtest/gtest.h>

#include <QGuiApplication>

// Loading pictures and fonts needs a Gui application; the offscreen platform needs no display.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int qtArgc = 3;
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    char* qtArgv[] = {argv[0], platformOption, offscreen, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    return RUN_ALL_TESTS();
}
