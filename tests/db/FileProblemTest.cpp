#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>

#include "db/FileProblem.h"

TEST(FileProblem, CausesComeFromTheExtendedCodeAndTheSystemError) {
    struct Case {
        int code;
        int systemError;
        FailureCause cause;
    };
    const Case cases[] = {
        {SQLITE_READONLY_DBMOVED, 0, FailureCause::ReadOnly},
        {SQLITE_CANTOPEN, EACCES, FailureCause::ReadOnly},  // no journal in a read-only folder
        {SQLITE_IOERR_WRITE, EROFS, FailureCause::ReadOnly},
        {SQLITE_BUSY, 0, FailureCause::Locked},
        {SQLITE_BUSY_SNAPSHOT, 0, FailureCause::Locked},
        {SQLITE_FULL, 0, FailureCause::Full},
        {SQLITE_IOERR_WRITE, EFBIG, FailureCause::Full},  // the file-size limit
        {SQLITE_IOERR_FSYNC, ENOSPC, FailureCause::Full},
        {SQLITE_CORRUPT_INDEX, 0, FailureCause::Damaged},
        {SQLITE_NOTADB, 0, FailureCause::Damaged},
        {SQLITE_IOERR_READ, EIO, FailureCause::Other},
        {SQLITE_CONSTRAINT, 0, FailureCause::Other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyFailure(c.code, c.systemError), c.cause)
            << c.code << " errno " << c.systemError;
    }
}
