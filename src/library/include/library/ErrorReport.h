#pragma once
// Reports that never stop the program: they append a line to a file in the debug
// directory when that directory exists.  The directory is $SENTRELLE_DEBUG_DIR, by
// default /tmp/qvdebug; nothing is written when it does not exist.
#include "library/QvcString.h"

CQvcString QvcDebugDirectory();

// "<date time> (Error); file [<source>:<line>]; <text>" appended to "Quorvane.log".
void ReportError(const char* source, int line, const char* text);
void ReportWarning(const char* source, int line, const char* text);

// "[hh:mm:ss] QUORVANE ASSERTION FAILURE, FILE: [<file>]; LINE: <line>" appended to
// "assert.txt".  The program goes on.
void QvcAssertFailure(const char* file, long line);

#define QVC_ASSERT(condition)                                                                                  \
    do {                                                                                                       \
        if (!(condition))                                                                                      \
            QvcAssertFailure(__FILE__, __LINE__);                                                              \
    } while (0)
