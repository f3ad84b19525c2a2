#include "sandbox/Signing.h"

#include <openssl/evp.h>

namespace sandbox {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string DecodeComponent(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%') {
            const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                throw FormError("broken escape \"" + std::string(text.substr(i, 3)) + "\"");
            }
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded += c;
        }
    }
    return decoded;
}

}  // namespace

FormFields DecodeForm(std::string_view body) {
    FormFields fields;
    while (!body.empty()) {
        const size_t end = body.find('&');
        const std::string_view pair = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (pair.empty()) {
            continue;
        }
        const size_t equals = pair.find('=');
        fields.emplace_back(DecodeComponent(pair.substr(0, equals)),
                            equals == std::string_view::npos
                                ? std::string()
                                : DecodeComponent(pair.substr(equals + 1)));
    }
    return fields;
}

std::string Md5UpperHex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) {
        throw std::runtime_error("MD5 digest failed");
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 0x0F];
    }
    return hex;
}

std::string SignatureText(std::string_view secret,
                          const std::map<std::string, std::string>& params) {
    std::string text(secret);
    for (const auto& [name, value] : params) {
        if (name != "sip_sign") {
            text += name;
            text += value;
        }
    }
    return text;
}

}  // namespace sandbox
