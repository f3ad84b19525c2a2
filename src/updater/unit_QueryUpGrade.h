#pragma once

#include "base/Paths.h"
#include "updater/Query.h"

#include <memory>
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

// One update list service binding, made when the object is made (so the server is the one the
// settings file named then).
class TUpGradeQuery {
  public:
    explicit TUpGradeQuery(const std::string& appDir = base::GetAppPath());

    // The update list text; empty when the call fails in any way, an empty server name included.
    std::string QueryFileList();

    std::unique_ptr<QuerySoap> Soap;
};

// Fetches the current update list and keeps it as a file.
class TRemoteXMLFile {
  public:
    explicit TRemoteXMLFile(const std::string& appDir = base::GetAppPath());

    // Writes the list to fileName, replacing a file of that name, and returns true. An empty
    // answer, a failed call included, returns false and leaves any file of that name as it was.
    // The answer arrives as text, already decoded from the wire, so it is read as those
    // characters whatever encoding its own declaration names; the file is written in UTF-8 with
    // a declaration saying so. An ill-formed answer (one of blanks only included) throws
    // UpdateListError and a file that cannot be written throws std::system_error; neither leaves
    // a partial file behind. Blocks for the call.
    bool FetchToFile(const std::string& fileName);

    TUpGradeQuery UpGradeQuery;
};

}  // namespace updater
