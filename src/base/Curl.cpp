#include "base/Curl.h"

#include <mutex>
#include <new>
#include <stdexcept>

namespace base {

void InitCurlOnce() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (result != CURLE_OK) {
        throw std::runtime_error(std::string("libcurl cannot start: ") +
                                 curl_easy_strerror(result));
    }
}

void AppendHeader(CurlHeaderList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) {
        throw std::bad_alloc();
    }
    list.release();
    list.reset(grown);
}

}  // namespace base
