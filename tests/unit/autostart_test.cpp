#include "app/autostart.h"

#include <gtest/gtest.h>

namespace kvl {
namespace {

TEST(Autostart, OnlyAValueThatStartsThisVeryCopyCountsAsTicked) {
    const std::string here = "C:\\Tools\\KVL\\KVL.exe";
    EXPECT_TRUE(StartsThisProgram(AutostartCommand(here), here));
    // Windows paths ignore letter case, and a value written by hand may be unquoted.
    EXPECT_TRUE(StartsThisProgram("\"c:\\tools\\kvl\\kvl.EXE\"", here));
    EXPECT_TRUE(StartsThisProgram("C:\\Tools\\KVL\\KVL.exe /minimized", here));
    // Another copy, a copy in a folder whose name starts like ours, nothing at all.
    EXPECT_FALSE(StartsThisProgram("\"D:\\Old\\KVL.exe\"", here));
    EXPECT_FALSE(StartsThisProgram("\"C:\\Tools\\KVL\\KVL.exe.bak\"", here));
    EXPECT_FALSE(StartsThisProgram("", here));
    EXPECT_FALSE(StartsThisProgram(std::nullopt, here));
}

}  // namespace
}  // namespace kvl
