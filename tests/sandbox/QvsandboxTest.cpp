#include <gtest/gtest.h>
#include <httplib.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

extern char** environ;

namespace {

// qvsandbox started with its stdout on a pipe.
class Program {
  public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), QVSANDBOX_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int fds[2];
        if (pipe(fds) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        const int error =
            posix_spawn(&pid_, QVSANDBOX_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_.reset(fdopen(fds[0], "r"));
        if (error != 0) {
            throw std::runtime_error("cannot start qvsandbox");
        }
    }

    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
    }

    std::string ReadLine() {
        std::string line;
        for (int c; (c = std::fgetc(out_.get())) != EOF && c != '\n';) {
            line += static_cast<char>(c);
        }
        return line;
    }

    void Signal(int signal) const { kill(pid_, signal); }

    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    struct Close {
        void operator()(FILE* file) const { std::fclose(file); }
    };
    pid_t pid_ = -1;
    std::unique_ptr<FILE, Close> out_;
};

TEST(QvsandboxTest, ServesWithItsSwitchesUntilTerminatedThenReportsTheCounts) {
    Program program({"--port", "0", "--seed", "3", "--rest-status", "404"});
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

    program.Signal(SIGTERM);
    EXPECT_EQ(program.ReadLine(),
              "served 2 requests (rest 1, searchadd 1, query 0, files 0, pic 0)");
    EXPECT_EQ(program.Wait(), 0);
}

TEST(QvsandboxTest, RefusesAWrongCommandLine) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--latency", "soon"}, {"--rest-colour"}, {"--port", "70000"}, {"stray"}}) {
        Program program(args);
        EXPECT_EQ(program.Wait(), 2) << args[0];
    }
}

}  // namespace
