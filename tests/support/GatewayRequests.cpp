#include "support/GatewayRequests.h"

#include "marketplace/MD5.h"

#include <cctype>

namespace support {

std::string UpperMd5(std::string_view bytes) {
    std::string digest = marketplace::MD5(bytes);
    for (char& c : digest) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return digest;
}

base::Clock FixedClock() {
    const base::TDateTime now = base::EncodeDateTime({2009, 3, 3, 8, 5, 9});
    return [now] { return now; };
}

std::string RequestHead(int port, size_t bodySize) {
    return "POST /sip/rest HTTP/1.0\r\n"
           "Connection: keep-alive\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "Content-Length: " +
           std::to_string(bodySize) +
           "\r\n"
           "Host: 127.0.0.1:" +
           std::to_string(port) +
           "\r\n"
           "Accept: text/html,*.*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n";
}

std::string WithSign(std::string text, const std::string& sign) {
    const size_t at = text.find("{SIGN}");
    return at == std::string::npos ? text : text.replace(at, 6, sign);
}

}  // namespace support
