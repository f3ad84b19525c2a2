#include "updater/UpGradeRun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ErrorBoxText, AddsAFullStopAfterALastCharacterAboveIt) {
    const struct {
        std::string error;
        std::string shown;
    } cases[] = {
        {"", ""},
        {"Element does not contain a single text node",
         "Element does not contain a single "
         "text node."},
        {"List index out of bounds (1)", "List index out of bounds (1)"},
        {"already ends.", "already ends."},
        {"dash-", "dash-"},
        {"ends in a line break\r\n", "ends in a line break\r\n"},
        {"path/", "path/."},
        {"</Fiel>", "</Fiel>."},
        {"文件无法写入", "文件无法写入."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(updater::ErrorBoxText(c.error), c.shown) << c.error;
    }
}

}  // namespace
