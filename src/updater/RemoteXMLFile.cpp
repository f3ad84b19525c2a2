#include "updater/UpdateList.h"
#include "updater/unit_QueryUpGrade.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace updater {
namespace {

// Written beside the target and renamed over it, so a reader never meets half a list and a
// failed write keeps the previous one.
void ReplaceFile(const std::string& fileName, const std::string& bytes) {
    const std::filesystem::path target(fileName);
    std::filesystem::path partial = target;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out.is_open()) {
            throw std::system_error(errno, std::generic_category(),
                                    "Cannot write the update list " + fileName);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            throw std::system_error(std::make_error_code(std::errc::io_error),
                                    "Cannot write the update list " + fileName);
        }
    }
    std::error_code ec;
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw std::system_error(ec, "Cannot write the update list " + fileName);
    }
}

}  // namespace

TUpGradeQuery::TUpGradeQuery(const std::string& appDir) : Soap(GetQuerySoap(appDir)) {}

std::string TUpGradeQuery::QueryFileList() {
    try {
        return Soap->GetUpGradeFileList();
    } catch (const std::exception&) {
        // Nothing to update is the answer to every failure; the next start asks again.
        return {};
    }
}

TRemoteXMLFile::TRemoteXMLFile(const std::string& appDir) : UpGradeQuery(appDir) {}

bool TRemoteXMLFile::FetchToFile(const std::string& fileName) {
    const std::string text = UpGradeQuery.QueryFileList();
    if (text.empty()) {
        return false;
    }
    const base::XmlDocument list = ParseUpdateList(text, {.forcedEncoding = "UTF-8"});
    ReplaceFile(fileName, list.ToUtf8());
    return true;
}

}  // namespace updater
