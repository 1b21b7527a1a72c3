#pragma once
// CParserPs1: reads the header comment of a PowerShell script for the PowerShell check.
//
// A PowerShell check runs a whole .ps1 file with arguments; the file is the function, so
// no name is filled in.  The leading block of "#" comment lines gives the description,
// the usage and sample calls and the position of the parameter that takes the host:
//
//     # Description:
//     #     Checks a service
//     # Parameters:
//     #     1) strHost   - the computer
//     # Usage:
//     #     check.ps1 "<host>" <service>
//     # Sample:
//     #     check.ps1 "server1" 'Print Spooler'
#include "model/scripts/ParserScript.h"

class CParserPs1 final : public CParserScript {
public:
    CParserPs1();

    // Reads the leading comment block from the start of the file (empty lines are skipped,
    // the first other line that does not begin with "#" ends it) and fills the
    // description, usage, sample and host parameter position.  0, or -1 when no file is
    // open.
    int ReadHeader();

    // Splits a PowerShell call into words at blanks, keeping blanks inside single quotes
    // (the quotes stay part of the word): word 0 is the call name, the next words fill the
    // argument slots; at most kSlots words are taken, so the name and seven arguments.
    static void SplitCall(const CQvcString& line, CQvcString& name, Slots& args);
};
