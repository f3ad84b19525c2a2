#include "platform/Download.h"

#include "platform/UniqueFd.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

namespace platform {
namespace {

// A file being filled beside its target; removed unless it was moved over the target.
class TempFile {
  public:
    // Throws std::system_error when no file can be created in the target's directory.
    explicit TempFile(const std::filesystem::path& target) {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
            path_ = target;
            path_ += std::string(".part-") + suffix;
            // 0666 lets the umask decide, as for any new file.
            fd_.Reset(open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (fd_.valid() || errno != EEXIST) {
                break;
            }
        }
        if (!fd_.valid()) {
            throw std::system_error(errno, std::generic_category(),
                                    "cannot create a temporary file beside " + target.string());
        }
    }
    ~TempFile() {
        if (!committed_) {
            fd_.Reset();
            unlink(path_.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool Write(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = write(fd_.get(), data, size);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    // Flushes the file to disk and moves it over the target in one step, so that the target is
    // either the old file or the whole new one, even after a power cut.
    void CommitAs(const std::filesystem::path& target) {
        struct stat old {};
        if (stat(target.c_str(), &old) == 0 && fchmod(fd_.get(), old.st_mode & 07777) != 0) {
            throw std::system_error(errno, std::generic_category(),
                                    "cannot set the permissions of " + path_.string());
        }
        if (fsync(fd_.get()) != 0) {
            throw std::system_error(errno, std::generic_category(),
                                    "cannot write " + path_.string());
        }
        // Closed by hand: a failing close can mean the data never reached the disk.
        if (close(fd_.Release()) != 0) {
            throw std::system_error(errno, std::generic_category(),
                                    "cannot write " + path_.string());
        }
        if (rename(path_.c_str(), target.c_str()) != 0) {
            throw std::system_error(errno, std::generic_category(),
                                    "cannot replace " + target.string());
        }
        committed_ = true;
    }

  private:
    std::filesystem::path path_;
    UniqueFd fd_;
    bool committed_ = false;
};

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

size_t WriteBody(char* data, size_t size, size_t count, void* file) {
    return static_cast<TempFile*>(file)->Write(data, size * count) ? size * count : 0;
}

}  // namespace

Result DownloadToFile(const std::string& url, const std::string& target,
                      const DownloadLimits& limits) {
    const std::string failed = "download of " + url + " to " + target + " failed: ";
    try {
        TempFile file{std::filesystem::path(target)};

        const std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
        if (!curl) {
            return Result::Failure(failed + "libcurl cannot start a transfer");
        }
        char errorText[CURL_ERROR_SIZE] = "";
        CURL* const c = curl.get();
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(c, CURLOPT_MAXREDIRS, 20L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!limits.caFile.empty()) {
            curl_easy_setopt(c, CURLOPT_CAINFO, limits.caFile.c_str());
        }
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stall.count()));
        // No signals: downloads may run on any thread.
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, WriteBody);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &file);

        const CURLcode code = curl_easy_perform(c);
        if (code != CURLE_OK) {
            return Result::Failure(failed +
                                   (errorText[0] != '\0' ? errorText : curl_easy_strerror(code)));
        }
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        if (status < 200 || status > 299) {
            return Result::Failure(failed + "the server answered with HTTP status " +
                                   std::to_string(status));
        }
        file.CommitAs(target);
        return Result::Success();
    } catch (const std::exception& e) {
        return Result::Failure(failed + e.what());
    }
}

}  // namespace platform
