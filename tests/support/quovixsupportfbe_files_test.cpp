// The mapping of system errors to run-time error numbers (the file tests and a missing
// folder's number are checked through the public classes: tests/filelib).
#include <gtest/gtest.h>

#include <cerrno>

#include "support/quovixsupportfbe.h"

namespace {

TEST(ErrorMapping, SystemErrorsBecomeTheFileRuntimesNumbers)
{
    const struct {
        int error;
        std::int32_t number;
    } cases[] = {
        {ENOENT, 53}, {ENOTDIR, 76}, {EACCES, 75}, {ETXTBSY, 70}, {ENOSPC, 61}, {EDQUOT, 61}, {EIO, 57},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(esWin32ErrorToVBAErrorIO(c.error), c.number);
    }
}

}  // namespace
