#include "support/ChildProcess.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <signal.h>

#include <regex>
#include <string>
#include <vector>

namespace {

// qvsandbox with its arguments, as a child whose output the test reads.
support::ChildProcess Program(std::vector<std::string> args) {
    args.insert(args.begin(), QVSANDBOX_PATH);
    return support::ChildProcess(args);
}

TEST(QvsandboxTest, ServesWithItsSwitchesUntilTerminatedThenReportsTheCounts) {
    auto program = Program({"--port", "0", "--seed", "3", "--rest-status", "404"});
    std::smatch match;
    const std::string first = program.ReadLine();
    ASSERT_TRUE(std::regex_match(first, match, std::regex(R"(listening on 127\.0\.0\.1:(\d+))")))
        << first;

    httplib::Client client("127.0.0.1", std::stoi(match[1].str()));
    const auto rest = client.Post("/sip/rest", "", "application/x-www-form-urlencoded");
    const auto report = client.Post("/searchadd.asmx", "", "text/xml");
    ASSERT_TRUE(rest && report);
    EXPECT_EQ(rest->status, 404);
    EXPECT_EQ(report->status, 500) << "the switch was meant for the gateway only";

    program.Kill(SIGTERM);
    EXPECT_EQ(program.ReadLine(),
              "served 2 requests (rest 1, searchadd 1, query 0, files 0, pic 0)");
    EXPECT_EQ(program.Wait(), 0);
}

TEST(QvsandboxTest, RefusesAWrongCommandLine) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--latency", "soon"}, {"--rest-colour"}, {"--port", "70000"}, {"stray"}}) {
        auto program = Program(args);
        EXPECT_EQ(program.Wait(), 2) << args[0];
    }
}

}  // namespace
