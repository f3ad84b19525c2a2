#include "updater/unit_QueryUpGrade.h"

#include "base/AtomicFile.h"
#include "updater/UpdateList.h"

#include <algorithm>
#include <exception>
#include <filesystem>

namespace updater {
namespace {

constexpr size_t kOldListPositions = 2;
constexpr size_t kNewListPositions = 5;

bool ListFileExists(const std::string& path) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (ec) {
        throw std::filesystem::filesystem_error("Cannot look for the update list", path, ec);
    }
    return exists;
}

// Every leading and trailing character of code 0 to 32 goes.
std::string TrimControlsAndBlanks(const std::string& text) {
    const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    const auto first = std::find_if_not(text.begin(), text.end(), isTrimmed);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isTrimmed).base();
    return first < last ? std::string(first, last) : std::string();
}

}  // namespace

bool TCheckUpGradeFile::CheckFiles() {
    for (auto* list : {&OldNames, &OldVersions, &NewNames, &NewVersions, &NewURLs, &NewPos3Values,
                       &NewPos4Values, &UpNames, &UpURLs, &UpPos3Values, &UpPos4Values}) {
        list->clear();
    }
    if (OldFileName.empty() || NewFileName.empty()) {
        return false;
    }
    ReadOldList();
    ReadNewList();

    bool anyChanged = false;
    for (size_t i = 0; i < NewNames.size(); ++i) {
        if (IsChanged(i)) {
            UpNames.push_back(NewNames[i]);
            UpURLs.push_back(NewURLs[i]);
            UpPos3Values.push_back(NewPos3Values[i]);
            UpPos4Values.push_back(NewPos4Values[i]);
            anyChanged = true;
        }
    }
    return anyChanged;
}

void TCheckUpGradeFile::ReadOldList() {
    if (!ListFileExists(OldFileName)) {
        return;
    }
    for (UpdateListEntry& entry : ReadUpdateListFile(OldFileName, kOldListPositions)) {
        OldNames.push_back(std::move(entry[0]));
        OldVersions.push_back(std::move(entry[1]));
    }
}

void TCheckUpGradeFile::ReadNewList() {
    if (!ListFileExists(NewFileName)) {
        return;
    }
    for (UpdateListEntry& entry : ReadUpdateListFile(NewFileName, kNewListPositions)) {
        NewNames.push_back(std::move(entry[0]));
        NewVersions.push_back(std::move(entry[1]));
        NewURLs.push_back(std::move(entry[2]));
        NewPos3Values.push_back(TrimControlsAndBlanks(entry[3]));
        NewPos4Values.push_back(std::move(entry[4]));
    }
}

// Only the first installed entry of a name counts; a name the installed list lacks is new.
bool TCheckUpGradeFile::IsChanged(size_t newIndex) const {
    const auto old = std::find(OldNames.begin(), OldNames.end(), NewNames[newIndex]);
    if (old == OldNames.end()) {
        return true;
    }
    return OldVersions[static_cast<size_t>(old - OldNames.begin())] != NewVersions[newIndex];
}

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
    base::ReplaceFile(fileName, list.ToUtf8());
    return true;
}

}  // namespace updater
