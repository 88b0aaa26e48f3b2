#ifndef BASE_WIN_TEXT_CONVERSION_H_
#define BASE_WIN_TEXT_CONVERSION_H_

#include <string>
#include <string_view>

// Conversions through the platform's code-page functions. Invalid input sequences are
// replaced the way the platform replaces them; empty input gives empty output.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// To the ANSI code page, as the platform's "A" functions convert what they return: characters
// the code page lacks become its best fit or its default character.
std::string WideToAnsi(std::wstring_view text);

#endif  // BASE_WIN_TEXT_CONVERSION_H_
