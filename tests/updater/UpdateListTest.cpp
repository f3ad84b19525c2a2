#include "updater/UpdateList.h"

#include "base/Xml.h"

#include "support/HostileXml.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(UpdateList, AHostileDocumentTypeEndsQuicklyWithTheValueError) {
    // A 1 MB list whose first name would be 2.5 GB of text if its references were expanded; the
    // memory cap makes a regression fail instead of swamping the machine.
    support::TempDir dir;
    dir.Write("UpGrade_New.xml",
              "<?xml version=\"1.0\"?>" + support::ExpandingDoctype("UpGrade") +
                  "<UpGrade><File><Name>" + support::EntityReferences(250'000) +
                  "</Name><Version>1</Version><URL>u</URL><A>3</A><B>4</B></File></UpGrade>");
    const std::string path = dir.dir() + "UpGrade_New.xml";
    EXPECT_EXIT(
        support::RunUnderMemoryCap(512 << 20, [&] { updater::ReadUpdateListFile(path, 5); }),
        testing::ExitedWithCode(1), "Element does not contain a single text node");
}

}  // namespace
