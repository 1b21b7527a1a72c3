#pragma once
// CParserVBScript: reads the functions of a VBScript file for the VBScript check.
//
// A VBScript check calls one `Function` of a .vbs file.  The reader walks the file from
// function to function and, for each, gives its name, its declared parameters and what its
// header comment says: the description, the usage and sample calls split into a name and
// argument slots, and the position of the parameter that takes the monitored host.
//
//     Function CheckDisk(strHost, numLimit)
//     ' Description:
//     '     Checks the free space of a disk
//     ' Parameters:
//     '     1) strHost   - the computer
//     ' Usage:
//     '     CheckDisk("<host>", <limit>)
//     ' Sample:
//     '     CheckDisk("server1", 500)
//         ...
//     End Function
#include "model/scripts/ParserScript.h"

class CParserVBScript final : public CParserScript {
public:
    CParserVBScript();

    // Reads on from the current position to the end of the next function; 0 when its end
    // line was reached, -1 at the end of the file (what was gathered so far stays).
    int ReadNextFunction();
    // Reads function after function until one is named `name` (letter case ignored);
    // 0 when found, with its description held, -1 when the file ends first.
    int FindFunction(const CQvcString& name);
    // Reads the rest of the file from the current position into `text`, every line
    // untouched, except the named function (letter case ignored) from its declaration up
    // to and including its end line.  0, or -1 when no file is open.
    int CopyWithoutFunction(const CQvcString& name, CQvcString& text);

    // A trimmed line that begins, letter case ignored, with "Function" and a blank or a
    // tab and ends with ")".  Public or Private declarations, and declarations followed by
    // a comment, are not recognised.
    static bool IsFunctionLine(const CQvcString& line);
    // A line whose first two fields, split at single blanks, are "End" and "Function"
    // (letter case ignored): "End Function ' done" ends a function, "End  Function" not.
    static bool IsEndFunctionLine(const CQvcString& line);
    // Splits a declaration (`isDeclaration`: the name is the word after "Function") or a
    // usage or sample call (the name is the first word): the text from the last ")" on is
    // cut off, the rest split at the first "(" into the head, which gives the name, and
    // the argument list, split at "," into at most kSlots trimmed arguments.
    static void SplitCall(const CQvcString& line, bool isDeclaration, CQvcString& name, Slots& args);
};
