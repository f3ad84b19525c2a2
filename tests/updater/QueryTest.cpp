#include "updater/Query.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using support::TempDir;

TEST(GetQuerySoap, BindsTheServerOfTheSettingsFile) {
    const struct {
        const char* what;
        std::optional<std::string> config;
        std::string endpoint;
    } cases[] = {
        {"no settings file", std::nullopt, "http://localhost/Query.asmx"},
        {"no such section", "[Version]\nServer=a.example\n", "http://localhost/Query.asmx"},
        {"host and port", "[upgrade]\nSERVER = up.example:8080\n",
         "http://up.example:8080/Query.asmx"},
        {"an empty value", "[UpGrade]\nServer=\n", "http:///Query.asmx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (c.config) {
            dir.Write("Config.ini", *c.config);
        }
        EXPECT_EQ(updater::GetQuerySoap(dir.dir())->Endpoint(), c.endpoint);
    }
}

TEST(GetQuerySoap, ReadsTheSettingsFileAgainOnEveryCall) {
    TempDir dir;
    dir.Write("Config.ini", "[UpGrade]\nServer=one.example\n");
    const auto first = updater::GetQuerySoap(dir.dir());
    dir.Write("Config.ini", "[UpGrade]\nServer=two.example\n");
    EXPECT_EQ(updater::GetQuerySoap(dir.dir())->Endpoint(), "http://two.example/Query.asmx");
    EXPECT_EQ(first->Endpoint(), "http://one.example/Query.asmx");
}

}  // namespace
