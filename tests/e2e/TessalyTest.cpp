#include "sandbox/Sandbox.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/UpdateListXml.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using support::TempDir;

TEST(Tessaly, TwoCopiesStartedTogetherMakeOnePass) {
    const TempDir install;
    const TempDir runtime;  // the user's runtime directory, holding the single-instance lock
    const TempDir lists;
    sandbox::Sandbox sandbox({});
    fs::copy_file(TESSALY_PATH, install.path() / "Tessaly");
    install.Write("Config.ini", "[UpGrade]\nServer=" + sandbox.host() + "\n");
    const std::string list = support::UpdateListXml({{"Help.html", "1.02"}});
    install.Write("UpGrade_Old.xml", list);
    lists.Write("list.xml", list);
    sandbox.SetUpdateList(lists.path() / "list.xml");
    // Slow enough that the first copy still holds the lock when the second one starts.
    sandbox.SetSwitches(sandbox::Service::Query, {.latency = std::chrono::milliseconds(3000)});

    const support::ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
    const support::ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
    const support::ScopedEnv noProxy("no_proxy", "127.0.0.1");
    const std::string program = (install.path() / "Tessaly").string();
    support::ChildProcess first({program});
    support::ChildProcess second({program});

    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(sandbox.requestCount(sandbox::Service::Query), 1u);
    // The one pass went to its end: nothing new, so the fetched list is gone again.
    EXPECT_FALSE(fs::exists(install.path() / "UpGrade_New.xml"));
}

}  // namespace
