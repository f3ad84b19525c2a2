#include "QvSearchArgs.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "search/unit_SearchEngine.h"

#include <map>

namespace qvsearch {

const char* const kUsage =
    "Usage: qvsearch [--gateway URL] [--start-price P] [--end-price P] [--min-level N]\n"
    "                [--force] [--count N] [--version TEXT] [--parallel N] [--no-cache]\n"
    "                KEYWORD...\n"
    "\n"
    "Runs one search in the current directory: reads Config.ini there for the usage report's\n"
    "server and writes the recommendation page Commend.html there. The words of KEYWORD are\n"
    "joined with one blank.\n"
    "\n"
    "  --gateway URL      the marketplace gateway (default: the built-in one)\n"
    "  --start-price P    lowest price; 0 or empty for none\n"
    "  --end-price P      highest price; 0 or empty for none\n"
    "  --min-level N      lowest seller credit level on the page, 0 to 20 (default 0)\n"
    "  --force            search on even when there are more than 500 hits\n"
    "  --count N          items wanted on the page, 1 to 100 (default 10)\n"
    "  --version TEXT     program version sent with the usage report (default 1.00)\n"
    "  --parallel N       requests to the gateway at a time, 1 to 16 (default 8)\n"
    "  --no-cache         ask every item's seller again instead of once per seller\n"
    "  --help             this text\n"
    "\n"
    "--parallel 1 --no-cache sends the requests one after another, each seller once per item.\n"
    "The events, the page and the report are the same in every mode.\n"
    "\n"
    "Every event is printed as one line, in the order raised: OnStep, OnItemCount, OnProgress,\n"
    "OnStatus, OnAveragePrice, OnTooManyHits, OnNothingFound, OnFinished, OnFailed.\n"
    "Ctrl-C (SIGINT) stops the search: nothing more is printed and the page is left as it was.\n"
    "Exit status: 0 finished, 3 nothing found, 4 too many hits, 1 failed, 2 usage error,\n"
    "130 stopped.\n";

namespace {

int32_t ReadNumber(const std::string& option, const std::string& text, int32_t lowest,
                   int32_t highest) {
    try {
        const int32_t value = base::StrToInt(text);
        if (value >= lowest && value <= highest) {
            return value;
        }
    } catch (const base::ConvertError&) {
    }
    throw UsageError(option + " takes a whole number from " + std::to_string(lowest) + " to " +
                     std::to_string(highest) + ", not '" + text + "'");
}

}  // namespace

TArgs ParseArgs(const std::vector<std::string>& args) {
    TArgs parsed;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const size_t equals = arg.find('='); equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        if (name == "--help" || name == "--force" || name == "--no-cache") {
            if (value) {
                throw UsageError(name + " takes no value");
            }
            (name == "--help"    ? parsed.help
             : name == "--force" ? parsed.force
                                 : parsed.noCache) = true;
            continue;
        }
        const bool known = name == "--gateway" || name == "--start-price" ||
                           name == "--end-price" || name == "--min-level" || name == "--count" ||
                           name == "--version" || name == "--parallel";
        if (!known) {
            throw UsageError("unknown option " + name);
        }
        if (!value) {
            if (i + 1 == args.size()) {
                throw UsageError(name + " needs a value");
            }
            value = args[++i];
        }
        if (name == "--gateway") {
            parsed.gateway = *value;
        } else if (name == "--start-price") {
            parsed.startPrice = *value;
        } else if (name == "--end-price") {
            parsed.endPrice = *value;
        } else if (name == "--min-level") {
            parsed.minLevel = ReadNumber(name, *value, 0, 20);
        } else if (name == "--count") {
            parsed.count = ReadNumber(name, *value, 1, 100);
        } else if (name == "--parallel") {
            parsed.parallel = ReadNumber(name, *value, 1, search::kMostParallel);
        } else {
            parsed.version = *value;
        }
    }
    for (size_t i = 0; i < words.size(); ++i) {
        parsed.keyword += (i == 0 ? "" : " ") + words[i];
    }
    return parsed;
}

}  // namespace qvsearch
