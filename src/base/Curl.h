#pragma once

#include "base/CurlTimeouts.h"

#include <curl/curl.h>

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace base {

// curl_global_init is not safe to run from several threads at once; CurlEasy calls this before
// its first handle, and only the first call does the work. Throws std::runtime_error when
// libcurl cannot start.
void InitCurlOnce();

// One libcurl easy handle together with what its transfers point at: the header list, the body
// sink and the error text. Every libcurl callback of the project is one of this class's, and
// none lets an exception cross libcurl's C frames: what the sink throws is kept and rethrown by
// Perform once libcurl has returned. A handle belongs to one thread.
class CurlEasy {
  public:
    // Receives the answer body piece by piece as it arrives. Returning false stops the transfer
    // (Perform then returns CURLE_WRITE_ERROR); throwing stops it too, and Perform rethrows.
    using BodySink = std::function<bool(std::string_view piece)>;

    // Throws std::runtime_error when libcurl cannot start or cannot make a handle.
    CurlEasy();
    ~CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    // Sets one option; throws std::runtime_error when libcurl refuses it.
    template <typename T>
    void Set(CURLoption option, T value) {
        Check(curl_easy_setopt(handle_.get(), option, value));
    }

    // The request's own header lines, sent in this order. Throws std::bad_alloc.
    void SetHeaders(const std::vector<std::string>& lines);

    void SetTimeouts(const CurlTimeouts& timeouts);

    // Once stop is requested, transfers are abandoned: Perform returns CURLE_ABORTED_BY_CALLBACK
    // at once when the stop came before it, otherwise within about a second, also while nothing
    // arrives (libcurl asks at least once a second).
    void SetStop(std::stop_token stop);

    // Runs one transfer, handing the body to sink (discarded without one), and returns
    // libcurl's result. Blocks until the transfer ends, fails or runs out of time. Rethrows
    // what the sink threw. The sink is not kept beyond the transfer.
    CURLcode Perform(BodySink sink = {});

    // Runs one transfer like Perform, with the answer body in `body` (what it held before is
    // dropped). An answer larger than `most` bytes is refused: before its body is read when it
    // announces its length, otherwise as soon as it grows past `most`; either way it returns
    // CURLE_FILESIZE_EXCEEDED, and `body` holds at most `most` bytes. Throws std::bad_alloc.
    CURLcode PerformInto(std::string& body, size_t most);

    // Why the last Perform failed: libcurl's detailed text when it gave one, else the code's.
    std::string ErrorText(CURLcode code) const;

    // The status of the last answer received; 0 before any.
    long ResponseCode() const;

    CURL* get() const { return handle_.get(); }

  private:
    struct Cleanup {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    struct SlistFree {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };

    static size_t WriteBody(char* data, size_t size, size_t count, void* self) noexcept;
    static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept;
    static void Check(CURLcode result);
    void SetOwnOptions();

    std::unique_ptr<CURL, Cleanup> handle_;
    std::unique_ptr<curl_slist, SlistFree> headers_;
    BodySink sink_;
    std::exception_ptr sinkError_;
    std::stop_token stop_;
    char errorText_[CURL_ERROR_SIZE] = {};
};

}  // namespace base
