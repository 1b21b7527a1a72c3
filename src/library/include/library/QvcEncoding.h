#pragma once
// Text encodings.  Inside the system every text is UTF-8; devices and old files may
// still deliver ISO-8859-1 (the ANSI code page of the system this one replaces), where
// for example the degree sign is the single byte 0xB0.
#include <string>
#include <string_view>

// Appends the code point as UTF-8; code points beyond Unicode become "?".
void QvcAppendUtf8(std::string& out, char32_t codePoint);
// True when `text` is well-formed UTF-8 (plain ASCII is).
bool QvcIsValidUtf8(std::string_view text);
// Each byte taken as an ISO-8859-1 character.
std::string QvcLatin1ToUtf8(std::string_view text);
// UTF-8 to ISO-8859-1; characters beyond it, and malformed sequences, become "?".
std::string QvcUtf8ToLatin1(std::string_view text);
// `text` as UTF-8: unchanged when it already is, otherwise read as ISO-8859-1.
std::string QvcToUtf8(std::string_view text);
