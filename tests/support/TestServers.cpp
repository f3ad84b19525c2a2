#include "support/TestServers.h"

#include "base/Xml.h"

#include <httplib.h>
#include <sys/socket.h>

#include <stdexcept>

namespace support {

ServerThread::ServerThread(httplib::Server& server) : server_(server) {
    socket_t listening = INVALID_SOCKET;
    server.set_socket_options([&listening](socket_t sock) {
        httplib::default_socket_options(sock);
        listening = sock;
    });
    port_ = server.bind_to_any_port("127.0.0.1");
    server.set_socket_options(httplib::default_socket_options);
    // httplib listens with a backlog of 5: a client that connects several times at once would
    // lose connects and wait a second for each retry.
    if (port_ <= 0 || ::listen(listening, SOMAXCONN) != 0) {
        throw std::runtime_error("the test server cannot listen on 127.0.0.1");
    }
    // Bound and listening already, so clients may connect at once; but a stop() that comes
    // before the accept loop runs is lost, so the loop must be running before anyone can stop it.
    thread_ = std::thread([&server] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::yield();
    }
}

ServerThread::~ServerThread() {
    server_.stop();
    thread_.join();
}

namespace {

std::string ApiName(const TGatewayRequest& request) {
    const auto name = request.params.find("sip_apiname");
    return name == request.params.end() ? "" : name->second;
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
            {
                const std::lock_guard lock(mutex_);
                requests_.push_back({params, request.body});
            }
            TAnswer answer{200, ErrorXml(22, "Invalid Method")};
            if (params["sip_apiname"] == "taobao.items.get") {
                answer = items_(std::stoi(params["page_no"]));
            } else if (params["sip_apiname"] == "taobao.user.get") {
                answer = user_ ? user_(params["nick"]) : TAnswer{200, ErrorXml(27, "Invalid Nick")};
            }
            response.status = answer.status;
            response.set_content(answer.body, "text/xml;charset=UTF-8");
        });
    serving_.emplace(*server_);
}

TestGateway::~TestGateway() = default;

std::string TestGateway::url() const {
    return "http://127.0.0.1:" + std::to_string(serving_->port()) + "/sip/rest";
}

std::vector<int> TestGateway::pagesRequested() const {
    std::vector<int> pages;
    for (const auto& request : itemRequests()) {
        pages.push_back(std::stoi(request.at("page_no")));
    }
    return pages;
}

std::vector<std::string> TestGateway::nicksRequested() const {
    std::vector<std::string> nicks;
    for (const TGatewayRequest& request : requests()) {
        if (ApiName(request) == "taobao.user.get") {
            nicks.push_back(request.params.at("nick"));
        }
    }
    return nicks;
}

std::vector<std::map<std::string, std::string>> TestGateway::itemRequests() const {
    std::vector<std::map<std::string, std::string>> items;
    for (const TGatewayRequest& request : requests()) {
        if (ApiName(request) == "taobao.items.get") {
            items.push_back(request.params);
        }
    }
    return items;
}

std::vector<TGatewayRequest> TestGateway::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
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
    serving_.emplace(*server_);
}

TestReportService::~TestReportService() = default;

std::string TestReportService::server() const {
    return "127.0.0.1:" + std::to_string(serving_->port());
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
