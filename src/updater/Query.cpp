#include "updater/Query.h"

#include "base/IniFile.h"
#include "soap/Client.h"

namespace updater {
namespace {

constexpr const char* DefaultServer = "localhost";

const soap::Interface& QueryInterface() {
    static const soap::Interface registration{.targetNamespace = "QuillonUpGrade",
                                              .soapAction = "QuillonUpGrade/GetUpGradeFileList"};
    return registration;
}

const soap::Operation& GetUpGradeFileListOperation() {
    static const soap::Operation operation{
        .name = "GetUpGradeFileList", .inputs = {}, .hasResult = true};
    return operation;
}

class QuerySoapClient : public QuerySoap {
  public:
    explicit QuerySoapClient(std::string endpoint)
        : client_(QueryInterface(),
                  soap::Binding{.endpoint = std::move(endpoint), .utf8ContentType = false}) {}

    std::string GetUpGradeFileList() override {
        return client_.Call(GetUpGradeFileListOperation(), {}).value_or("");
    }

    const std::string& Endpoint() const override { return client_.binding().endpoint; }

  private:
    soap::Client client_;
};

}  // namespace

std::unique_ptr<QuerySoap> GetQuerySoap(const std::string& appDir) {
    const std::string server =
        base::IniFile(appDir + "Config.ini").ReadString("UpGrade", "Server", DefaultServer);
    return std::make_unique<QuerySoapClient>("http://" + server + "/Query.asmx");
}

}  // namespace updater
