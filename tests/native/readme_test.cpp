#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "i18n/catalogue.h"
#include "install/jobs.h"
#include "install/job_outcome.h"
#include "quiet/switches.h"
#include "sys/utf8.h"

// The README's switch table is the program's: every switch in its order,
// the jobs' in the job table's, with what each does.
TEST(Readme, SwitchTableIsTheProgramsOwn) {
    std::ifstream in(INSTALLER_SOURCE_DIR "/README.md");
    ASSERT_TRUE(in);
    std::stringstream content;
    content << in.rdbuf();
    std::string languages;
    for (const wchar_t* code : kLanguageCodes) languages += (languages.empty() ? "" : " ") + WideToUtf8(code);
    std::string table = "| Switch | Meaning |\n|---|---|\n";
    for (const Switch& row : kSwitches) {
        std::string head;
        if (*row.name) {
            head = "`/" + WideToUtf8(row.name) + (row.value ? " " + WideToUtf8(row.value) : "") + "`";
        } else {
            for (const Job& job : kJobs) head += (head.empty() ? "`/" : ", `/") + WideToUtf8(job.quietSwitch) + "`";
        }
        std::string meaning = row.readme;
        const std::size_t at = meaning.find("{languages}");
        if (at != std::string::npos) meaning.replace(at, 11, languages);
        table += "| " + head + " | " + meaning + " |\n";
    }
    EXPECT_NE(content.str().find(table), std::string::npos) << "the README has no table\n" << table;
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

namespace {
std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Each match's group in text.
std::set<std::string> Matches(const std::string& text, const std::regex& pattern, int group) {
    std::set<std::string> found;
    for (std::sregex_iterator m(text.begin(), text.end(), pattern), end; m != end; ++m) found.insert((*m)[group]);
    return found;
}
}  // namespace

// README's map is the tree's: the portable files where it says, and the
// folders including only what its table allows.
TEST(Readme, TheMapIsTheTrees) {
    const std::filesystem::path src = INSTALLER_SOURCE_DIR "/src";
    const std::string readme = FileText(INSTALLER_SOURCE_DIR "/README.md");
    const std::string map = readme.substr(readme.find("Files ending in `_win.cpp`"));
    // Portable: the library's own list, and in the window's folders the files README names.
    const std::string lists = FileText(src / "CMakeLists.txt");
    const std::set<std::string> portable =
        Matches(lists.substr(0, lists.find(')')), std::regex(R"(\w+/\w+\.cpp)"), 0);
    const std::set<std::string> named =
        Matches(map.substr(0, map.find("The includes")), std::regex(R"(`((app|ui|framework)/\w+\.cpp)`)"), 1);
    EXPECT_EQ(named.size(), 5u);
    for (const std::string& file : named) EXPECT_EQ(portable.count(file), 1u) << "README calls " << file << " portable";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
        if (entry.path().extension() != ".cpp") continue;
        const std::string file = std::filesystem::relative(entry.path(), src).generic_string();
        const std::string folder = file.substr(0, file.find('/'));
        const bool windows = file.size() > 8 && file.compare(file.size() - 8, 8, "_win.cpp") == 0;
        const bool windowFolder = folder == "app" || folder == "ui" || folder == "framework";
        // A _win file is never portable; outside the window's folders every other one is; inside, those named.
        const std::size_t expected = windows ? 0u : windowFolder ? named.count(file) : 1u;
        EXPECT_EQ(portable.count(file), expected) << file << ": README's map and the build differ";
    }
    // Includes: each folder's row of the table.
    std::map<std::string, std::set<std::string>> allowed;
    const std::string table = map.substr(map.find("| Folder | Includes |"));
    std::istringstream rows(table.substr(0, table.find("\n\n")));
    for (std::string row; std::getline(rows, row);) {
        std::smatch m;
        if (!std::regex_match(row, m, std::regex(R"(\| (\w+) \|([\w ]*)\|)"))) continue;
        allowed[m[1]] = Matches(m[2].str(), std::regex(R"(\w+)"), 0);
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
        const std::string file = std::filesystem::relative(entry.path(), src).generic_string();
        if (!entry.is_regular_file() || file.find('/') == std::string::npos) continue;
        const std::string folder = file.substr(0, file.find('/'));
        ASSERT_EQ(allowed.count(folder), 1u) << "README's table has no row for " << folder;
        EXPECT_NE(readme.find("src/" + folder + "/"), std::string::npos) << "README's layout has no src/" << folder;
        for (const std::string& included : Matches(FileText(entry.path()), std::regex(R"(#include "(\w+)/)"), 1))
            EXPECT_TRUE(included == folder || allowed[folder].count(included)) << file << " includes " << included;
    }
}
