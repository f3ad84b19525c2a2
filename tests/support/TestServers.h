#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace support {

// A status and a body to answer with.
struct TAnswer {
    int status = 200;
    std::string body;
};

// A marketplace gateway on 127.0.0.1 with canned answers: items by page number, credit records
// by nick. It checks no signatures; it records what was asked.
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

  private:
    ItemsAnswer items_;
    UserAnswer user_;
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::map<std::string, std::string>> itemRequests_;
    std::vector<std::string> nicks_;
    std::thread thread_;
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
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> reports_;
    std::thread thread_;
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
