#include "marketplace/unit_TaoBaoHTTPClient.h"

#include "base/Curl.h"
#include "base/Encoding.h"

#include <new>
#include <stdexcept>

namespace marketplace {
namespace {

// A page of 200 items is far below this; anything larger is not a gateway answer.
constexpr size_t kMaxAnswerBytes = 32 * 1024 * 1024;

struct UrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct CurlTextFree {
    void operator()(char* text) const { curl_free(text); }
};
using CurlText = std::unique_ptr<char, CurlTextFree>;

CurlText UrlPart(CURLU* url, CURLUPart part, unsigned int flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK) {
        return nullptr;
    }
    return CurlText(text);
}

}  // namespace

THTTPClient::THTTPClient(std::string GatewayUrl)
    : url_(std::move(GatewayUrl)),
      host_(HostHeader(url_)),
      curl_(std::make_unique<base::CurlEasy>()) {
    curl_->Set(CURLOPT_URL, url_.c_str());
    curl_->Set(CURLOPT_PROTOCOLS_STR, "http,https");
    curl_->Set(CURLOPT_POST, 1L);
    curl_->Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_->Set(CURLOPT_FOLLOWLOCATION, 0L);
    // The gateway is reached directly, whatever proxy the environment names.
    curl_->Set(CURLOPT_PROXY, "");
    SetTimeouts(kDefaultTimeouts);
}

THTTPClient::~THTTPClient() = default;

void THTTPClient::SetTimeouts(const base::CurlTimeouts& timeouts) {
    curl_->SetTimeouts(timeouts);
}

void THTTPClient::SetStop(std::stop_token stop) {
    curl_->SetStop(std::move(stop));
}

std::string THTTPClient::PostRequest(const std::string& Body) {
    // An empty "Host:" first switches off curl's own Host line, so that every line below goes
    // out in exactly this order and nothing else is added.
    curl_->SetHeaders({
        "Host:",
        "Connection: keep-alive",
        "Content-Type: application/x-www-form-urlencoded",
        "Content-Length: " + std::to_string(Body.size()),
        "Host: " + host_,
        "Accept: text/html,*.*",
        "User-Agent: Mozilla/3.0 (compatible; Indy Library)",
    });
    curl_->Set(CURLOPT_POSTFIELDS, Body.data());
    curl_->Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(Body.size()));
    std::string answer;
    const CURLcode code = curl_->PerformInto(answer, kMaxAnswerBytes);
    if (code != CURLE_OK) {
        return "";
    }
    const long status = curl_->ResponseCode();
    if (status < 200 || status > 299) {
        return "";
    }
    curl_header* location = nullptr;
    if (curl_easy_header(curl_->get(), "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK) {
        return "";
    }
    if (!base::IsValidUtf8(answer)) {
        return "";
    }
    return answer;
}

std::string THTTPClient::UrlEncode(std::string_view Text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(Text.size() * 3);
    for (const char c : Text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_';
        if (plain) {
            encoded += c;
        } else if (byte == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string THTTPClient::HostHeader(std::string_view url) {
    base::InitCurlOnce();
    const std::unique_ptr<CURLU, UrlFree> parsed(curl_url());
    if (!parsed) {
        throw std::bad_alloc();
    }
    const std::string text(url);
    const CurlText scheme = curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) == CURLUE_OK
                                ? UrlPart(parsed.get(), CURLUPART_SCHEME)
                                : nullptr;
    const CurlText host = scheme ? UrlPart(parsed.get(), CURLUPART_HOST) : nullptr;
    const std::string_view schemeName = scheme ? scheme.get() : "";
    if (!host || (schemeName != "http" && schemeName != "https")) {
        throw std::invalid_argument("the marketplace gateway address \"" + text +
                                    "\" is not an http:// or https:// URL");
    }
    std::string value = host.get();
    if (const CurlText port = UrlPart(parsed.get(), CURLUPART_PORT, CURLU_NO_DEFAULT_PORT)) {
        value += ':';
        value += port.get();
    }
    return value;
}

}  // namespace marketplace
