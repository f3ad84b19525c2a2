#include "marketplace/unit_TBBasic.h"

#include "base/Numbers.h"
#include "base/Xml.h"
#include "marketplace/MD5.h"

#include <algorithm>

namespace marketplace {

TTBBasic::TTBBasic(std::string AppKey, std::string AppSecret, std::string SessionId,
                   std::string Format, std::string GatewayUrl, base::Clock clock)
    : HTTPClient(std::move(GatewayUrl)),
      AppSecret(std::move(AppSecret)),
      AppKey(std::move(AppKey)),
      SessionId(std::move(SessionId)),
      Format(std::move(Format)),
      clock_(std::move(clock)) {}

TTBBasic::~TTBBasic() = default;

std::string TTBBasic::UrlEncode(std::string_view Value) const {
    return THTTPClient::UrlEncode(Value);
}

void TTBBasic::SetTimestamp() {
    Timestamp = base::FormatDateTime(clock_());
}

// The answer is UTF-8 by definition and is parsed as such whatever it declares, so it is kept
// exactly as it came.
void TTBBasic::SendRequest(const std::string& Body) {
    ResponseText = HTTPClient.PostRequest(Body);
}

std::string TTBBasic::SignedBody(std::vector<TRequestParam> Params) {
    const auto byName = [](const TRequestParam& a, const TRequestParam& b) {
        return a.Name < b.Name;
    };
    std::stable_sort(Params.begin(), Params.end(), byName);
    std::string text = AppSecret;
    for (const TRequestParam& param : Params) {
        text += param.Name;
        text += param.Value;
    }
    Sign = MD5(text);
    for (char& c : Sign) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }

    const TRequestParam sign{"sip_sign", Sign};
    Params.insert(std::upper_bound(Params.begin(), Params.end(), sign, byName), sign);
    std::string body;
    for (const TRequestParam& param : Params) {
        if (!body.empty()) {
            body += '&';
        }
        body += param.Name;
        body += '=';
        body += param.FreeText ? UrlEncode(param.Value) : param.Value;
    }
    return body;
}

int32_t TTBBasic::NodeToInt(const xmlNode* Node) {
    const std::optional<std::string> value = base::ElementValue(Node);
    return value ? base::StrToInt(*value) : 0;
}

std::string TTBBasic::NodeToStr(const xmlNode* Node) {
    return base::ElementValue(Node).value_or("");
}

base::TDateTime TTBBasic::NodeToDateTime(const xmlNode* Node) {
    const std::optional<std::string> value = base::ElementValue(Node);
    return value ? base::ParseDateTime(*value) : base::DefaultDateTime();
}

}  // namespace marketplace
