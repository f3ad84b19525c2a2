#include "base/IniFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using base::IniFile;

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

TEST(IniFile, ReadsValuesByTheSettingsRules) {
    const ReadCase cases[] = {
        {"plain", "[UpGrade]\nServer=host\n", "UpGrade", "Server", "host"},
        {"blanks and port", "[UpGrade]\r\n  Server =   127.0.0.1:8080  \r\n", "UpGrade", "Server",
         "127.0.0.1:8080"},
        {"tabs", "[UpGrade]\n\tServer\t=\thost\t\n", "UpGrade", "Server", "host"},
        {"names without case", "[upgrade]\nSERVER=host\n", "UpGrade", "Server", "host"},
        {"blanked section name", "[ UpGrade ]\nServer=host\n", "UpGrade", "Server", "host"},
        {"empty value", "[Version]\nQorvane=\n", "Version", "Qorvane", ""},
        {"blanks only", "[Version]\nQorvane=   \n", "Version", "Qorvane", ""},
        {"double quotes", "[V]\nk = \" 1.2.3 \"\n", "V", "k", " 1.2.3 "},
        {"single quotes", "[V]\nk='a=b'\n", "V", "k", "a=b"},
        {"one pair only", "[V]\nk=\"\"x\"\"\n", "V", "k", "\"x\""},
        {"unmatched quotes", "[V]\nk='x\"\n", "V", "k", "'x\""},
        {"lone quote", "[V]\nk=\"\n", "V", "k", "\""},
        {"first equals sign", "[V]\nk = a = b\n", "V", "k", "a = b"},
        {"comments", "[V]\n;k=1\n# k=2\nk=3\n", "V", "k", "3"},
        {"first key counts", "[V]\nk=1\nk=2\n", "V", "k", "1"},
        {"first section counts", "[V]\na=1\n[W]\nk=2\n[v]\nk=3\n", "V", "k", "default"},
        {"line without equals", "[V]\nk\nk=1\n", "V", "k", "1"},
        {"key before any section", "k=1\n[V]\n", "V", "k", "default"},
        {"other section", "[Version]\nServer=x\n[UpGrade]\nPort=1\n", "UpGrade", "Server",
         "default"},
        {"no final line break", "[V]\nk=last", "V", "k", "last"},
        {"empty file", "", "V", "k", "default"},
        {"utf-8 with mark", "\xEF\xBB\xBF[V]\nk=中文\n", "V", "k", "中文"},
        {"gbk", "[V]\nk=\xD6\xD0\xCE\xC4\n", "V", "k", "中文"},
    };
    support::TempDir dir;
    for (const ReadCase& c : cases) {
        dir.Write("Config.ini", c.file);
        EXPECT_EQ(IniFile(dir.dir() + "Config.ini").ReadString(c.section, c.key, "default"),
                  c.expected)
            << c.what;
    }
}

TEST(IniFile, MissingFileGivesTheDefault) {
    support::TempDir dir;
    EXPECT_EQ(IniFile(dir.dir() + "Config.ini").ReadString("V", "k", "unknow!"), "unknow!");
    EXPECT_EQ(IniFile(dir.dir() + "none/Config.ini").ReadString("V", "k", ""), "");
}

TEST(IniFile, CutsLongValuesAtWholeCharacters) {
    support::TempDir dir;
    const IniFile ini(dir.dir() + "Config.ini");
    dir.Write("Config.ini", "[V]\nk=\"" + std::string(3000, 'a') + "\"\n");
    EXPECT_EQ(ini.ReadString("V", "k", ""), std::string(IniFile::MaxValueLength, 'a'));

    std::string chinese;
    for (size_t i = 0; i < IniFile::MaxValueLength + 10; ++i) {
        chinese += "中";
    }
    dir.Write("Config.ini", "[V]\nk=" + chinese + "\n");
    EXPECT_EQ(ini.ReadString("V", "k", ""), chinese.substr(0, 3 * IniFile::MaxValueLength));
}

TEST(IniFile, ReadsTheFileAfreshOnEveryCall) {
    support::TempDir dir;
    const IniFile ini(dir.dir() + "Config.ini");
    EXPECT_EQ(ini.ReadString("UpGrade", "Server", "builtin"), "builtin");
    dir.Write("Config.ini", "[UpGrade]\nServer=first\n");
    EXPECT_EQ(ini.ReadString("UpGrade", "Server", "builtin"), "first");
    dir.Write("Config.ini", "[UpGrade]\nServer=second\n");
    EXPECT_EQ(ini.ReadString("UpGrade", "Server", "builtin"), "second");
}

}  // namespace
