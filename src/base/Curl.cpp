#include "base/Curl.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <mutex>
#include <new>
#include <utility>

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

CurlEasy::CurlEasy() {
    InitCurlOnce();
    handle_.reset(curl_easy_init());
    if (!handle_) {
        throw std::runtime_error("libcurl cannot create a transfer handle");
    }
    SetOwnOptions();
}

CurlEasy::~CurlEasy() = default;

void CurlEasy::Check(CURLcode result) {
    if (result != CURLE_OK) {
        throw std::runtime_error(std::string("libcurl rejected a transfer option: ") +
                                 curl_easy_strerror(result));
    }
}

void CurlEasy::SetOwnOptions() {
    Set(CURLOPT_ERRORBUFFER, errorText_);
    Set(CURLOPT_WRITEFUNCTION, &CurlEasy::WriteBody);
    Set(CURLOPT_WRITEDATA, this);
    // Time-outs must not raise signals: transfers run on worker threads.
    Set(CURLOPT_NOSIGNAL, 1L);
    if (stop_.stop_possible()) {
        Set(CURLOPT_XFERINFOFUNCTION, &CurlEasy::Progress);
        Set(CURLOPT_XFERINFODATA, this);
        Set(CURLOPT_NOPROGRESS, 0L);
    }
}

void CurlEasy::SetStop(std::stop_token stop) {
    stop_ = std::move(stop);
    SetOwnOptions();
}

int CurlEasy::Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept {
    return static_cast<const CurlEasy*>(self)->stop_.stop_requested() ? 1 : 0;
}

void CurlEasy::SetHeaders(const std::vector<std::string>& lines) {
    std::unique_ptr<curl_slist, SlistFree> list;
    for (const std::string& line : lines) {
        curl_slist* grown = curl_slist_append(list.get(), line.c_str());
        if (grown == nullptr) {
            throw std::bad_alloc();
        }
        list.release();
        list.reset(grown);
    }
    Set(CURLOPT_HTTPHEADER, list.get());
    headers_ = std::move(list);
}

void CurlEasy::SetTimeouts(const CurlTimeouts& timeouts) {
    Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    Set(CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts.total.count()));
    Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    Set(CURLOPT_LOW_SPEED_TIME,
        static_cast<long>(std::max<std::chrono::seconds::rep>(timeouts.stall.count(), 1)));
}

size_t CurlEasy::WriteBody(char* data, size_t size, size_t count, void* self) noexcept {
    auto* easy = static_cast<CurlEasy*>(self);
    const size_t bytes = size * count;
    try {
        if (!easy->sink_ || easy->sink_(std::string_view(data, bytes))) {
            return bytes;
        }
    } catch (...) {
        easy->sinkError_ = std::current_exception();
    }
    return CURL_WRITEFUNC_ERROR;
}

CURLcode CurlEasy::Perform(BodySink sink) {
    errorText_[0] = '\0';
    if (stop_.stop_requested()) {
        return CURLE_ABORTED_BY_CALLBACK;
    }
    sink_ = std::move(sink);
    sinkError_ = nullptr;
    const CURLcode code = curl_easy_perform(handle_.get());
    sink_ = nullptr;
    if (sinkError_) {
        std::rethrow_exception(std::exchange(sinkError_, nullptr));
    }
    return code;
}

CURLcode CurlEasy::PerformInto(std::string& body, size_t most) {
    body.clear();
    const auto announced = static_cast<curl_off_t>(
        std::min<std::uintmax_t>(most, std::numeric_limits<curl_off_t>::max()));
    Set(CURLOPT_MAXFILESIZE_LARGE, announced);
    bool tooLarge = false;
    CURLcode code = CURLE_OK;
    try {
        code = Perform([&body, &tooLarge, most](std::string_view piece) {
            tooLarge = piece.size() > most - body.size();
            if (!tooLarge) {
                body += piece;
            }
            return !tooLarge;
        });
    } catch (...) {
        Set(CURLOPT_MAXFILESIZE_LARGE, curl_off_t{0});
        throw;
    }
    // A later Perform on this handle must not inherit the limit.
    Set(CURLOPT_MAXFILESIZE_LARGE, curl_off_t{0});
    return tooLarge ? CURLE_FILESIZE_EXCEEDED : code;
}

std::string CurlEasy::ErrorText(CURLcode code) const {
    return errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(code);
}

long CurlEasy::ResponseCode() const {
    long status = 0;
    curl_easy_getinfo(handle_.get(), CURLINFO_RESPONSE_CODE, &status);
    return status;
}

}  // namespace base
