#include "sandbox/Sandbox.h"

#include "base/Encoding.h"
#include "base/Xml.h"
#include "sandbox/Pictures.h"
#include "sandbox/RestGateway.h"
#include "sandbox/SoapServices.h"

#include <httplib.h>
#include <sys/socket.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace sandbox {
namespace {

constexpr std::array<std::string_view, kServiceCount> kServiceNames = {"rest", "searchadd", "query",
                                                                       "files", "pic"};
constexpr std::string_view kStatsPath = "/sandbox/stats";

size_t Index(Service service) {
    return static_cast<size_t>(service);
}

std::optional<Service> ServiceOfPath(std::string_view path) {
    if (path == "/sip/rest") {
        return Service::Rest;
    }
    if (path == "/searchadd.asmx") {
        return Service::SearchAdd;
    }
    if (path == "/Query.asmx") {
        return Service::Query;
    }
    if (path.starts_with("/files/")) {
        return Service::Files;
    }
    if (path.starts_with("/pic/")) {
        return Service::Pictures;
    }
    return std::nullopt;
}

Answer StoppingAnswer() {
    return {503, "text/plain", "The sandbox is stopping.", {}};
}

// What a broken proxy or a crashed server puts in front of a client: HTML that is not XML.
Answer GarbageAnswer() {
    return {200,
            "text/html",
            "<html><head><title>Service Unavailable</title></head><body>\n"
            "<h1>Service Unavailable<br></h1>&nbsp;The server is busy. Please try again later.\n",
            {}};
}

std::string BreakUtf8(const std::string& body) {
    std::string broken = base::IsValidUtf8(body) ? base::Utf8ToGbkWithCharRefs(body) : body;
    if (base::IsValidUtf8(broken)) {
        broken += "<!-- \xFF\xFE -->";
    }
    return broken;
}

void Write(const Answer& answer, httplib::Response& res) {
    res.status = answer.status;
    res.set_content(answer.body, answer.contentType.c_str());
    if (!answer.location.empty()) {
        res.set_header("Location", answer.location);
    }
}

SoapRequest ToSoapRequest(const httplib::Request& req) {
    SoapRequest request;
    if (req.has_header("SOAPAction")) {
        request.soapAction = req.get_header_value("SOAPAction");
    }
    request.contentType = req.get_header_value("Content-Type");
    request.body = req.body;
    return request;
}

}  // namespace

std::string_view ServiceName(Service service) {
    return kServiceNames[Index(service)];
}

std::optional<Service> ServiceByName(std::string_view name) {
    for (size_t i = 0; i < kServiceCount; ++i) {
        if (kServiceNames[i] == name) {
            return static_cast<Service>(i);
        }
    }
    return std::nullopt;
}

struct Sandbox::Impl {
    explicit Impl(Options o);
    ~Impl();

    Switches SwitchesOf(Service service) const {
        std::lock_guard lock(mutex);
        return switches[Index(service)];
    }

    // Waits out a latency; false when the sandbox stops meanwhile.
    bool Pause(std::chrono::milliseconds latency) {
        std::unique_lock lock(mutex);
        return !wake.wait_for(lock, latency, [this] { return stopping; });
    }

