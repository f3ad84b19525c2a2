#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringDecoder>

namespace {

using testing::HasSubstr;
using testing::Not;

TEST(HelpPage, IsUtf8DeclaredAsSuchAndNeedsNothingFromOutside) {
    QFile file(QString(QV_ASSETS_DIR) + "/Help.html");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.errorString().toStdString();
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    EXPECT_FALSE(utf8.hasError()) << "not valid UTF-8";

    const std::string page = text.toLower().toStdString();
    EXPECT_THAT(page, HasSubstr("<meta charset=\"utf-8\">"));
    // The view runs without JavaScript and may be offline.
    for (const char* outside : {"<script", "http:", "https:", "src=", "url(", "@import", "<link"}) {
        EXPECT_THAT(page, Not(HasSubstr(outside)));
    }
}

}  // namespace
