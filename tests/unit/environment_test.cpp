#include <gtest/gtest.h>

#include <vector>

#include "sys/environment.h"

namespace {
// An environment block: each variable ended by a NUL, and one more at the end.
std::wstring Block(const std::vector<std::wstring>& variables) {
    std::wstring block;
    for (const std::wstring& variable : variables) block += variable + L'\0';
    return block + L'\0';
}
}  // namespace

// What is started gets TEMP and TMP of its job folder, whatever case the
// caller's block spells them in; the rest of the block stays as it was.
TEST(Environment, StartedProgramsGetTheirOwnTemporaryFolder) {
    const std::vector<std::pair<std::wstring, std::wstring>> temp = {{L"TEMP", L"C:\\job\\temp"},
                                                                     {L"TMP", L"C:\\job\\temp"}};
    EXPECT_EQ(EnvironmentWith(Block({L"=C:=C:\\x", L"Path=C:\\W", L"temp=C:\\u\\Temp", L"TMP=C:\\u\\Temp"}), temp),
              Block({L"=C:=C:\\x", L"Path=C:\\W", L"TEMP=C:\\job\\temp", L"TMP=C:\\job\\temp"}));
    EXPECT_EQ(EnvironmentWith(Block({}), temp), Block({L"TEMP=C:\\job\\temp", L"TMP=C:\\job\\temp"}));
    EXPECT_EQ(EnvironmentWith(Block({L"TEMPLATE=x"}), temp),  // another name that starts alike stays
              Block({L"TEMPLATE=x", L"TEMP=C:\\job\\temp", L"TMP=C:\\job\\temp"}));
}
