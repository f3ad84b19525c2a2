#pragma once

#include "base/DateTime.h"
#include "marketplace/GatewayUrl.h"
#include "marketplace/unit_TaoBaoHTTPClient.h"

#include <libxml/tree.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marketplace {

// What every signed gateway call needs: credentials, time stamp, signature, transport and the
// node readers. A call object serves exactly one request.
class TTBBasic {
  public:
    TTBBasic(std::string AppKey, std::string AppSecret, std::string SessionId, std::string Format,
             std::string GatewayUrl = kGatewayUrl, base::Clock clock = base::NowLocal);
    virtual ~TTBBasic();
    TTBBasic(const TTBBasic&) = delete;
    TTBBasic& operator=(const TTBBasic&) = delete;

    std::string UrlEncode(std::string_view Value) const;
    void SetTimestamp();
    void SendRequest(const std::string& Body);

    // Absent node or null value: 0, "" and 1970-01-01 00:00:00. A text that cannot be
    // converted throws base::ConvertError; an element with element children throws
    // base::XmlValueError.
    static int32_t NodeToInt(const xmlNode* Node);
    static std::string NodeToStr(const xmlNode* Node);
    static base::TDateTime NodeToDateTime(const xmlNode* Node);

    THTTPClient HTTPClient;
    std::string AppSecret;
    std::string AppKey;
    std::string ApiName;
    std::string Timestamp;
    std::string Sign;
    std::string SessionId;
    std::string Format;
    std::string ResponseText;

  protected:
    // One parameter of a request. Free-text values are form-encoded in the body; fixed values
    // (names, numbers, the time stamp, field lists) go on the wire as they are.
    struct TRequestParam {
        std::string Name;
        std::string Value;
        bool FreeText = false;
    };

    // Sets Sign over Params (every parameter the request sends except sip_sign) by the signing
    // rule, and returns the form body with sip_sign in its place. Both follow the ascending
    // order of the parameter names.
    std::string SignedBody(std::vector<TRequestParam> Params);

    base::Clock clock_;
};

}  // namespace marketplace
