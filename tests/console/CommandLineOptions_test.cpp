// The image and listing options of both programs.
#include <gtest/gtest.h>

#include "console/CommandLineOptions.h"

using CommandLineOptions::Parse;

namespace {

// The plainer usage errors are checked on the program end to end (tests/e2e).
TEST(ConsoleOptions, ImageListPartitionAndJson)
{
    struct Row {
        const char* name;
        std::vector<std::u16string> args;
        bool list, json;
        std::optional<std::u16string> image;
        std::optional<std::int32_t> partition;
        std::vector<std::u16string> names;
        bool invalid;
    } rows[] = {
        {"--image=value", {u"--image=d.img", u"--json", u"/a"}, false, true, u"d.img", {}, {u"/a"}, false},
        {"--partition before --image", {u"--partition", u"2", u"--image", u"d", u"/a"}, false, false, u"d", 2, {u"/a"}, false},
        {"--list with --partition=", {u"--list", u"--partition=12", u"d"}, true, false, {}, 12, {u"d"}, false},
        {"options after the name are names", {u"x", u"--list"}, false, false, {}, {}, {u"x", u"--list"}, false},
        {"an image named like an option", {u"--image", u"--list", u"/a"}, false, false, u"--list", {}, {u"/a"}, false},
        {"--partition 2x", {u"--list", u"--partition=2x", u"d"}, true, false, {}, {}, {u"d"}, true},
        {"--partition past 2^31", {u"--list", u"--partition", u"2147483648", u"d"}, true, false, {}, {}, {u"d"}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto parsed = Parse(row.args, false);
        EXPECT_EQ(parsed.list, row.list);
        EXPECT_EQ(parsed.json, row.json);
        EXPECT_EQ(parsed.image, row.image);
        EXPECT_EQ(parsed.partition, row.partition);
        EXPECT_EQ(parsed.names, row.names);
        EXPECT_EQ(!parsed.invalid.empty(), row.invalid);
        EXPECT_TRUE(parsed.unknown.empty());
    }
}

TEST(ConsoleOptions, TheWindowProgramWritesNoJson)
{
    const auto json = Parse({u"--json", u"x"}, true);
    EXPECT_EQ(json.unknown, u"--json");
    EXPECT_FALSE(json.json);
}

}  // namespace
