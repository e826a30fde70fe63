// The main of every test program: each test starts from the state of a fresh process, so a
// test program passes when all its tests run in one process, in any order (--gtest_shuffle).
#include "platform/standin/desktop.h"
#include "support/program_state.h"

#include <gtest/gtest.h>

namespace {

class FreshStateListener : public ::testing::EmptyTestEventListener {
    // Runs before the test's fixture is built.
    void OnTestStart(const ::testing::TestInfo&) override { testsupport::resetBeforeEachTest(); }
};

} // namespace

int main(int argc, char** argv)
{
    // As in the program: SIGINT and SIGTERM close the main window. Started before any
    // other thread, so that every thread of the process leaves both signals to it.
    standin::startSignalWatcher();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStateListener);
    return RUN_ALL_TESTS();
}
