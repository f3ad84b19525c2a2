#pragma once

#include "base/DateTime.h"
#include "sandbox/Answer.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace sandbox {

// What the services read from an HTTP request.
struct SoapRequest {
    std::optional<std::string> soapAction;  // the header as sent, quotes included
    std::string contentType;
    std::string body;
};

// The vendor's two ASP.NET services: the usage report ("/searchadd.asmx", AddSub) and the
// update list ("/Query.asmx", GetUpGradeFileList).
class SoapServices {
  public:
    // reportLog: every accepted report is appended to it as one JSON line (empty: not kept).
    // updateList: the file GetUpGradeFileList answers with (empty: an empty list).
    // baseUrl ("http://127.0.0.1:PORT") replaces "{SANDBOX}" in the list.
    SoapServices(std::filesystem::path reportLog, std::filesystem::path updateList,
                 std::string baseUrl, base::Clock clock);

    Answer AddSub(const SoapRequest& request);
    Answer GetUpGradeFileList(const SoapRequest& request) const;

    void SetUpdateList(std::filesystem::path updateList);

    // A SOAP 1.1 fault with status 500; code is "soap:Client" or "soap:Server".
    static Answer Fault(std::string_view code, std::string_view text);

  private:
    std::filesystem::path reportLog_;
    std::string baseUrl_;
    base::Clock clock_;
    mutable std::mutex mutex_;  // guards updateList_ and the log file
    std::filesystem::path updateList_;
};

}  // namespace sandbox
