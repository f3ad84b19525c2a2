// qvsearch: one search from the command line, printing the engine's events.

#include "QvSearchArgs.h"

#include "base/Numbers.h"
#include "platform/InterruptWatch.h"
#include "search/PrepareCriteria.h"
#include "search/unit_SearchEngine.h"

#include <cstdio>
#include <iostream>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace {

enum ExitStatus {
    kFinished = 0,
    kFailed = 1,
    kUsage = 2,
    kNothingFound = 3,
    kTooManyHits = 4,
    kStopped = 130,  // as a shell reports a program that Ctrl-C ended
};

// One event, one line: line breaks inside a text would split it.
void Print(const std::string& event, std::string text = {}) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    std::cout << event << (text.empty() ? "" : " ") << text << std::endl;
}

void WirePrinting(search::TSearchEngine& engine, int& status) {
    engine.OnStep = [](int32_t step) { Print("OnStep", std::to_string(step)); };
    engine.OnItemCount = [](int32_t count) { Print("OnItemCount", std::to_string(count)); };
    engine.OnProgress = [](int32_t position) { Print("OnProgress", std::to_string(position)); };
    engine.OnStatus = [](const std::string& text) { Print("OnStatus", text); };
    engine.OnAveragePrice = [](double average) {
        Print("OnAveragePrice", base::FormatGeneral(average));
    };
    engine.OnTooManyHits = [&status](int32_t minutes) {
        Print("OnTooManyHits", std::to_string(minutes));
        status = kTooManyHits;
    };
    engine.OnNothingFound = [&status] {
        Print("OnNothingFound");
        status = kNothingFound;
    };
    engine.OnFinished = [&status] {
        Print("OnFinished");
        status = kFinished;
    };
    engine.OnFailed = [&status](const std::string& error) {
        Print("OnFailed", error);
        status = kFailed;
    };
}

}  // namespace

int main(int argc, char** argv) {
    // Before any thread: every thread must inherit the blocked signal.
    const platform::InterruptWatch interrupt;
    qvsearch::TArgs args;
    try {
        args = qvsearch::ParseArgs(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const qvsearch::UsageError& e) {
        std::cerr << "qvsearch: " << e.what() << "\n\n" << qvsearch::kUsage;
        return kUsage;
    }
    if (args.help) {
        std::cout << qvsearch::kUsage;
        return 0;
    }
    if (!interrupt.error().empty()) {
        std::cerr << "qvsearch: " << interrupt.error() << "; Ctrl-C ends the program at once\n";
    }
    const auto criteria = search::PrepareCriteria(args.keyword, args.startPrice, args.endPrice);
    if (!criteria) {
        std::cerr << search::kNeedKeyText << "\n";
        return kUsage;
    }

    auto engine = search::TSearchEngine::Create(
        args.count, args.gateway.value_or(marketplace::kGatewayUrl), base::NowLocal,
        {.parallel = args.parallel, .sellerCache = !args.noCache});
    // Only a stopped run ends without an event that says otherwise.
    int status = kStopped;
    WirePrinting(*engine, status);
    engine->Version = args.version;
    std::jthread run =
        search::TSearchEngine::Start(std::move(engine), criteria->Keyword, criteria->StartPrice,
                                     criteria->EndPrice, args.minLevel, args.force);
    const std::stop_callback stopOnInterrupt(
        interrupt.interrupted(), [stop = run.get_stop_source()]() mutable { stop.request_stop(); });
    run.join();
    return status;
}
