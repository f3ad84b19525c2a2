// CPU cost of the marketplace calls as the engine makes them: one item search request built and
// signed, and one page of answers taken apart.

#include "marketplace/unit_TBBasic.h"
#include "marketplace/unit_TB_Item.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The engine's own credentials, so that signing costs what it costs in a search; nothing here
// checks the signature.
constexpr char kAppKey[] = "38015";
constexpr char kAppSecret[] = "7c3e91a05b2d48f6a0e1d9c4b8f27a63";

// A call that builds and signs an item search like TItems does, and sends nothing.
class UnsentItemSearch : public marketplace::TTBBasic {
  public:
    UnsentItemSearch() : TTBBasic(kAppKey, kAppSecret, "", "xml", "http://127.0.0.1:9/sip/rest") {}

    std::string Build(const std::string& q, const std::string& startPrice,
                      const std::string& endPrice, int32_t pageNo) {
        SetTimestamp();
        ApiName = "taobao.items.get";
        return SignedBody({
            {"end_price", endPrice, true},
            {"fields", "iid,title,nick,type,cid,pic_path,delist_time,price,post_fee"},
            {"format", Format},
            {"page_no", std::to_string(pageNo)},
            {"page_size", "200"},
            {"q", q, true},
            {"sip_apiname", ApiName},
            {"sip_appkey", AppKey},
            {"sip_sessionid", SessionId},
            {"sip_timestamp", Timestamp},
            {"start_price", startPrice, true},
            {"v", "1.0"},
        });
    }
};

void BM_BuildAndSignRequest(benchmark::State& state) {
    UnsentItemSearch call;
    for (auto _ : state) {
        benchmark::DoNotOptimize(call.Build("诺基亚+N95 手机", "100", "2000", 3));
    }
}
BENCHMARK(BM_BuildAndSignRequest);

std::string ItemsAnswer(int items) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?><rsp><totalResults>2400"
        "</totalResults>";
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        xml += "<item><iid>66ede92db6f76c1f2f25604598" + std::string(6 - n.size(), '0') + n +
               "</iid><title>正品 水之源 A5 大容量 女士保温杯 350ml 黑色 " + n +
               "</title><nick>淘淘的店" + n +
               "</nick><type>fixed</type><cid>50003882</cid><pic_path>http://127.0.0.1:8080/pic/" +
               n +
               ".svg</pic_path><delist_time>2009-03-13 11:12:00</delist_time><price>92.90"
               "</price><post_fee>12.00</post_fee></item>";
    }
    return xml + "</rsp>";
}

// A gateway on 127.0.0.1 that answers every request with the same page from memory.
class CannedGateway {
  public:
    explicit CannedGateway(std::string answer) : answer_(std::move(answer)) {
        server_.Post("/sip/rest", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(answer_, "text/xml;charset=utf-8");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::yield();
        }
    }
    ~CannedGateway() {
        server_.stop();
        thread_.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/sip/rest"; }

  private:
    std::string answer_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// One page request as the engine makes it, over loopback. With 0 items it measures the request
// alone; the difference to 200 items is what taking a full page apart costs.
void BM_ItemsPage(benchmark::State& state) {
    const CannedGateway gateway(ItemsAnswer(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        marketplace::TItems items(kAppKey, kAppSecret, "", "xml", gateway.url());
        items.GetItems(1, 200, "", "", "", "", "保温杯", "");
        if (items.Items.size() != static_cast<size_t>(state.range(0))) {
            state.SkipWithError("the canned page was not read");
            break;
        }
    }
}
BENCHMARK(BM_ItemsPage)->Arg(0)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
