#include "support/GatewayClient.h"

#include "base/DateTime.h"
#include "support/Credentials.h"
#include "support/GatewayRequests.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace support {
namespace {

// Percent-encodes every byte but letters, digits and "-._~"; a blank becomes "+".
std::string FormEncode(std::string_view text) {
    std::string encoded;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += '+';
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

}  // namespace

std::string Body(const Params& params) {
    std::string body;
    for (const auto& [name, value] : params) {
        body += (body.empty() ? "" : "&") + FormEncode(name) + "=" + FormEncode(value);
    }
    return body;
}

std::string SignedBody(const Params& params) {
    std::string text = kAppSecret;
    for (const auto& [name, value] : params) {
        text += name + value;
    }
    Params signedParams = params;
    signedParams["sip_sign"] = UpperMd5(text);
    return Body(signedParams);
}

Params ItemsCall(std::string_view q, std::string_view fields) {
    return {{"fields", std::string(fields)},
            {"format", "xml"},
            {"page_no", "1"},
            {"page_size", "200"},
            {"q", std::string(q)},
            {"sip_apiname", "taobao.items.get"},
            {"sip_appkey", kAppKey},
            {"sip_sessionid", ""},
            {"sip_timestamp", base::FormatDateTime(base::NowLocal())},
            {"v", "1.0"}};
}

Params UserCall(std::string_view nick) {
    return {{"fields", "seller_credit"},
            {"format", "xml"},
            {"nick", std::string(nick)},
            {"sip_apiname", "taobao.user.get"},
            {"sip_appkey", kAppKey},
            {"sip_sessionid", ""},
            {"sip_timestamp", base::FormatDateTime(base::NowLocal())},
            {"v", "1.0"}};
}

int Reply::Code() const {
    const auto value = base::ElementValue(base::FindChild(Xml().Root(), "code"));
    return value ? std::stoi(*value) : 0;
}

std::string Reply::Text(std::string_view child) const {
    return base::ElementValue(base::FindChild(Xml().Root(), child)).value_or("");
}

Reply Post(int port, const std::string& body) {
    httplib::Client client("127.0.0.1", port);
    const auto result = client.Post("/sip/rest", body, "application/x-www-form-urlencoded");
    if (!result) {
        throw std::runtime_error("no answer from the gateway: " +
                                 httplib::to_string(result.error()));
    }
    return {result->status, result->body};
}

}  // namespace support
