#include "platform/Download.h"

#include "base/AsciiCase.h"
#include "base/AtomicFile.h"
#include "base/Curl.h"

#include <exception>

namespace platform {
namespace {

bool IsHttps(std::string_view url) {
    constexpr std::string_view kScheme = "https://";
    return base::SameIgnoringAsciiCase(url.substr(0, kScheme.size()), kScheme);
}

}  // namespace

Result DownloadToFile(const std::string& url, const std::string& target,
                      const DownloadLimits& limits) {
    const std::string failed = "download of " + url + " to " + target + " failed: ";
    try {
        base::AtomicFile file{std::filesystem::path(target), limits.newFileMode};
        base::CurlEasy curl;
        const bool secure = IsHttps(url);
        curl.Set(CURLOPT_URL, url.c_str());
        curl.Set(CURLOPT_PROTOCOLS_STR, "http,https");
        // A download asked for over https must not be handed to anyone on the way by a redirect.
        curl.Set(CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
        curl.Set(CURLOPT_FOLLOWLOCATION, 1L);
        curl.Set(CURLOPT_MAXREDIRS, 20L);
        curl.Set(CURLOPT_SSL_VERIFYPEER, 1L);
        curl.Set(CURLOPT_SSL_VERIFYHOST, 2L);
        if (!limits.caFile.empty()) {
            curl.Set(CURLOPT_CAINFO, limits.caFile.c_str());
        }
        curl.SetTimeouts(limits.timeouts);

        bool refused = false;
        const CURLcode code = curl.Perform([&](std::string_view piece) {
            const long status = curl.ResponseCode();
            if (status < 200 || status > 299) {
                refused = true;
                return false;
            }
            file.Write(piece);
            return true;
        });
        const long status = curl.ResponseCode();
        if (code == CURLE_UNSUPPORTED_PROTOCOL && secure) {
            return Result::Failure(failed + "the server redirected it away from https (" +
                                   curl.ErrorText(code) + ")");
        }
        if (code != CURLE_OK && !refused) {
            return Result::Failure(failed + curl.ErrorText(code));
        }
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
