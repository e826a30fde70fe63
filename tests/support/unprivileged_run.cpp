#include "support/unprivileged_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace testsupport {

namespace {

constexpr int kCannotRun = 126;  // setpriv or the test program could not be started

std::string lf_currentTestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

// Runs the command; its output and exit code.
int lf_run(const std::string& command, std::string& output)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return kCannotRun;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kCannotRun;
}

void lf_skip(const std::string& output)
{
    GTEST_SKIP() << "needs a user without root's rights, and none could run it: " << output;
}

} // namespace

bool runBodyUnprivileged()
{
    if (geteuid() != 0) {
        return true;
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string output;
    const int code = error ? kCannotRun
                           : lf_run("setpriv --reuid=65534 --regid=65534 --clear-groups '" + self.string() +
                                        "' --gtest_filter='" + lf_currentTestName() + "'",
                                    output);
    if (code == kCannotRun || code == 127 || output.find("[ RUN      ]") == std::string::npos) {
        lf_skip(output);
        return false;
    }
    EXPECT_EQ(code, 0) << output;
    return false;
}

} // namespace testsupport
