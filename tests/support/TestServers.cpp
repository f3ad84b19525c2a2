#include "support/TestServers.h"

#include "base/Xml.h"

#include <httplib.h>

#include <stdexcept>

namespace support {
namespace {

int Listen(httplib::Server& server, std::thread& thread) {
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) {
        throw std::runtime_error("the test server cannot listen on 127.0.0.1");
    }
    // Bound and listening already, so clients may connect at once; but a stop() that comes
    // before the accept loop runs is lost, so the loop must be running before anyone can stop it.
    thread = std::thread([&server] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::yield();
    }
    return port;
}

void Stop(httplib::Server& server, std::thread& thread) {
    server.stop();
    if (thread.joinable()) {
        thread.join();
    }
}

}  // namespace

TestGateway::TestGateway(ItemsAnswer items, UserAnswer user)
    : items_(std::move(items)),
      user_(std::move(user)),
      server_(std::make_unique<httplib::Server>()) {
    server_->Post(
        "/sip/rest", [this](const httplib::Request& request, httplib::Response& response) {
            httplib::Params form;
            httplib::detail::parse_query_text(request.body, form);
            std::map<std::string, std::string> params(form.begin(), form.end());
            TAnswer answer{200, ErrorXml(22, "Invalid Method")};
            if (params["sip_apiname"] == "taobao.items.get") {
                {
                    const std::lock_guard lock(mutex_);
                    itemRequests_.push_back(params);
                }
                answer = items_(std::stoi(params["page_no"]));
            } else if (params["sip_apiname"] == "taobao.user.get") {
                {
                    const std::lock_guard lock(mutex_);
                    nicks_.push_back(params["nick"]);
                }
                answer = user_ ? user_(params["nick"]) : TAnswer{200, ErrorXml(27, "Invalid Nick")};
            }
            response.status = answer.status;
            response.set_content(answer.body, "text/xml;charset=UTF-8");
        });
    port_ = Listen(*server_, thread_);
}

TestGateway::~TestGateway() {
    Stop(*server_, thread_);
}

std::string TestGateway::url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/sip/rest";
}

std::vector<int> TestGateway::pagesRequested() const {
    std::vector<int> pages;
    for (const auto& request : itemRequests()) {
        pages.push_back(std::stoi(request.at("page_no")));
    }
    return pages;
}

std::vector<std::string> TestGateway::nicksRequested() const {
    const std::lock_guard lock(mutex_);
    return nicks_;
}

std::vector<std::map<std::string, std::string>> TestGateway::itemRequests() const {
    const std::lock_guard lock(mutex_);
    return itemRequests_;
}

TestReportService::TestReportService(TAnswer answer)
    : answer_(std::move(answer)), server_(std::make_unique<httplib::Server>()) {
    server_->Post("/searchadd.asmx",
                  [this](const httplib::Request& request, httplib::Response& response) {
                      {
                          const std::lock_guard lock(mutex_);
                          reports_.push_back(request.body);
                      }
                      response.status = answer_.status;
                      response.set_content(answer_.body, "text/xml; charset=utf-8");
                  });
    port_ = Listen(*server_, thread_);
}

TestReportService::~TestReportService() {
    Stop(*server_, thread_);
}

std::string TestReportService::server() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> TestReportService::reports() const {
    const std::lock_guard lock(mutex_);
    return reports_;
}

std::string ItemsXml(int total, const std::vector<TCannedItem>& items) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><rsp><totalResults>" +
                      std::to_string(total) + "</totalResults>";
    for (const TCannedItem& item : items) {
        xml += "<item><iid>" + base::XmlEscape(item.iid) + "</iid><title>" +
               base::XmlEscape(item.title) + "</title><nick>" + base::XmlEscape(item.nick) +
               "</nick><type>fixed</type><cid>50012345</cid><pic_path>http://img.example/" +
               base::XmlEscape(item.iid) + ".jpg</pic_path><delist_time>" + item.delist_time +
               "</delist_time><price>" + base::XmlEscape(item.price) + "</price><post_fee>" +
               base::XmlEscape(item.post_fee) + "</post_fee></item>";
    }
    return xml + "</rsp>";
}

std::string UserXml(int level, int score, int totalNum, int goodNum) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?><rsp><user><seller_credit><level>" +
           std::to_string(level) + "</level><score>" + std::to_string(score) +
           "</score><total_num>" + std::to_string(totalNum) + "</total_num><good_num>" +
           std::to_string(goodNum) + "</good_num></seller_credit></user></rsp>";
}

std::string ErrorXml(int code, const std::string& message) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?><error_rsp><code>" + std::to_string(code) +
           "</code><msg>" + base::XmlEscape(message) + "</msg></error_rsp>";
}

}  // namespace support
