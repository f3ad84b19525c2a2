#include "updater/ListedName.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using updater::StoredName;

TEST(StoredName, KeepsNamesInsideTheirDirectoryAndReadsBackslashesAsSlashes) {
    const struct {
        std::string listed;
        std::string stored;
    } cases[] = {
        {"Help.html", "Help.html"},
        {"img\\0.jpg", "img/0.jpg"},
        {"资料\\热门关键字.txt", "资料/热门关键字.txt"},
        {"a//b", "a//b"},
        {"./Brannick", "./Brannick"},
        {"..x", "..x"},
        {"x..", "x.."},
        {"a/...", "a/..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StoredName(c.listed), c.stored) << c.listed;
    }
}

TEST(StoredName, RefusesNamesThatLeaveTheDirectoryOrNameNoFile) {
    const std::string refused[] = {
        "",
        "/etc/passwd",
        "\\etc\\passwd",
        "..",
        "../Qorvane",
        "..\\..\\Qorvane",
        "img/../../Qorvane",
        "img/../0.jpg",
        std::string("a\0b", 3),
        "img/",
        "img\\",
        ".",
        "img/.",
    };
    for (const std::string& name : refused) {
        EXPECT_EQ(StoredName(name), std::nullopt) << name;
    }
}

}  // namespace
