// The report driver: error texts, front-end differences and the progress lines.
#include "report/modRPParse.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/report/ReportHook.h"

namespace {

using modRPParse::Frontend;

TEST(GetTargetErrorText, EveryCodeAndOutOfRange)
{
    const std::pair<std::int32_t, const char16_t*> cases[] = {
        {0, u": unknown error."},
        {1, u": CreateFile() failed."},
        {2, u": DeviceIOControl() failed."},
        {3, u": unsupported reparse tag."},
        {4, u": file or directory not found."},
        {5, u": unsupported operation system."},
        {6, u": not a reparse point."},
        {7, u": invalid size of reparse data (too small for tag or header, or specified variable data size)."},
        {8, u": invalid reparse data string size or offset."},
        {9, u": invalid LX symlink version value."},
        {10, u"."},
        {-1, u"."},
        {INT32_MIN, u"."},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(modRPParse::GetTargetErrorText(code), text) << code;
}

class ReportDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("tagscope-report-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(dir_);
        plain_ = dir_ / "plain file.txt";
        std::ofstream(plain_) << "text";
        testhook::ShownMessages().clear();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path dir_;
    std::filesystem::path plain_;
};

TEST_F(ReportDriver, PlainFileConsoleShowsOnlyTheErrorLine)
{
    std::u16string text = u"stale";
    std::vector<std::uint8_t> data = {1};
    modRPParse::BuildReparseReport(Frontend::Console, plain_.u16string(), text, data);
    EXPECT_EQ(text, u"Can't read reparse point data: not a reparse point.");
    EXPECT_TRUE(data.empty());
    ASSERT_EQ(testhook::ShownMessages().size(), 1u);
    EXPECT_EQ(testhook::ShownMessages()[0], text);
}

TEST_F(ReportDriver, MissingPathWindowShowsPathBlankLineAndError)
{
    // The path is widened to its full form before anything is read.
    const std::u16string missing = (dir_ / "sub" / ".." / "gone").u16string();
    std::u16string text;
    std::vector<std::uint8_t> data;
    modRPParse::BuildReparseReport(Frontend::Window, missing, text, data);
    const std::u16string full = (dir_ / "gone").u16string();
    EXPECT_EQ(text, full + u"\r\n\r\nCan't read reparse point data: file or directory not found.");
    // No data came back: no "Parsing result data..." line.
    const std::vector<std::u16string> expected = {u"Reading reparse point...", text};
    EXPECT_EQ(testhook::ShownMessages(), expected);
}

TEST(ReportDriverEdges, EmptyNameIsNotWidenedToTheCurrentFolder)
{
    std::u16string text;
    std::vector<std::uint8_t> data;
    modRPParse::BuildReparseReport(modRPParse::Frontend::Console, u"", text, data);
    EXPECT_EQ(text, u"Can't read reparse point data: file or directory not found.");
}

}  // namespace
