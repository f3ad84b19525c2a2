#pragma once

#include "base/DateTime.h"
#include "marketplace/MD5.h"

#include <string>

namespace gatewaytest {

inline const std::string kAppKey = "38015";
inline const std::string kAppSecret = "7c3e91a05b2d48f6a0e1d9c4b8f27a63";

// 2009-03-03 08:05:09, local time.
inline base::Clock FixedClock() {
    const base::TDateTime now = base::EncodeDateTime({2009, 3, 3, 8, 5, 9});
    return [now] { return now; };
}

// Every request to the gateway at 127.0.0.1:port goes out with exactly this head.
inline std::string RequestHead(int port, size_t bodySize) {
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

inline std::string UpperMD5(const std::string& text) {
    std::string digest = marketplace::MD5(text);
    for (char& c : digest) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return digest;
}

// Puts the request's own signature where a template says {SIGN}.
inline std::string WithSign(std::string text, const std::string& sign) {
    const size_t at = text.find("{SIGN}");
    return at == std::string::npos ? text : text.replace(at, 6, sign);
}

}  // namespace gatewaytest
