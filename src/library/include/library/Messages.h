#pragma once
// The numbered user-interface texts, addressed by number.  One table for the whole
// product, so that the Manager, the command-line tool and the model show the same words.

// The text of message `id`, or nullptr when there is none.
const char* MessageText(unsigned id);
