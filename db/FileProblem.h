// Why a plot file could not be read or changed, told apart by SQLite's
// extended result code and the system's error number, and the words the
// program tells the user about it.
#pragma once

#include <string>

struct DatabaseProbe;

enum class FailureCause {
    None,
    ReadOnly,  // the file or its folder cannot be written
    Locked,    // another program holds the file's lock
    Full,      // no space left, or the file-size limit reached
    Damaged,   // SQLite finds the file malformed
    Other,
};

// One failed statement: what SQLite and the system said.
struct StatementFailure {
    FailureCause cause = FailureCause::None;
    int code = 0;         // SQLite's extended result code
    int systemError = 0;  // errno of the failing system call, 0 when none
    std::string message;  // SQLite's own text
};

FailureCause ClassifyFailure(int extendedCode, int systemError);

// What happened, to follow "because": "the file is locked by another program ...".
std::string DescribeFailure(const StatementFailure& failure);
// What the user can do about it; empty when there is nothing to suggest.
std::string RemedyFor(FailureCause cause);
// SQLite's code and text for a log line: "SQLite 5: database is locked".
std::string FailureDetails(const StatementFailure& failure);

// Why a probed file is refused, for the user; empty when it may be opened.
std::string ProbeRefusal(const DatabaseProbe& probe, const std::string& path);
