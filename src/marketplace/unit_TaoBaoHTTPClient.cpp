#include "marketplace/unit_TaoBaoHTTPClient.h"

#include "base/Encoding.h"

#include "base/Curl.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>
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

size_t CollectAnswer(char* data, size_t size, size_t count, void* user) {
    auto* answer = static_cast<std::string*>(user);
    const size_t bytes = size * count;
    if (bytes > kMaxAnswerBytes - answer->size()) {
        return 0;  // curl ends the transfer with a write error
    }
    try {
        answer->append(data, bytes);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return bytes;
}

template <typename T>
void Set(CURL* curl, CURLoption option, T value) {
    const CURLcode result = curl_easy_setopt(curl, option, value);
    if (result != CURLE_OK) {
        throw std::runtime_error(std::string("libcurl rejected a transfer option: ") +
                                 curl_easy_strerror(result));
    }
}

// The handle keeps pointers to the header list, body and answer of one request; clear them
// when the request is over so nothing dangles.
class RequestScope {
  public:
    explicit RequestScope(CURL* curl) : curl_(curl) {}
    ~RequestScope() {
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, nullptr);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, nullptr);
    }
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;

  private:
    CURL* curl_;
};

}  // namespace

void THTTPClient::CurlCleanup::operator()(void* curl) const {
    curl_easy_cleanup(static_cast<CURL*>(curl));
}

THTTPClient::THTTPClient(std::string GatewayUrl)
    : url_(std::move(GatewayUrl)), host_(HostHeader(url_)) {
    base::InitCurlOnce();
    curl_.reset(curl_easy_init());
    if (!curl_) {
        throw std::runtime_error("libcurl cannot create a transfer handle");
    }
    CURL* curl = static_cast<CURL*>(curl_.get());
    Set(curl, CURLOPT_URL, url_.c_str());
    Set(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    Set(curl, CURLOPT_POST, 1L);
    Set(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    Set(curl, CURLOPT_FOLLOWLOCATION, 0L);
    // The gateway is reached directly, whatever proxy the environment names.
    Set(curl, CURLOPT_PROXY, "");
    // Time-outs must not raise signals: requests run on worker threads.
    Set(curl, CURLOPT_NOSIGNAL, 1L);
    Set(curl, CURLOPT_WRITEFUNCTION, &CollectAnswer);
    SetTimeouts(THTTPTimeouts{});
}

THTTPClient::~THTTPClient() = default;

void THTTPClient::SetTimeouts(const THTTPTimeouts& timeouts) {
    CURL* curl = static_cast<CURL*>(curl_.get());
    Set(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    Set(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts.total.count()));
    Set(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    Set(curl, CURLOPT_LOW_SPEED_TIME,
        static_cast<long>(std::max<std::chrono::seconds::rep>(timeouts.stall.count(), 1)));
}

std::string THTTPClient::PostRequest(const std::string& Body) {
    CURL* curl = static_cast<CURL*>(curl_.get());
    // An empty "Host:" first switches off curl's own Host line, so that every line below goes
    // out in exactly this order and nothing else is added.
    base::CurlHeaderList headers;
    base::AppendHeader(headers, "Host:");
    base::AppendHeader(headers, "Connection: keep-alive");
    base::AppendHeader(headers, "Content-Type: application/x-www-form-urlencoded");
    base::AppendHeader(headers, "Content-Length: " + std::to_string(Body.size()));
    base::AppendHeader(headers, "Host: " + host_);
    base::AppendHeader(headers, "Accept: text/html,*.*");
    base::AppendHeader(headers, "User-Agent: Mozilla/3.0 (compatible; Indy Library)");

    std::string answer;
    const RequestScope scope(curl);
    Set(curl, CURLOPT_HTTPHEADER, headers.get());
    Set(curl, CURLOPT_POSTFIELDS, Body.data());
    Set(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(Body.size()));
    Set(curl, CURLOPT_WRITEDATA, &answer);
    if (curl_easy_perform(curl) != CURLE_OK) {
        return "";
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        return "";
    }
    curl_header* location = nullptr;
    if (curl_easy_header(curl, "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK) {
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
                           byte == '_' || byte == '&' || byte == '=';
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
