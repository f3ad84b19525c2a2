#include "marketplace/MD5.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace marketplace {

std::string MD5(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_md5(), nullptr) != 1) {
        throw std::runtime_error(
            "OpenSSL refused to compute an MD5 digest (is MD5 disabled by the system policy?)");
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (unsigned int i = 0; i < size; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0F];
    }
    return hex;
}

}  // namespace marketplace
