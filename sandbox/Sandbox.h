#pragma once

#include "base/DateTime.h"
#include "sandbox/Catalogue.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sandbox {

// The sandbox's services, each with switches of its own.
enum class Service { Rest, SearchAdd, Query, Files, Pictures };
inline constexpr size_t kServiceCount = 5;
// "rest", "searchadd", "query", "files", "pic": the names the command line uses.
std::string_view ServiceName(Service service);
std::optional<Service> ServiceByName(std::string_view name);

// Ways to misbehave. Several may be on at once: latency comes first; then hang, fault,
// garbage and status decide the answer in that order of precedence; not-UTF-8 spoils whatever
// body results; a status other than 0 is the status of every answer.
struct Switches {
    std::chrono::milliseconds latency{0};
    int status = 0;        // 0: the service's own; else this status, with a short page
    bool garbage = false;  // a 200 answer that is not XML
    bool notUtf8 = false;  // the answer re-encoded as GBK, so not valid UTF-8
    bool hang = false;     // no answer until the sandbox stops
    bool fault = false;    // REST: an error answer; SOAP: a fault; files and pictures: nothing
    // REST: every item is offered by a seller of its own (Catalogue::OwnSellerNick), so no two
    // items share a seller's credit lookup; nothing for the other services.
    bool sellerPerItem = false;
    bool operator==(const Switches&) const = default;
};

struct Options {
    int port = 0;  // 0: any free port
    uint64_t seed = 1;
    std::filesystem::path reportLog;   // AddSub reports, one JSON line each (empty: not kept)
    std::filesystem::path updateList;  // what GetUpGradeFileList answers (empty: an empty list)
    std::filesystem::path filesDir;    // served under "/files/" (empty: no downloads)
    base::Clock clock = base::NowLocal;
    bool verbose = false;  // one line per request on stderr
};

// The marketplace gateway and the vendor's services on 127.0.0.1, served on a thread of their
// own from construction to destruction. Thread-safe.
class Sandbox {
  public:
    // Throws std::runtime_error when the port cannot be had or filesDir does not exist.
    explicit Sandbox(Options options);
    // Stops promptly, also while requests hang or wait out their latency.
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    int port() const;
    // "127.0.0.1:PORT", the form the programs' "Server" setting takes.
    std::string host() const;
    // "http://127.0.0.1:PORT" + path.
    std::string url(std::string_view path) const;

    void SetSwitches(Service service, const Switches& switches);
    void SetSwitches(const Switches& switches);  // every service
    Switches switches(Service service) const;
    void SetUpdateList(const std::filesystem::path& updateList);

    // Requests received, the statistics page not counted.
    uint64_t requestCount() const;
    uint64_t requestCount(Service service) const;

    const Catalogue& catalogue() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sandbox
