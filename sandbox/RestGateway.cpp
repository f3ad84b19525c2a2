#include "sandbox/RestGateway.h"

#include "base/DateTime.h"
#include "base/Encoding.h"
#include "base/Errors.h"
#include "base/Numbers.h"
#include "sandbox/Signing.h"
#include "sandbox/XmlOut.h"

#include <algorithm>
#include <array>

namespace sandbox {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>";
constexpr std::string_view kXmlType = "text/xml;charset=utf-8";

struct GatewayError {
    int code;
    std::string message;
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of(separators, start);
        const std::string_view part =
            Trim(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (!part.empty()) {
            parts.emplace_back(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

const std::string* Find(const std::map<std::string, std::string>& params, const std::string& name) {
    const auto found = params.find(name);
    return found == params.end() ? nullptr : &found->second;
}

const std::string& Require(const std::map<std::string, std::string>& params,
                           const std::string& name) {
    const std::string* value = Find(params, name);
    if (value == nullptr || value->empty()) {
        throw GatewayError{kCodeMissingParameter, "Missing required parameter: " + name};
    }
    return *value;
}

GatewayError BadArgument(std::string_view name, std::string_view why) {
    return {kCodeBadArgument,
            "Invalid argument: " + std::string(name) + " (" + std::string(why) + ")"};
}

// "yyyy-mm-dd hh:nn:ss" exactly, and a date and time that exist.
void CheckTimestamp(const std::string& text) {
    static constexpr std::string_view kPattern = "dddd-dd-dd dd:dd:dd";
    bool ok = text.size() == kPattern.size();
    for (size_t i = 0; ok && i < text.size(); ++i) {
        ok = kPattern[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == kPattern[i];
    }
    if (ok) {
        try {
            base::ParseDateTime(text);
            return;
        } catch (const base::ConvertError&) {
        }
    }
    throw GatewayError{kCodeBadTimestamp,
                       "Invalid timestamp: \"" + text + "\" (expected yyyy-mm-dd hh:nn:ss)"};
}

int32_t IntArgument(const std::map<std::string, std::string>& params, const std::string& name,
                    int32_t fallback, int32_t low, int32_t high) {
    const std::string* text = Find(params, name);
    if (text == nullptr) {
        return fallback;
    }
    try {
        const int32_t value = base::StrToInt(*text);
        if (value >= low && value <= high) {
            return value;
        }
    } catch (const base::ConvertError&) {
    }
    throw BadArgument(name, "a whole number from " + std::to_string(low) + " to " +
                                std::to_string(high) + " is expected");
}

std::optional<double> PriceArgument(const std::map<std::string, std::string>& params,
                                    const std::string& name) {
    const std::string* text = Find(params, name);
    if (text == nullptr || text->empty()) {
        return std::nullopt;
    }
    try {
        return base::StrToFloat(*text);
    } catch (const base::ConvertError&) {
        throw BadArgument(name, "\"" + *text + "\" is not a price");
    }
}

std::vector<std::string> FieldsArgument(const std::map<std::string, std::string>& params,
                                        std::vector<std::string_view> known) {
    std::vector<std::string> fields = Split(Require(params, "fields"), ",");
    for (const std::string& field : fields) {
        if (std::find(known.begin(), known.end(), field) == known.end()) {
            throw BadArgument("fields", "unknown field \"" + field + "\"");
        }
    }
    if (fields.empty()) {
        throw BadArgument("fields", "no field named");
    }
    return fields;
}

ItemOrder OrderArgument(const std::map<std::string, std::string>& params) {
    const std::string* text = Find(params, "order_by");
    if (text == nullptr || text->empty()) {
        return ItemOrder::Catalogue;
    }
    static const std::array<std::pair<std::string_view, ItemOrder>, 4> kOrders{{
        {"price:asc", ItemOrder::PriceAscending},
        {"price:desc", ItemOrder::PriceDescending},
        {"delist_time:asc", ItemOrder::DelistAscending},
        {"delist_time:desc", ItemOrder::DelistDescending},
    }};
    for (const auto& [name, order] : kOrders) {
        if (*text == name) {
            return order;
        }
    }
    throw BadArgument("order_by", "\"" + *text + "\" is not an order");
}

std::map<std::string, std::string> DecodeParams(std::string_view contentType,
                                                std::string_view body) {
    const std::string mediaType(Trim(Lower(contentType.substr(0, contentType.find(';')))));
    if (mediaType != "application/x-www-form-urlencoded") {
        throw GatewayError{kCodeBadForm, "Content-Type must be application/x-www-form-urlencoded"};
    }
    FormFields fields;
    try {
        fields = DecodeForm(body);
    } catch (const FormError& e) {
        throw GatewayError{kCodeBadForm, std::string("Malformed form body: ") + e.what()};
    }
    std::map<std::string, std::string> params;
    for (auto& [name, value] : fields) {
        if (!base::IsValidUtf8(name) || !base::IsValidUtf8(value)) {
            throw GatewayError{kCodeBadForm, "Parameter is not UTF-8: " +
                                                 (base::IsValidUtf8(name) ? name : "(name)")};
        }
        if (!params.emplace(name, std::move(value)).second) {
            throw GatewayError{kCodeBadForm, "Parameter sent twice: " + name};
        }
    }
    return params;
}

Answer XmlAnswer(std::string body) {
    return {200, std::string(kXmlType), std::move(body), {}};
}

}  // namespace

RestGateway::RestGateway(const Catalogue& catalogue, std::string pictureBase)
    : catalogue_(catalogue), pictureBase_(std::move(pictureBase)) {}

Answer RestGateway::ErrorAnswer(int code, std::string_view message) {
    XmlOut out;
    out.Raw(kDeclaration).Start("error_rsp");
    out.Leaf("code", std::to_string(code)).Leaf("msg", message);
    return XmlAnswer(out.Finish());
}

Answer RestGateway::Handle(std::string_view contentType, std::string_view body,
                           bool sellerPerItem) const {
    try {
        const Params params = DecodeParams(contentType, body);
        const std::string& appKey = Require(params, "sip_appkey");
        const std::string& method = Require(params, "sip_apiname");
        const std::string& timestamp = Require(params, "sip_timestamp");
        const std::string& sign = Require(params, "sip_sign");
        if (appKey != kAppKey) {
            throw GatewayError{kCodeBadAppKey, "Invalid app key: " + appKey};
        }
        CheckTimestamp(timestamp);
        if (sign != Md5UpperHex(SignatureText(kAppSecret, params))) {
            throw GatewayError{kCodeBadSignature, "Invalid signature"};
        }
        if (const std::string* format = Find(params, "format"); format && *format != "xml") {
            throw BadArgument("format", "only xml is served");
        }
        if (method == "taobao.items.get") {
            return ItemsGet(params, sellerPerItem);
        }
        if (method == "taobao.user.get") {
            return UserGet(params);
        }
        throw GatewayError{kCodeBadMethod, "Invalid method: " + method};
    } catch (const GatewayError& e) {
        return ErrorAnswer(e.code, e.message);
    }
}

Answer RestGateway::ItemsGet(const Params& params, bool sellerPerItem) const {
    const std::vector<std::string> fields = FieldsArgument(
        params,
        {"iid", "title", "nick", "type", "cid", "pic_path", "delist_time", "price", "post_fee"});
    const int32_t pageNo = IntArgument(params, "page_no", 1, 1, 1000000);
    const int32_t pageSize = IntArgument(params, "page_size", 40, 1, 200);
    ItemQuery query;
    if (const std::string* q = Find(params, "q")) {
        query.terms = Split(*q, "+ ");
    }
    if (const std::string* cid = Find(params, "cid")) {
        query.cid = *cid;
    }
    if (const std::string* nicks = Find(params, "nicks")) {
        query.nicks = Split(*nicks, ",");
    }
    if (query.terms.empty() && query.cid.empty() && query.nicks.empty()) {
        throw BadArgument("q", "one of q, cid and nicks must be given");
    }
    query.startPrice = PriceArgument(params, "start_price");
    query.endPrice = PriceArgument(params, "end_price");
    query.order = OrderArgument(params);

    const std::vector<const Item*> hits = catalogue_.Search(query);
    XmlOut out;
    out.Raw(kDeclaration).Start("rsp").Leaf("totalResults", std::to_string(hits.size()));
    const size_t first = static_cast<size_t>(pageNo - 1) * static_cast<size_t>(pageSize);
    for (size_t i = first; i < hits.size() && i < first + static_cast<size_t>(pageSize); ++i) {
        const Item& item = *hits[i];
        out.Start("item");
        for (const std::string& field : fields) {
            if (field == "iid") {
                out.Leaf(field, item.iid);
            } else if (field == "title") {
                out.Leaf(field, item.title);
            } else if (field == "nick") {
                out.Leaf(field, sellerPerItem ? catalogue_.OwnSellerNick(item)
                                              : catalogue_.sellers()[item.seller].nick);
            } else if (field == "type") {
                out.Leaf(field, item.type);
            } else if (field == "cid") {
                out.Leaf(field, item.cid);
            } else if (field == "pic_path") {
                const auto index = &item - catalogue_.items().data();
                out.Leaf(field, pictureBase_ + "/pic/" + std::to_string(index) + ".svg");
            } else if (field == "delist_time") {
                out.Leaf(field, base::FormatDateTime(item.delistTime));
            } else if (field == "price") {
                out.Leaf(field, FormatCents(item.priceCents));
            } else if (field == "post_fee") {
                out.Leaf(field, FormatCents(item.postFeeCents));
            }
        }
        out.End();
    }
    return XmlAnswer(out.Finish());
}

Answer RestGateway::UserGet(const Params& params) const {
    const std::vector<std::string> fields = FieldsArgument(params, {"nick", "seller_credit"});
    const std::string* nick = Find(params, "nick");
    if (nick == nullptr) {
        throw GatewayError{kCodeMissingParameter, "Missing required parameter: nick"};
    }
    const Seller* seller = catalogue_.FindSeller(*nick);
    if (seller == nullptr) {
        throw GatewayError{kCodeNoSuchUser, "User not found: " + *nick};
    }
    XmlOut out;
    out.Raw(kDeclaration).Start("rsp").Start("user");
    for (const std::string& field : fields) {
        if (field == "nick") {
            out.Leaf("nick", seller->nick);
        } else {
            out.Start("seller_credit")
                .Leaf("level", std::to_string(seller->level))
                .Leaf("score", std::to_string(seller->score))
                .Leaf("total_num", std::to_string(seller->totalNum))
                .Leaf("good_num", std::to_string(seller->goodNum))
                .End();
        }
    }
    return XmlAnswer(out.Finish());
}

}  // namespace sandbox
