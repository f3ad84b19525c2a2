#include "marketplace/unit_TB_Item.h"

#include "base/Errors.h"
#include "base/Xml.h"

namespace marketplace {
namespace {

constexpr const char* kItemFields = "iid,title,nick,type,cid,pic_path,delist_time,price,post_fee";

}  // namespace

void TItems::GetItems(int32_t PageNo, int32_t PageSize, const std::string& OrderBy,
                      const std::string& Nicks, const std::string& StartPrice,
                      const std::string& EndPrice, const std::string& Q, const std::string& Cid) {
    SetTimestamp();
    ApiName = "taobao.items.get";
    std::vector<TRequestParam> params;
    const auto addOptional = [&params](const char* name, const std::string& value) {
        if (!value.empty()) {
            params.push_back({name, value, true});
        }
    };
    addOptional("cid", Cid);
    addOptional("end_price", EndPrice);
    params.push_back({"fields", kItemFields});
    params.push_back({"format", Format});
    addOptional("nicks", Nicks);
    addOptional("order_by", OrderBy);
    params.push_back({"page_no", std::to_string(PageNo)});
    params.push_back({"page_size", std::to_string(PageSize)});
    addOptional("q", Q);
    params.push_back({"sip_apiname", ApiName});
    params.push_back({"sip_appkey", AppKey});
    params.push_back({"sip_sessionid", SessionId});
    params.push_back({"sip_timestamp", Timestamp});
    addOptional("start_price", StartPrice);
    params.push_back({"v", "1.0"});
    SendRequest(SignedBody(std::move(params)));
    ParseItems();
}

void TItems::ParseItems() {
    Items.clear();
    TotalResults = 0;
    if (ResponseText.empty()) {
        return;
    }
    std::optional<base::XmlDocument> doc;
    try {
        doc = base::XmlDocument::Parse(ResponseText, {.forcedEncoding = "UTF-8"});
    } catch (const base::XmlParseError&) {
        // An error page delivered with a 2xx status: nothing found, like a transport failure.
        return;
    }
    // A failure below keeps what was read up to it, the record being read included.
    try {
        const xmlNode* root = doc->Root();
        if (NodeToInt(base::FindChild(root, "code")) != 0) {
            return;
        }
        TotalResults = NodeToInt(base::FindChild(root, "totalResults"));
        for (const xmlNode* node = root->children; node != nullptr; node = node->next) {
            if (node->type != XML_ELEMENT_NODE || base::NodeName(node) != "item") {
                continue;
            }
            TItemR& item = Items.emplace_back();
            item.iid = NodeToStr(base::FindChild(node, "iid"));
            item.title = NodeToStr(base::FindChild(node, "title"));
            item.nick = NodeToStr(base::FindChild(node, "nick"));
            item.type = NodeToStr(base::FindChild(node, "type"));
            item.cid = NodeToStr(base::FindChild(node, "cid"));
            item.pic_path = NodeToStr(base::FindChild(node, "pic_path"));
            item.delist_time = NodeToDateTime(base::FindChild(node, "delist_time"));
            item.price = NodeToStr(base::FindChild(node, "price"));
            item.post_fee = NodeToStr(base::FindChild(node, "post_fee"));
        }
    } catch (const base::ConvertError&) {
    } catch (const base::XmlValueError&) {
    }
}

}  // namespace marketplace
