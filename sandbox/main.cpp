// qvsandbox: the marketplace gateway and the vendor's services on 127.0.0.1 until SIGINT or
// SIGTERM. Prints "listening on 127.0.0.1:PORT" once it serves.
#include "sandbox/Sandbox.h"

#include <pthread.h>

#include <array>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: qvsandbox [--port N] [--seed N] [--report-log FILE] [--update-list FILE]\n"
    "                 [--files DIR] [--verbose] [SWITCH...]\n"
    "\n"
    "  --port N           port on 127.0.0.1; 0 (the default) takes any free port\n"
    "  --seed N           seed of the generated catalogue (default 1)\n"
    "  --report-log FILE  append every accepted usage report to FILE as one JSON line\n"
    "  --update-list FILE the update list GetUpGradeFileList answers with; \"{SANDBOX}\" in it\n"
    "                     becomes http://127.0.0.1:PORT\n"
    "  --files DIR        serve the files under DIR at /files/\n"
    "  --verbose          one line per request on stderr\n"
    "\n"
    "Switches act on every service, or on one when prefixed with its name\n"
    "(rest-, searchadd-, query-, files-, pic-), e.g. --rest-latency 20:\n"
    "  --latency MS   wait MS milliseconds before answering\n"
    "  --status CODE  answer with this HTTP status\n"
    "  --garbage      answer 200 with a body that is not XML\n"
    "  --not-utf8     answer with a body that is not valid UTF-8\n"
    "  --hang         never answer (until the sandbox stops)\n"
    "  --fault        REST: an error answer; SOAP: a SOAP fault\n"
    "  --seller-per-item  REST: every item offered by a seller of its own\n"
    "\n"
    "GET /sandbox/stats shows the requests served so far. On SIGINT or SIGTERM the sandbox\n"
    "prints the same counts and ends.\n";

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

long long Number(const std::string& option, const std::string& text, long long low,
                 long long high) {
    size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || value < low || value > high) {
        throw UsageError("--" + option + " takes a number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    }
    return value;
}

struct CommandLine {
    sandbox::Options options;
    std::array<sandbox::Switches, sandbox::kServiceCount> switches{};
    bool help = false;
};

CommandLine Parse(const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (!name.starts_with("--")) {
            throw UsageError("unexpected argument \"" + name + "\"");
        }
        name.erase(0, 2);
        std::optional<std::string> inlineValue;
        if (const size_t equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.erase(equals);
        }
        const auto value = [&]() -> std::string {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= args.size()) {
                throw UsageError("--" + name + " needs a value");
            }
            return args[++i];
        };

        if (name == "help") {
            line.help = true;
        } else if (name == "port") {
            line.options.port = static_cast<int>(Number(name, value(), 0, 65535));
        } else if (name == "seed") {
            line.options.seed = static_cast<uint64_t>(Number(name, value(), 0, LLONG_MAX));
        } else if (name == "report-log") {
            line.options.reportLog = value();
        } else if (name == "update-list") {
            line.options.updateList = value();
        } else if (name == "files") {
            line.options.filesDir = value();
        } else if (name == "verbose") {
            line.options.verbose = true;
        } else {
            std::vector<size_t> targets;
            std::string switchName = name;
            const size_t dash = name.find('-');
            const auto service = dash == std::string::npos
                                     ? std::nullopt
                                     : sandbox::ServiceByName(name.substr(0, dash));
            if (service) {
                targets.push_back(static_cast<size_t>(*service));
                switchName = name.substr(dash + 1);
            } else {
                for (size_t s = 0; s < sandbox::kServiceCount; ++s) {
                    targets.push_back(s);
                }
            }
            std::function<void(sandbox::Switches&)> set;
            if (switchName == "latency") {
                const auto ms = std::chrono::milliseconds(Number(name, value(), 0, 3600000));
                set = [ms](sandbox::Switches& s) { s.latency = ms; };
            } else if (switchName == "status") {
                const int status = static_cast<int>(Number(name, value(), 100, 599));
                set = [status](sandbox::Switches& s) { s.status = status; };
            } else if (switchName == "garbage") {
                set = [](sandbox::Switches& s) { s.garbage = true; };
            } else if (switchName == "not-utf8") {
                set = [](sandbox::Switches& s) { s.notUtf8 = true; };
            } else if (switchName == "hang") {
                set = [](sandbox::Switches& s) { s.hang = true; };
            } else if (switchName == "fault") {
                set = [](sandbox::Switches& s) { s.fault = true; };
            } else if (switchName == "seller-per-item") {
                set = [](sandbox::Switches& s) { s.sellerPerItem = true; };
            } else {
                throw UsageError("unknown option --" + name);
            }
            for (const size_t target : targets) {
                set(line.switches[target]);
            }
        }
    }
    return line;
}

std::string Counts(const sandbox::Sandbox& box) {
    std::string text = "served " + std::to_string(box.requestCount()) + " requests (";
    for (size_t s = 0; s < sandbox::kServiceCount; ++s) {
        const auto service = static_cast<sandbox::Service>(s);
        text += (s == 0 ? "" : ", ") + std::string(sandbox::ServiceName(service)) + " " +
                std::to_string(box.requestCount(service));
    }
    return text + ")";
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    try {
        line = Parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "qvsandbox: %s\n\n%s", e.what(), kUsage);
        return 2;
    }
    if (line.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    // Blocked before any thread starts, so that every thread inherits the mask and the signal
    // is taken only by sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        sandbox::Sandbox box(line.options);
        for (size_t s = 0; s < sandbox::kServiceCount; ++s) {
            box.SetSwitches(static_cast<sandbox::Service>(s), line.switches[s]);
        }
        std::printf("listening on %s\n", box.host().c_str());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stopSignals, &signal);
        std::printf("%s\n", Counts(box).c_str());
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvsandbox: %s\n", e.what());
        return 1;
    }
    return 0;
}
