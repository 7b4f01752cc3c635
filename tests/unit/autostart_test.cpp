#include "app/autostart.h"

#include <gtest/gtest.h>

#include <set>

namespace kvl {
namespace {

TEST(Autostart, OnlyAValueThatStartsThisVeryCopyCountsAsTicked) {
    const std::string here = "C:\\Tools\\KVL\\KVL.exe";
    const auto none = [](const std::string&) { return false; };
    EXPECT_TRUE(StartsThisProgram(AutostartCommand(here), here, none));
    // Windows paths ignore letter case, and a value written by hand may be unquoted.
    EXPECT_TRUE(StartsThisProgram("\"c:\\tools\\kvl\\kvl.EXE\"", here, none));
    EXPECT_TRUE(StartsThisProgram("C:\\Tools\\KVL\\KVL.exe /minimized", here, none));
    // Another copy, a copy in a folder whose name starts like ours, nothing at all.
    EXPECT_FALSE(StartsThisProgram("\"D:\\Old\\KVL.exe\"", here, none));
    EXPECT_FALSE(StartsThisProgram("\"C:\\Tools\\KVL\\KVL.exe.bak\"", here, none));
    EXPECT_FALSE(StartsThisProgram("", here, none));
    EXPECT_FALSE(StartsThisProgram(std::nullopt, here, none));
}

TEST(Autostart, AnUnquotedValueWithBlanksIsReadAsWindowsStartsIt) {
    const std::string here = "C:\\Program Files\\My Tools\\KVL.exe";
    std::set<std::string> files{here};
    const auto exists = [&](const std::string& path) { return files.contains(path); };
    EXPECT_TRUE(StartsThisProgram("C:\\Program Files\\My Tools\\KVL.exe", here, exists));
    EXPECT_TRUE(StartsThisProgram("c:\\program files\\my tools\\kvl /x", here, exists));
    // A program at a shorter prefix is what Windows would start instead.
    files.insert("C:\\Program Files\\My.exe");
    EXPECT_FALSE(StartsThisProgram("C:\\Program Files\\My Tools\\KVL.exe", here, exists));
    EXPECT_TRUE(StartsThisProgram("\"C:\\Program Files\\My Tools\\KVL.exe\"", here, exists));
}

TEST(Autostart, TaskManagersDisabledIsAnOddFirstByte) {
    EXPECT_TRUE(ApprovedToStart(std::nullopt));
    EXPECT_TRUE(ApprovedToStart(std::vector<std::uint8_t>{}));
    EXPECT_TRUE(ApprovedToStart(std::vector<std::uint8_t>{0x02, 0, 0}));
    EXPECT_TRUE(ApprovedToStart(std::vector<std::uint8_t>{0x06, 0, 0}));
    EXPECT_FALSE(ApprovedToStart(std::vector<std::uint8_t>{0x03, 0x9A, 0x11}));
    EXPECT_FALSE(ApprovedToStart(std::vector<std::uint8_t>{0x07}));
    EXPECT_TRUE(ApprovedToStart(ApprovedValue()));
}

}  // namespace
}  // namespace kvl
