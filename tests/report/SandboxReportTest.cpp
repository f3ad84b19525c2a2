// A report sent the way a finished search sends it reaches the local vendor service's log.
#include "report/searchadd.h"
#include "sandbox/Sandbox.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(SandboxReport, AReportThroughTheSettingsFileLandsInTheServiceLog) {
    testsupport::TempDir work;
    sandbox::Options options;
    options.reportLog = work.path() / "reports.jsonl";
    options.clock = [] { return base::EncodeDateTime({2009, 3, 3, 8, 5, 9}); };
    sandbox::Sandbox box(options);
    work.Write("Config.ini", "[UpGrade]\nServer=" + box.host() + "\n");
    testsupport::ScopedCwd cwd(work.path());

    report::GetSearchAddSoap()->AddSub("保温杯+儿童", 0, report::ReportPrice("1200"), 89, 57.43f,
                                       "1.2.3");

    EXPECT_EQ(work.Read("reports.jsonl"),
              "{\"time\":\"2009-03-03 08:05:09\",\"Key\":\"保温杯+儿童\",\"JS_ZDJ\":0,"
              "\"JS_ZGJ\":1200,\"GoodsCount\":89,\"PJJ\":57.4300003051758,"
              "\"Version\":\"1.2.3\"}\n");
}

}  // namespace
