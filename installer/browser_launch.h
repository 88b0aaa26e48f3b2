#ifndef INSTALLER_BROWSER_LAUNCH_H_
#define INSTALLER_BROWSER_LAUNCH_H_

#include <string>
#include <string_view>

// The launch command as stored, with one pair of surrounding double quotes removed: when
// the text starts with a quote, that first character and the last one go. A text too short
// to hold both quotes (a lone quote) becomes empty.
std::wstring StripLaunchQuotes(std::wstring_view command);

// The ISO 639 language and ISO 3166 region of the user's default interface language. True
// when at least the language was found; the region is cleared when the language id names
// no sublanguage. Both are left unchanged on false.
bool GetUiLanguage(std::wstring& language, std::wstring& region);

// "http://<terms host>/orbavintel/terms/pc/?l=<language>&r=<region>", values unescaped.
std::wstring TermsPageAddress(const std::wstring& language, const std::wstring& region);

#endif  // INSTALLER_BROWSER_LAUNCH_H_
