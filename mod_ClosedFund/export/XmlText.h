// Text of the workbook's XML parts: UTF-16 in, UTF-8 out, escaped so that a reader gets
// every character back. XML 1.0 cannot hold NUL, the other controls below 0x20 but tab, LF
// and CR, U+FFFE, U+FFFF or half of a surrogate pair: those are left out and counted. A CR
// would reach a reader as LF, so it is written as the workbook's own escape "_x000D_"; a
// text that holds such an escape itself ("_x0041_") gets its underscore escaped
// ("_x005F_x0041_") so that it reads back as written.
#pragma once
#include <cstddef>
#include <string>

namespace ClosedFund {

// Appends the cell text (element content) to out; dropped counts the characters left out.
void appendXmlText(std::string& out, const wchar_t* text, size_t length, size_t& dropped);
// The same for an attribute value: quotes escaped too, the workbook's escapes not used, a
// CR, tab or LF written as a character reference.
void appendXmlAttribute(std::string& out, const wchar_t* text, size_t length, size_t& dropped);

// True when a reader would trim the text's blanks unless told to keep them: it begins or
// ends with a space, tab, LF or CR.
bool needsPreservedSpace(const wchar_t* text, size_t length);

} // namespace ClosedFund
