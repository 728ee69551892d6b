#include "db/FileProblem.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>

#include "base/Text.h"
#include "db/Connection.h"
#include "db/Database.h"

namespace {

// "5 seconds", "1 second", "0.2 seconds".
std::string LockWaitText() {
    const long long ms = Connection::LockWait().count();
    char text[48];
    if (ms % 1000 == 0) {
        std::snprintf(text, sizeof text, "%lld second%s", ms / 1000, ms == 1000 ? "" : "s");
    } else {
        std::snprintf(text, sizeof text, "%.1f seconds", double(ms) / 1000.0);
    }
    return text;
}

FailureCause CauseOfSystemError(int systemError) {
    switch (systemError) {
        case EROFS:
        case EACCES:
        case EPERM:
            return FailureCause::ReadOnly;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FailureCause::Full;
        default:
            return FailureCause::Other;
    }
}

}  // namespace

FailureCause ClassifyFailure(int extendedCode, int systemError) {
    switch (extendedCode & 0xff) {
        case SQLITE_OK:
            return FailureCause::None;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return FailureCause::ReadOnly;
        case SQLITE_CANTOPEN:
            // The journal cannot be made beside the file: its folder is read-only.
            return systemError == 0 ? FailureCause::ReadOnly : CauseOfSystemError(systemError);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return FailureCause::Locked;
        case SQLITE_FULL:
            return FailureCause::Full;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return FailureCause::Damaged;
        case SQLITE_IOERR:
            // A write past the file-size limit fails with EFBIG, a full disk
            // in the middle of a page with ENOSPC.
            return CauseOfSystemError(systemError);
        default:
            return FailureCause::Other;
    }
}

std::string DescribeFailure(const StatementFailure& failure) {
    switch (failure.cause) {
        case FailureCause::ReadOnly:
            return "the file cannot be written: the file or its folder is read-only";
        case FailureCause::Locked:
            return "the file is locked by another program, which kept it locked for longer "
                   "than " +
                   LockWaitText();
        case FailureCause::Full:
            return "the disk or file system is full, or the file has reached the largest size "
                   "allowed";
        case FailureCause::Damaged:
            return "the file is damaged (SQLite says: " + failure.message + ")";
        case FailureCause::None:
        case FailureCause::Other:
            break;
    }
    return "SQLite could not write it (" + FailureDetails(failure) + ")";
}

std::string RemedyFor(FailureCause cause) {
    switch (cause) {
        case FailureCause::ReadOnly:
            return "Copy the file into a folder you can write and open the copy.";
        case FailureCause::Locked:
            return "Close the other program, or let it finish its change, and open the file "
                   "again.";
        case FailureCause::Full:
            return "Free some space on the disk, or raise the file-size limit, and open the file "
                   "again.";
        case FailureCause::Damaged:
            return "Open a backup copy of the file instead, or repair a copy with the sqlite3 "
                   "program's .recover command.";
        case FailureCause::None:
        case FailureCause::Other:
            break;
    }
    return "";
}

std::string FailureDetails(const StatementFailure& failure) {
    std::string details = "SQLite " + std::to_string(failure.code) + ": " + failure.message;
    if (failure.systemError != 0) {
        details += ", system error " + std::to_string(failure.systemError);
    }
    return details;
}

std::string ProbeRefusal(const DatabaseProbe& probe, const std::string& path) {
    const std::string file = Quoted(path);
    if (probe.needsRecovery) {
        return file +
               " cannot be opened: a program stopped in the middle of changing it, and undoing "
               "that change means writing to the file, but the file or its folder is read-only. "
               "Copy the file together with its \"-journal\" file into a folder you can write "
               "and open the copy.";
    }
    if (probe.locked) {
        StatementFailure locked;
        locked.cause = FailureCause::Locked;
        return file + " cannot be opened because " + DescribeFailure(locked) + ". " +
               RemedyFor(FailureCause::Locked);
    }
    if (!probe.isDatabase) {
        return file + " cannot be opened: it is not an SQLite database, or it is damaged.";
    }
    if (!probe.hasGrid && !probe.hasStem) {
        return file + " holds no plot data: it has neither a grid table nor a stem table.";
    }
    return "";
}
