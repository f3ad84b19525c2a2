#include "report/searchadd.h"

#include "base/Errors.h"
#include "base/IniFile.h"
#include "base/Numbers.h"
#include "base/Paths.h"
#include "report/VendorServer.h"
#include "soap/Client.h"

#include <cmath>
#include <limits>

namespace report {
namespace {

const soap::Interface& SearchAddInterface() {
    static const soap::Interface registration{.targetNamespace = "SearchAddIn",
                                              .soapAction = "SearchAddIn/AddSub"};
    return registration;
}

const soap::Operation& AddSubOperation() {
    using soap::ParamType;
    static const soap::Operation operation{.name = "AddSub",
                                           .inputs = {{"Key", ParamType::String},
                                                      {"JS_ZDJ", ParamType::Float},
                                                      {"JS_ZGJ", ParamType::Float},
                                                      {"GoodsCount", ParamType::Int64},
                                                      {"PJJ", ParamType::Float},
                                                      {"Version", ParamType::String}},
                                           .hasResult = false};
    return operation;
}

class SearchAddSoapClient : public SearchAddSoap {
  public:
    SearchAddSoapClient(std::string endpoint, std::stop_token stop)
        : client_(SearchAddInterface(),
                  soap::Binding{.endpoint = std::move(endpoint), .utf8ContentType = true},
                  std::move(stop)) {}

    void AddSub(const std::string& Key, float JS_ZDJ, float JS_ZGJ, int64_t GoodsCount, float PJJ,
                const std::string& Version) override {
        client_.Call(AddSubOperation(), {Key, JS_ZDJ, JS_ZGJ, GoodsCount, PJJ, Version});
    }

  private:
    soap::Client client_;
};

}  // namespace

std::unique_ptr<SearchAddSoap> GetSearchAddSoap(std::stop_token stop) {
    const std::string server = base::IniFile(base::GetWorkDir() + "Config.ini")
                                   .ReadString("UpGrade", "Server", kVendorServer);
    return std::make_unique<SearchAddSoapClient>("http://" + server + "/searchadd.asmx",
                                                 std::move(stop));
}

float ReportPrice(std::string_view priceText) {
    if (priceText.empty()) {
        return 0;
    }
    const double value = base::StrToFloat(priceText);
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        throw base::ConvertError("'" + std::string(priceText) + "' is too large for a price");
    }
    return static_cast<float>(value);
}

}  // namespace report
