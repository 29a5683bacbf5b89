#include "profile/stored_names.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

TEST(StoredNames, NamesCompareIgnoringCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"profile1", "PROFILE1", true},  {"Äpfel", "äPFEL", true}, {"Über", "über", true},
        {"profile1", "profile2", false}, {"a", "a ", false},       {"", "", true},
    };
    for (const auto& [a, b, same] : cases) EXPECT_EQ(SameNameIgnoringCase(a, b), same) << a << b;
}

TEST(StoredNames, BlankNames) {
    for (const char* name : {"", " ", "\t \r\n"}) EXPECT_TRUE(IsBlankName(name)) << name;
    for (const char* name : {"a", " a ", "."}) EXPECT_FALSE(IsBlankName(name)) << name;
}

TEST(StoredNames, OnlyPlainNamesBecomeFiles) {
    for (const char* name : {"2024_03_07_09_05_01_042", "a..b", ".hidden", "name with space"}) {
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    }
    for (const char* name : {"", ".", "..", "../x", "a/b", "a\\b", "/etc/passwd"}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
        EXPECT_FALSE(FileInFolder("/f", name, ".Json").has_value()) << name;
    }
    EXPECT_FALSE(IsPlainFileName(std::string_view("a\0b", 3)));
    EXPECT_EQ(FileInFolder("/f", "u1", ".Json"), std::filesystem::path("/f/u1.Json"));
}

}  // namespace
}  // namespace dz