    // The answer the switches give instead of the service's own, if any.
    std::optional<Answer> Misbehave(Service service, const Switches& on) {
        if (on.hang) {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return stopping; });
            return StoppingAnswer();
        }
        std::optional<Answer> answer;
        if (on.fault && service == Service::Rest) {
            answer = RestGateway::ErrorAnswer(kCodeCallLimited, "App Call Limited");
        } else if (on.fault && (service == Service::SearchAdd || service == Service::Query)) {
            answer = SoapServices::Fault(
                "soap:Server",
                "Server was unable to process request. ---> The sandbox was told "
                "to fail this call.");
        }
        if (!answer && on.garbage) {
            answer = GarbageAnswer();
        }
        if (!answer && on.status != 0) {
            const std::string code = std::to_string(on.status);
            answer =
                Answer{on.status, "text/html", "<html><body><h1>" + code + "</h1></body></html>",
                       on.status >= 300 && on.status < 400 ? base + "/moved" : ""};
        }
        if (answer && on.status != 0) {
            answer->status = on.status;
        }
        return answer;
    }

    // A POST service: the switches, else the service's own answer.
    void Serve(Service service, httplib::Response& res,
               const std::function<Answer(const Switches&)>& own) {
        const Switches on = SwitchesOf(service);
        if (!Pause(on.latency)) {
            Write(StoppingAnswer(), res);
            return;
        }
        std::optional<Answer> answer = Misbehave(service, on);
        if (!answer) {
            answer = own(on);
        }
        if (on.notUtf8 && !on.hang) {
            answer->body = BreakUtf8(answer->body);
        }
        Write(*answer, res);
    }

    // Counts every request; applies the switches of GET services here, before httplib serves
    // a file (POST services apply theirs once the body has been read).
    httplib::Server::HandlerResponse BeforeRouting(const httplib::Request& req,
                                                   httplib::Response& res) {
        if (req.path == kStatsPath) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        ++total;
        const std::optional<Service> service = ServiceOfPath(req.path);
        if (!service) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        ++counts[Index(*service)];
        if (req.method != "GET" && req.method != "HEAD") {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        const Switches on = SwitchesOf(*service);
        if (!Pause(on.latency)) {
            Write(StoppingAnswer(), res);
            return httplib::Server::HandlerResponse::Handled;
        }
        if (std::optional<Answer> answer = Misbehave(*service, on)) {
            Write(*answer, res);
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    }

    std::string Stats() const {
        std::string text = "requests " + std::to_string(total.load()) + "\n";
        for (size_t i = 0; i < kServiceCount; ++i) {
            text += std::string(kServiceNames[i]) + " " + std::to_string(counts[i].load()) + "\n";
        }
        return text;
    }

    Options options;
    Catalogue catalogue;
    httplib::Server server;
    int port = 0;
    std::string base;
    std::optional<RestGateway> rest;
    std::optional<SoapServices> soap;

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::array<Switches, kServiceCount> switches{};

    std::atomic<uint64_t> total{0};
    std::array<std::atomic<uint64_t>, kServiceCount> counts{};
    std::atomic<bool> listenEnded{false};
    std::thread thread;
};

Sandbox::Impl::Impl(Options o) : options(std::move(o)), catalogue(options.seed, options.clock()) {
    // libxml2 must be set up once before several threads write and parse with it.
    base::RegisterXmlEncodingAliases();
    socket_t listening = INVALID_SOCKET;
    server.set_socket_options([&listening](socket_t sock) {
        httplib::default_socket_options(sock);
        listening = sock;
    });
    port = options.port == 0 ? server.bind_to_any_port("127.0.0.1")
                             : (server.bind_to_port("127.0.0.1", options.port) ? options.port : -1);
    // The callback refers to a local of this constructor; no later socket may reach it.
    server.set_socket_options(httplib::default_socket_options);
    // httplib listens with a backlog of 5; a real gateway takes a client's parallel connects
    // without dropping any (a dropped connect costs the client a second's retry).
    if (port <= 0 || ::listen(listening, SOMAXCONN) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(options.port));
    }
    base = "http://127.0.0.1:" + std::to_string(port);
    rest.emplace(catalogue, base);
    soap.emplace(options.reportLog, options.updateList, base, options.clock);

    if (!options.filesDir.empty() && !server.set_mount_point("/files", options.filesDir.string())) {
        throw std::runtime_error("no directory " + options.filesDir.string() +
                                 " to serve files from");
    }
    server.set_keep_alive_timeout(2);
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        return BeforeRouting(req, res);
    });
    server.Post("/sip/rest", [this](const httplib::Request& req, httplib::Response& res) {
        Serve(Service::Rest, res, [&](const Switches& on) {
            return rest->Handle(req.get_header_value("Content-Type"), req.body, on.sellerPerItem);
        });
    });
    server.Post("/searchadd.asmx", [this](const httplib::Request& req, httplib::Response& res) {
        Serve(Service::SearchAdd, res,
              [&](const Switches&) { return soap->AddSub(ToSoapRequest(req)); });
    });
    server.Post("/Query.asmx", [this](const httplib::Request& req, httplib::Response& res) {
        Serve(Service::Query, res,
              [&](const Switches&) { return soap->GetUpGradeFileList(ToSoapRequest(req)); });
    });
    server.Get(R"(/pic/(\d{1,9})\.svg)",
               [this](const httplib::Request& req, httplib::Response& res) {
                   const size_t index = std::stoul(req.matches[1].str());
                   if (index >= catalogue.items().size()) {
                       res.status = 404;
                       return;
                   }
                   res.set_content(ItemPicture(catalogue.items()[index]), "image/svg+xml");
               });
    server.Get(std::string(kStatsPath), [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(Stats(), "text/plain");
    });
    if (options.verbose) {
        server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
            std::fprintf(stderr, "%s %s -> %d\n", req.method.c_str(), req.path.c_str(), res.status);
        });
    }

    thread = std::thread([this] {
        server.listen_after_bind();
        listenEnded = true;
    });
    // stop() only takes effect once the server runs.
    while (!server.is_running() && !listenEnded) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

Sandbox::Impl::~Impl() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    server.stop();
    thread.join();
}

Sandbox::Sandbox(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Sandbox::~Sandbox() = default;

int Sandbox::port() const {
    return impl_->port;
}

std::string Sandbox::host() const {
    return "127.0.0.1:" + std::to_string(impl_->port);
}

std::string Sandbox::url(std::string_view path) const {
    return impl_->base + std::string(path);
}

void Sandbox::SetSwitches(Service service, const Switches& switches) {
    std::lock_guard lock(impl_->mutex);
    impl_->switches[Index(service)] = switches;
}

void Sandbox::SetSwitches(const Switches& switches) {
    std::lock_guard lock(impl_->mutex);
    impl_->switches.fill(switches);
}

Switches Sandbox::switches(Service service) const {
    return impl_->SwitchesOf(service);
}

void Sandbox::SetUpdateList(const std::filesystem::path& updateList) {
    impl_->soap->SetUpdateList(updateList);
}

uint64_t Sandbox::requestCount() const {
    return impl_->total.load();
}

uint64_t Sandbox::requestCount(Service service) const {
    return impl_->counts[Index(service)].load();
}

const Catalogue& Sandbox::catalogue() const {
    return impl_->catalogue;
}

}  // namespace sandbox
