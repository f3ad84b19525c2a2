#pragma once

#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

namespace report {

// The vendor's usage-report service ("SearchAddIn", operation AddSub). Texts are UTF-8.
class SearchAddSoap {
  public:
    virtual ~SearchAddSoap() = default;
    // Throws on any failure: transport, HTTP status, an answer that is not a SOAP envelope,
    // a SOAP fault (its faultstring is the message).
    virtual void AddSub(const std::string& Key, float JS_ZDJ, float JS_ZGJ, int64_t GoodsCount,
                        float PJJ, const std::string& Version) = 0;
};

// Binds the service at "http://" + the "Server" setting of section "UpGrade" in
// GetWorkDir() + "Config.ini" (read on every call; the built-in vendor host when missing)
// + "/searchadd.asmx". Once stop is requested, AddSub sends nothing, abandons a call under way
// within about a second, and throws.
std::unique_ptr<SearchAddSoap> GetSearchAddSoap(std::stop_token stop = {});

// A price bound as the report sends it: 0 for an empty text, otherwise the text read as a
// decimal number and narrowed to float. A text that is not a number throws base::ConvertError.
float ReportPrice(std::string_view priceText);

}  // namespace report
