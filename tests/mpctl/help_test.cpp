// `mpctl --help` and the README agree: the README shows the help as it is,
// and names every operation that the help of each group lists. The help
// lists every status of the library in the library's own words.
#include "mpctl_process.h"
#include "mpdll/mpdll.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace mpctl_test {
namespace {

std::string readme() {
    std::ifstream in(MPDLL_SOURCE_DIR "/README.md");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The names under "Subcommands:" in a help text.
std::vector<std::string> subcommands(const std::string& help) {
    std::vector<std::string> names;
    std::istringstream lines(help);
    std::string line;
    bool listing = false;
    while (std::getline(lines, line)) {
        if (line == "Subcommands:") {
            listing = true;
        } else if (listing && line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
            names.push_back(line.substr(2, line.find(' ', 2) - 2));
        } else if (listing && line.empty()) {
            break;
        }
    }
    return names;
}

// Every operation path, e.g. "query", "rx filter print", found by walking
// the help of each group.
void collect(const std::vector<std::string>& path, std::vector<std::string>& paths) {
    std::vector<std::string> args = path;
    args.push_back("--help");
    const ProcessResult run = run_mpctl(args);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::vector<std::string> names = subcommands(run.out);
    if (names.empty()) {
        std::string joined;
        for (const std::string& word : path) {
            joined += (joined.empty() ? "" : " ") + word;
        }
        paths.push_back(joined);
        return;
    }
    for (const std::string& name : names) {
        std::vector<std::string> longer = path;
        longer.push_back(name);
        collect(longer, paths);
    }
}

TEST(MpctlHelp, TheReadmeShowsTheHelpAsItIs) {
    const ProcessResult run = run_mpctl({"--help"});
    ASSERT_EQ(run.exit_code, 0);
    const std::string text = readme();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("```\n" + run.out + "```\n"), std::string::npos)
        << "README.md does not hold this `mpctl --help`:\n"
        << run.out;
}

TEST(MpctlHelp, TheReadmeNamesEveryOperation) {
    std::vector<std::string> paths;
    collect({}, paths);
    EXPECT_GT(paths.size(), 50u);  // every export has a way in
    const std::string text = readme();
    for (const std::string& path : paths) {
        EXPECT_NE(text.find("`" + path), std::string::npos) << "README.md does not name `" << path << "`";
    }
}

struct StatusWords {
    std::int32_t status;
    const char* name;
    const char* meaning;
};

TEST(MpctlHelp, ListsEveryStatusWithTheHeadersMeaning) {
#define MPCTL_TEST_STATUS(name, meaning) StatusWords{name, #name, meaning},
    const std::vector<StatusWords> statuses{MPDLL_STATUS_LIST(MPCTL_TEST_STATUS)};
#undef MPCTL_TEST_STATUS
    ASSERT_EQ(statuses.size(), 9u);
    const ProcessResult run = run_mpctl({"--help"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    for (const StatusWords& s : statuses) {
        const std::string line = "  " + std::to_string(s.status) + "  " + s.meaning + "\n";
        EXPECT_NE(run.out.find(line), std::string::npos) << s.name << ": the help lacks \"" << line << "\"";
    }
}

}  // namespace
}  // namespace mpctl_test
