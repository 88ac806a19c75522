#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "install/jobs.h"
#include "install/job_outcome.h"

// The README's switch table is the job table's: every job's switch, in its order.
TEST(Readme, SwitchTableFollowsTheJobTable) {
    std::ifstream in(INSTALLER_SOURCE_DIR "/README.md");
    ASSERT_TRUE(in);
    std::stringstream content;
    content << in.rdbuf();
    std::string row = "| ";
    for (const Job& job : kJobs) {
        const std::wstring name = job.quietSwitch;
        row += std::string(row.size() > 2 ? ", " : "") + "`/" + std::string(name.begin(), name.end()) + "`";
    }
    row += " | with `/quiet` or `/passive`: only these;";
    EXPECT_NE(content.str().find(row), std::string::npos) << "the README has no row " << row;
}

// The README's exit-code table is the program's: every code, in its order, with its meaning.
TEST(Readme, ExitCodeTableIsTheProgramsOwn) {
    std::ifstream in(INSTALLER_SOURCE_DIR "/README.md");
    ASSERT_TRUE(in);
    std::stringstream content;
    content << in.rdbuf();
    std::string table = "| Exit code | Meaning |\n|---|---|\n";
    for (const ExitCodeRow& row : kExitCodes) table += "| " + std::to_string(row.code) + " | " + row.meaning + " |\n";
    EXPECT_NE(content.str().find(table), std::string::npos) << "the README has no table\n" << table;
}
