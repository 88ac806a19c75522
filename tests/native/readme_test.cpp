#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "install/features.h"

// The README's switch table is the feature table's: every job's switch, in its order.
TEST(Readme, SwitchTableFollowsTheFeatureTable) {
    std::ifstream in(INSTALLER_SOURCE_DIR "/README.md");
    ASSERT_TRUE(in);
    std::stringstream content;
    content << in.rdbuf();
    std::string row = "| ";
    for (const Feature& feature : kFeatures) {
        const std::wstring name = feature.quietSwitch;
        row += std::string(row.size() > 2 ? ", " : "") + "`/" + std::string(name.begin(), name.end()) + "`";
    }
    row += " | with `/quiet`: only these;";
    EXPECT_NE(content.str().find(row), std::string::npos) << "the README has no row " << row;
}
