#pragma once

#include "base/Paths.h"

#include <memory>
#include <string>

namespace updater {

// The vendor's update list service ("QuillonUpGrade"), bound to one endpoint.
class QuerySoap {
  public:
    virtual ~QuerySoap() = default;
    // The text of the current update list document. Throws soap::Error on any failure: no
    // connection, an HTTP error status, a SOAP fault, an answer of the wrong shape.
    virtual std::string GetUpGradeFileList() = 0;
    virtual const std::string& Endpoint() const = 0;
};

// Binds the service at "http://" + server + "/Query.asmx", the server being the "Server" setting
// of section "UpGrade" in appDir + "Config.ini", read on every call: "localhost" when the file,
// section or key is missing, empty when the key is empty, a port after a colon kept. The
// Content-Type of the calls names no charset.
std::unique_ptr<QuerySoap> GetQuerySoap(const std::string& appDir = base::GetAppPath());

}  // namespace updater
