#include "base/win/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "base/win/scoped_handle.h"

namespace {

constexpr std::wstring_view kSwitchPrefixes[] = {L"--", L"-", L"/"};
constexpr std::wstring_view kSwitchTerminator = L"--";
constexpr wchar_t kSwitchValueSeparator = L'=';

CommandLineArgs* g_currentProcess = nullptr;

bool IsCommandLineSpace(wchar_t c) {
  return (c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x0085 || c == 0x00A0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// Length of the first prefix |element| starts with, or 0.
size_t SwitchPrefixLength(std::wstring_view element) {
  for (std::wstring_view prefix : kSwitchPrefixes) {
    if (element.substr(0, prefix.size()) == prefix)
      return prefix.size();
  }
  return 0;
}

// Splits |element| into switch string and value when it is a switch. A prefix alone
// ("-", "--", "/") is a plain argument.
bool IsSwitch(std::wstring_view element, std::wstring* switchString, std::wstring* value) {
  const size_t prefixLength = SwitchPrefixLength(element);
  if (prefixLength == 0 || prefixLength == element.size())
    return false;
  const size_t separator = element.find(kSwitchValueSeparator);
  *switchString = std::wstring(element.substr(0, separator));
  *value = separator == std::wstring_view::npos ? std::wstring()
                                                : std::wstring(element.substr(separator + 1));
  return true;
}

// Trims the command line's white-space set from both ends of |text|.
std::wstring_view TrimCommandLineSpace(std::wstring_view text) {
  while (!text.empty() && IsCommandLineSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsCommandLineSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::wstring QuoteForCommandLine(std::wstring_view element) {
  if (element.find_first_of(L" \\\"") == std::wstring_view::npos)
    return std::wstring(element);

  // CommandLineToArgvW halves backslashes only before a quote, so double exactly those
  // runs, including the run that ends up before our closing quote.
  std::wstring quoted = L"\"";
  for (size_t i = 0; i < element.size(); ++i) {
    size_t backslashes = 0;
    while (i < element.size() && element[i] == L'\\') {
      ++backslashes;
      ++i;
    }
    if (i == element.size()) {
      quoted.append(backslashes * 2, L'\\');
      break;
    }
    if (element[i] == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
      quoted += L'"';
    } else {
      quoted.append(backslashes, L'\\');
      quoted += element[i];
    }
  }
  quoted += L'"';
  return quoted;
}

bool CommandLineArgs::InitForCurrentProcess() {
  if (g_currentProcess)
    return false;
  g_currentProcess = new CommandLineArgs(FromString(::GetCommandLineW()));
  return true;
}

const CommandLineArgs* CommandLineArgs::ForCurrentProcess() {
  return g_currentProcess;
}

CommandLineArgs CommandLineArgs::FromString(std::wstring_view commandLine) {
  CommandLineArgs args;
  args.ParseFromString(commandLine);
  return args;
}

CommandLineArgs CommandLineArgs::FromProgram(std::wstring program) {
  CommandLineArgs args;
  args.argv.front() = std::move(program);
  return args;
}

void CommandLineArgs::ParseFromString(std::wstring_view commandLine) {
  argv.assign(1, std::wstring());
  switches.clear();
  beginArgs = 1;

  const std::wstring trimmed(TrimCommandLineSpace(commandLine));
  if (trimmed.empty())
    return;
  int count = 0;
  LPWSTR* const parts = ::CommandLineToArgvW(trimmed.c_str(), &count);
  if (!parts)
    return;
  UniqueLocalMemory partsMemory(parts);

  argv.front() = std::wstring(TrimCommandLineSpace(parts[0]));
  bool recogniseSwitches = true;
  for (int i = 1; i < count; ++i) {
    const std::wstring_view element = TrimCommandLineSpace(parts[i]);
    if (element == kSwitchTerminator)
      recogniseSwitches = false;
    std::wstring switchString;
    std::wstring value;
    if (recogniseSwitches && IsSwitch(element, &switchString, &value))
      AppendSwitch(switchString, value);
    else
      argv.emplace_back(element);
  }
}

void CommandLineArgs::AppendSwitch(const std::wstring& switchString, const std::wstring& value) {
  // Names are ASCII by contract; keep the low byte of each unit and fold only A-Z.
  std::string lowered;
  lowered.reserve(switchString.size());
  for (wchar_t unit : switchString) {
    char c = static_cast<char>(unit & 0xFF);
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    lowered += c;
  }
  // Widen through unsigned char: a plain char would sign-extend 0xE9 to U+FFE9.
  std::wstring loweredWide;
  loweredWide.reserve(lowered.size());
  for (char c : lowered)
    loweredWide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  const size_t prefixLength = SwitchPrefixLength(loweredWide);
  switches[lowered.substr(prefixLength)] = value;

  std::wstring normalised = prefixLength == 0 ? L"--" + loweredWide : loweredWide;
  if (!value.empty())
    normalised += kSwitchValueSeparator + value;
  argv.insert(argv.begin() + static_cast<std::ptrdiff_t>(beginArgs), std::move(normalised));
  ++beginArgs;
}

std::string CommandLineArgs::GetSwitchValueASCII(std::string_view name) const {
  const std::wstring value = GetSwitchValueNative(name);
  std::string ascii;
  ascii.reserve(value.size());
  for (wchar_t c : value) {
    if (c > 0x7F)
      return std::string();
    ascii += static_cast<char>(c);
  }
  return ascii;
}

std::wstring CommandLineArgs::GetSwitchValueNative(std::string_view name) const {
  const auto it = switches.find(std::string(name));
  return it == switches.end() ? std::wstring() : it->second;
}

bool CommandLineArgs::HasSwitch(std::string_view name) const {
  return switches.find(std::string(name)) != switches.end();
}

std::vector<std::wstring> CommandLineArgs::GetArgs() const {
  return std::vector<std::wstring>(argv.begin() + static_cast<std::ptrdiff_t>(beginArgs),
                                   argv.end());
}

std::wstring CommandLineArgs::GetArgumentsString() const {
  std::wstring result;
  bool recogniseSwitches = true;
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::wstring& element = argv[i];
    if (element == kSwitchTerminator)
      recogniseSwitches = false;
    if (i > 1)
      result += L' ';
    std::wstring switchString;
    std::wstring value;
    if (recogniseSwitches && IsSwitch(element, &switchString, &value)) {
      result += switchString;
      if (!value.empty())
        result += kSwitchValueSeparator + QuoteForCommandLine(value);
    } else {
      result += QuoteForCommandLine(element);
    }
  }
  return result;
}

std::wstring CommandLineArgs::GetCommandLineString() const {
  std::wstring result = QuoteForCommandLine(argv.front());
  const std::wstring arguments = GetArgumentsString();
  if (!arguments.empty())
    result += L' ' + arguments;
  return result;
}
