#ifndef BASE_WIN_COMMAND_LINE_H_
#define BASE_WIN_COMMAND_LINE_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

// A program's command line split into the program, its switches and its plain arguments.
// One process-wide instance describes the running process; other instances describe
// programs to start. Switches are "--name=value", "-name=value" or "/name=value"; names are
// kept in lower case without prefix, and the last occurrence of a name wins. Not
// thread-safe; the process-wide instance is built once at start-up and only read after.
class CommandLineArgs {
 public:
  using SwitchMap = std::map<std::string, std::wstring>;

  // Builds the process-wide instance from GetCommandLineW. Returns false, changing
  // nothing, when it already exists.
  static bool InitForCurrentProcess();

  // The process-wide instance, or null before InitForCurrentProcess.
  static const CommandLineArgs* ForCurrentProcess();

  // Splits |commandLine| with the platform's own splitter (CommandLineToArgvW).
  static CommandLineArgs FromString(std::wstring_view commandLine);

  // Describes |program| with no switches and no arguments.
  static CommandLineArgs FromProgram(std::wstring program);

  // The value of switch |name| (lower case, no prefix) as ASCII. Empty when the switch is
  // absent, has no value, or its value holds a character above U+007F.
  std::string GetSwitchValueASCII(std::string_view name) const;

  // The UTF-16 value of switch |name| unchanged; empty when absent.
  std::wstring GetSwitchValueNative(std::string_view name) const;

  bool HasSwitch(std::string_view name) const;

  // The quoted program, then a space and GetArgumentsString() when that is not empty.
  std::wstring GetCommandLineString() const;

  // Every element after the program, quoted for CommandLineToArgvW, joined by spaces.
  std::wstring GetArgumentsString() const;

  std::wstring GetProgram() const { return argv.front(); }
  const std::vector<std::wstring>& GetArgv() const { return argv; }
  const SwitchMap& GetSwitches() const { return switches; }

  // The plain arguments, in order.
  std::vector<std::wstring> GetArgs() const;

 private:
  CommandLineArgs() = default;

  void ParseFromString(std::wstring_view commandLine);
  void AppendSwitch(const std::wstring& switchString, const std::wstring& value);

  // argv[0] is the program, then every switch in normalised form, then the plain arguments.
  std::vector<std::wstring> argv{std::wstring()};
  // Index in argv of the first plain argument.
  size_t beginArgs = 1;
  SwitchMap switches;
};

// Quotes |element| so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteForCommandLine(std::wstring_view element);

#endif  // BASE_WIN_COMMAND_LINE_H_
