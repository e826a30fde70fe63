// Tests of folders the program may not read: root reads everything, so as root the current
// test runs again in a child process as the unprivileged user 65534.
#pragma once

namespace testsupport {

// True when the caller is to run the test's body here (it does not run as root). As root the
// test is run again as the unprivileged user and its outcome becomes this test's; the test is
// skipped with a message when that is not possible. The test's folders must be readable by
// that user.
bool runBodyUnprivileged();

} // namespace testsupport
