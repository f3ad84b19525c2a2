#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace support {

// An httplib server serving on 127.0.0.1, on a random port, on a thread of its own for the life
// of the object. Its handlers are registered before; clients may connect as soon as the
// constructor returns, several at once without waiting for a retry.
class ServerThread {
  public:
    // Throws std::runtime_error when the server cannot listen.
    explicit ServerThread(httplib::Server& server);
    // Stops the server and waits for its thread.
    ~ServerThread();
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    int port() const { return port_; }

  private:
    httplib::Server& server_;
    int port_ = 0;
    std::thread thread_;
};

// A status and a body to answer with.
struct TAnswer {
    int status = 200;
    std::string body;
};

// One request as the gateway received it.
struct TGatewayRequest {
    std::map<std::string, std::string> params;  // the form, decoded
    std::string body;                           // the form as it came
};

// A marketplace gateway on 127.0.0.1 with canned answers: items by page number, credit records
// by nick. It checks no signatures; it records what was asked. The answer functions may be
// called from several threads at once.
class TestGateway {
  public:
    using ItemsAnswer = std::function<TAnswer(int pageNo)>;
    using UserAnswer = std::function<TAnswer(const std::string& nick)>;

    explicit TestGateway(ItemsAnswer items, UserAnswer user = {});
    ~TestGateway();
    TestGateway(const TestGateway&) = delete;
    TestGateway& operator=(const TestGateway&) = delete;

    std::string url() const;
    std::vector<int> pagesRequested() const;
    std::vector<std::string> nicksRequested() const;
    // The form parameters of every item search, in order.
    std::vector<std::map<std::string, std::string>> itemRequests() const;
    // Every request, in the order of arrival.
    std::vector<TGatewayRequest> requests() const;

  private:
    ItemsAnswer items_;
    UserAnswer user_;
    std::unique_ptr<httplib::Server> server_;
    mutable std::mutex mutex_;
    std::vector<TGatewayRequest> requests_;
    // Last, so that serving stops before what the handler uses goes.
    std::optional<ServerThread> serving_;
};

// The vendor's usage-report service on 127.0.0.1: answers every report with one fixed answer
// and keeps the request bodies.
class TestReportService {
  public:
    explicit TestReportService(TAnswer answer);
    ~TestReportService();
    TestReportService(const TestReportService&) = delete;
    TestReportService& operator=(const TestReportService&) = delete;

    // host:port, as the settings file names a server
    std::string server() const;
    std::vector<std::string> reports() const;

  private:
    TAnswer answer_;
    std::unique_ptr<httplib::Server> server_;
    mutable std::mutex mutex_;
    std::vector<std::string> reports_;
    std::optional<ServerThread> serving_;  // last, as in TestGateway
};

// One item element as the gateway writes it.
struct TCannedItem {
    std::string iid;
    std::string title;
    std::string nick;
    std::string price = "10.00";
    std::string delist_time = "2009-03-10 12:00:00";
    std::string post_fee = "5.00";
};

std::string ItemsXml(int total, const std::vector<TCannedItem>& items);
std::string UserXml(int level, int score, int totalNum, int goodNum);
std::string ErrorXml(int code, const std::string& message);

}  // namespace support
