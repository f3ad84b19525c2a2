#include "base/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <system_error>

namespace base {
namespace {

class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::system_error(errno, std::generic_category(),
                                    std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts as much of [in, in + len) as possible, appending to out. Returns the number of
    // input bytes consumed; stops at the first sequence that cannot be converted.
    size_t ConvertPrefix(const char* in, size_t len, std::string& out) {
        char* src = const_cast<char*>(in);
        size_t left = len;
        char buffer[4096];
        while (left > 0) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            const size_t rc = iconv(cd_, &src, &left, &dst, &room);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
                break;
            }
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return len - left;
    }

  private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not well-formed.
size_t Utf8SequenceLength(std::string_view text, size_t i, char32_t* codePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    char32_t cp;
    if (lead < 0x80) {
        length = 1;
        cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (overlong || surrogate || cp > 0x10FFFF) {
        return 0;
    }
    if (codePoint != nullptr) {
        *codePoint = cp;
    }
    return length;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8SequenceLength(text, i, nullptr);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string_view Utf8Prefix(std::string_view text, size_t maxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && chars++ == maxChars) {
            return text.substr(0, i);
        }
    }
    return text;
}

std::string GbkToUtf8(std::string_view gbk) {
    Iconv cd("UTF-8", "GBK");
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    size_t i = 0;
    while (i < gbk.size()) {
        i += cd.ConvertPrefix(gbk.data() + i, gbk.size() - i, out);
        if (i < gbk.size()) {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::string Utf8ToGbkWithCharRefs(std::string_view text) {
    if (!IsValidUtf8(text)) {
        throw std::invalid_argument("text is not valid UTF-8");
    }
    Iconv cd("GBK", "UTF-8");
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        i += cd.ConvertPrefix(text.data() + i, text.size() - i, out);
        if (i < text.size()) {
            char32_t cp = 0;
            i += Utf8SequenceLength(text, i, &cp);
            char ref[16];
            std::snprintf(ref, sizeof ref, "&#x%X;", static_cast<unsigned>(cp));
            out += ref;
        }
    }
    return out;
}

}  // namespace base
