#include "soap/Client.h"

#include "soap/Envelope.h"
#include "soap/Errors.h"

#include "base/Curl.h"

#include <curl/curl.h>

#include <mutex>
#include <stdexcept>

namespace soap {
namespace {

size_t CollectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

}  // namespace

struct Client::Curl {
    struct Cleanup {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    std::unique_ptr<CURL, Cleanup> handle;
};

std::string FailureMessage(const std::string& operation, const std::string& endpoint,
                           const std::string& what, int status) {
    std::string message = "SOAP call " + operation + " to " + endpoint + " failed";
    if (status != 0) {
        message += " (HTTP status " + std::to_string(status) + ")";
    }
    return message + ": " + what;
}

Client::Client(Interface interface, Binding binding)
    : interface_(std::move(interface)), binding_(std::move(binding)), curl_(new Curl) {
    base::InitCurlOnce();
    curl_->handle.reset(curl_easy_init());
    if (!curl_->handle) {
        throw std::runtime_error("libcurl cannot create a transfer");
    }
}

Client::~Client() = default;

std::optional<std::string> Client::Call(const Operation& operation,
                                        const std::vector<Value>& arguments) {
    const std::string request = BuildRequest(interface_, operation, arguments);

    // Host comes first from libcurl; every other header is ours, in this order.
    base::CurlHeaderList headers;
    base::AppendHeader(headers, "SOAPAction: \"" + interface_.soapAction + "\"");
    base::AppendHeader(headers, binding_.utf8ContentType
                                    ? "Content-Type: text/xml; charset=\"utf-8\""
                                    : "Content-Type: text/xml");
    base::AppendHeader(headers, std::string("User-Agent: ") + UserAgent);
    base::AppendHeader(headers, "Content-Length: " + std::to_string(request.size()));
    base::AppendHeader(headers, "Connection: Keep-Alive");
    base::AppendHeader(headers, "Accept:");
    base::AppendHeader(headers, "Expect:");

    CURL* curl = curl_->handle.get();
    curl_easy_reset(curl);
    std::string answer;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, binding_.endpoint.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(binding_.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(binding_.callTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode code = curl_easy_perform(curl);
    // The handle outlives this frame's buffers; a later connection shutdown must not write here.
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    if (code != CURLE_OK) {
        throw TransportError(
            FailureMessage(operation.name, binding_.endpoint,
                           errorText[0] != 0 ? errorText : curl_easy_strerror(code)));
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    const int httpStatus = static_cast<int>(status);
    if (httpStatus >= 300 && httpStatus != 500) {
        throw StatusError(
            FailureMessage(operation.name, binding_.endpoint, "HTTP error status", httpStatus),
            httpStatus);
    }
    std::optional<std::string> result =
        ReadAnswer(answer, operation, binding_.endpoint, httpStatus);
    if (httpStatus == 500) {
        // A server error is never a success, whatever the body looks like.
        throw StatusError(FailureMessage(operation.name, binding_.endpoint,
                                         "server error without a SOAP fault", httpStatus),
                          httpStatus);
    }
    return result;
}

}  // namespace soap
