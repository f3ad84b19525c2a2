#pragma once

#include <string>
#include <vector>

namespace updater {

using TArrayString = std::vector<std::string>;

// Works out which entries of the fetched update list are new or changed against the installed
// one. Both lists are read by position: 0 name, 1 version, 2 download URL, 3 and 4 two values
// that only travel with the file. Names and versions are compared as exact text, so any
// difference in a version, an older one included, counts as a change.
class TCheckUpGradeFile {
  public:
    std::vector<std::string> OldNames;
    std::vector<std::string> OldVersions;
    std::vector<std::string> NewNames;
    std::vector<std::string> NewVersions;
    std::vector<std::string> NewURLs;
    std::vector<std::string> NewPos3Values;
    std::vector<std::string> NewPos4Values;
    std::string OldFileName;
    std::string NewFileName;
    TArrayString UpNames;
    TArrayString UpURLs;
    TArrayString UpPos3Values;
    TArrayString UpPos4Values;

    // Reads both lists and fills the four Up arrays, element k of each describing the same file,
    // in new-list order; true when at least one file is new or changed. A missing old list makes
    // every new entry new; a missing new list changes nothing; so do empty file names. A list
    // that cannot be read throws (UpdateListError or base::XmlValueError) with the Up arrays empty.
    bool CheckFiles();

  private:
    void ReadOldList();
    void ReadNewList();
    bool IsChanged(size_t newIndex) const;
};

}  // namespace updater
