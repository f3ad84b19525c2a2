#include "platform/Download.h"

#include "base/AtomicFile.h"
#include "base/Curl.h"

#include <exception>

namespace platform {
Result DownloadToFile(const std::string& url, const std::string& target,
                      const DownloadLimits& limits) {
    const std::string failed = "download of " + url + " to " + target + " failed: ";
    try {
        base::AtomicFile file{std::filesystem::path(target)};
        base::CurlEasy curl;
        curl.Set(CURLOPT_URL, url.c_str());
        curl.Set(CURLOPT_PROTOCOLS_STR, "http,https");
        curl.Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl.Set(CURLOPT_FOLLOWLOCATION, 1L);
        curl.Set(CURLOPT_MAXREDIRS, 20L);
        curl.Set(CURLOPT_SSL_VERIFYPEER, 1L);
        curl.Set(CURLOPT_SSL_VERIFYHOST, 2L);
        if (!limits.caFile.empty()) {
            curl.Set(CURLOPT_CAINFO, limits.caFile.c_str());
        }
        curl.SetTimeouts(limits.timeouts);

        const CURLcode code = curl.Perform([&file](std::string_view piece) {
            file.Write(piece);
            return true;
        });
        if (code != CURLE_OK) {
            return Result::Failure(failed + curl.ErrorText(code));
        }
        const long status = curl.ResponseCode();
        if (status < 200 || status > 299) {
            return Result::Failure(failed + "the server answered with HTTP status " +
                                   std::to_string(status));
        }
        file.Commit();
        return Result::Success();
    } catch (const std::exception& e) {
        return Result::Failure(failed + e.what());
    }
}

}  // namespace platform
