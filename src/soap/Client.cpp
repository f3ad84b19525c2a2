#include "soap/Client.h"

#include "base/Curl.h"
#include "soap/Envelope.h"
#include "soap/Errors.h"

#include <stdexcept>

namespace soap {

std::string FailureMessage(const std::string& operation, const std::string& endpoint,
                           const std::string& what, int status) {
    std::string message = "SOAP call " + operation + " to " + endpoint + " failed";
    if (status != 0) {
        message += " (HTTP status " + std::to_string(status) + ")";
    }
    return message + ": " + what;
}

Client::Client(Interface interface, Binding binding, std::stop_token stop)
    : interface_(std::move(interface)),
      binding_(std::move(binding)),
      curl_(std::make_unique<base::CurlEasy>()) {
    curl_->SetStop(std::move(stop));
    curl_->Set(CURLOPT_URL, binding_.endpoint.c_str());
    curl_->Set(CURLOPT_PROTOCOLS_STR, "http,https");
    curl_->Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_->Set(CURLOPT_POST, 1L);
    curl_->SetTimeouts(binding_.timeouts);
}

Client::~Client() = default;

std::optional<std::string> Client::Call(const Operation& operation,
                                        const std::vector<Value>& arguments) {
    const std::string request = BuildRequest(interface_, operation, arguments);

    // Host comes first from libcurl; every other header is ours, in this order.
    curl_->SetHeaders({
        "SOAPAction: \"" + interface_.soapAction + "\"",
        binding_.utf8ContentType ? "Content-Type: text/xml; charset=\"utf-8\""
                                 : "Content-Type: text/xml",
        std::string("User-Agent: ") + UserAgent,
        "Content-Length: " + std::to_string(request.size()),
        "Connection: Keep-Alive",
        "Accept:",
        "Expect:",
    });
    curl_->Set(CURLOPT_POSTFIELDS, request.data());
    curl_->Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.size()));

    std::string answer;
    const CURLcode code = curl_->PerformInto(answer, kMaxAnswerBytes);
    const int httpStatus = static_cast<int>(curl_->ResponseCode());
    if (code == CURLE_FILESIZE_EXCEEDED) {
        throw AnswerError(FailureMessage(
            operation.name, binding_.endpoint,
            "the answer is larger than " + std::to_string(kMaxAnswerBytes / (1024 * 1024)) + " MiB",
            httpStatus));
    }
    if (code != CURLE_OK) {
        throw TransportError(
            FailureMessage(operation.name, binding_.endpoint, curl_->ErrorText(code)));
    }
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
