#include "base/win/command_line.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::wstring>;

TEST(CommandLineArgsTest, SplitsSwitchesAndPlainArguments) {
  const auto args =
      CommandLineArgs::FromString(L"prog.exe --version=1.2.3.4 /CLIENT=0x1 -lang=zh-CN extra");
  EXPECT_EQ(args.GetSwitchValueASCII("version"), "1.2.3.4");
  EXPECT_EQ(args.GetSwitchValueASCII("client"), "0x1");
  EXPECT_EQ(args.GetSwitchValueASCII("lang"), "zh-CN");
  EXPECT_EQ(args.GetArgs(), (Args{L"extra"}));
  EXPECT_EQ(args.GetArgv(),
            (Args{L"prog.exe", L"--version=1.2.3.4", L"/client=0x1", L"-lang=zh-CN", L"extra"}));
}

TEST(CommandLineArgsTest, SwitchesStandBeforeArgumentsInGivenOrder) {
  const auto args = CommandLineArgs::FromString(L"p a --b=1 c /D");
  EXPECT_EQ(args.GetArgv(), (Args{L"p", L"--b=1", L"/d", L"a", L"c"}));
}

TEST(CommandLineArgsTest, LastOccurrenceWins) {
  const auto args = CommandLineArgs::FromString(L"p --Version=1 --version=2");
  EXPECT_EQ(args.GetSwitchValueASCII("version"), "2");
  EXPECT_EQ(args.GetSwitches().size(), 1u);
}

TEST(CommandLineArgsTest, TerminatorEndsSwitchRecognition) {
  const auto args = CommandLineArgs::FromString(L"p -- --version=1");
  EXPECT_TRUE(args.GetSwitches().empty());
  EXPECT_EQ(args.GetArgs(), (Args{L"--", L"--version=1"}));
}

TEST(CommandLineArgsTest, SwitchWithoutValueExistsButReadsEmpty) {
  const auto args = CommandLineArgs::FromString(L"p --version");
  EXPECT_TRUE(args.HasSwitch("version"));
  EXPECT_EQ(args.GetSwitchValueASCII("version"), "");
  EXPECT_EQ(args.GetArgv()[1], L"--version");
}

TEST(CommandLineArgsTest, NonAsciiValueReadsEmptyAsAscii) {
  const auto args = CommandLineArgs::FromString(L"p --lang=zh\u4E2D");
  EXPECT_EQ(args.GetSwitchValueASCII("lang"), "");
  EXPECT_EQ(args.GetSwitchValueNative("lang"), L"zh\u4E2D");
}

TEST(CommandLineArgsTest, LonePrefixesArePlainArguments) {
  const auto args = CommandLineArgs::FromString(L"p - / -- --x=1");
  EXPECT_TRUE(args.GetSwitches().empty());
  EXPECT_EQ(args.GetArgs(), (Args{L"-", L"/", L"--", L"--x=1"}));
}

TEST(CommandLineArgsTest, LaterEqualsSignsBelongToTheValue) {
  const auto args = CommandLineArgs::FromString(L"p --x=a=b");
  EXPECT_EQ(args.GetSwitchValueASCII("x"), "a=b");
}

TEST(CommandLineArgsTest, WhiteSpaceIsTrimmedFromLineAndArguments) {
  const auto args = CommandLineArgs::FromString(L"\u3000 p \"   \" \"\u00A0--a=1 \" ");
  EXPECT_EQ(args.GetProgram(), L"p");
  EXPECT_EQ(args.GetSwitchValueASCII("a"), "1");
  EXPECT_EQ(args.GetArgs(), (Args{L""}));
}

TEST(CommandLineArgsTest, EmptyLineKeepsEmptyProgram) {
  const auto args = CommandLineArgs::FromString(L" \t ");
  EXPECT_EQ(args.GetArgv(), (Args{L""}));
  EXPECT_TRUE(args.GetSwitches().empty());
}

TEST(CommandLineArgsTest, LookupNeedsLowerCaseName) {
  const auto args = CommandLineArgs::FromString(L"p --Lang=en");
  EXPECT_EQ(args.GetSwitchValueASCII("lang"), "en");
  EXPECT_EQ(args.GetSwitchValueASCII("Lang"), "");
}

TEST(CommandLineQuotingTest, FollowsTheSplittersRulesInReverse) {
  EXPECT_EQ(QuoteForCommandLine(L"abc"), L"abc");
  EXPECT_EQ(QuoteForCommandLine(L"C:\\Program Files\\x.exe"), L"\"C:\\Program Files\\x.exe\"");
  EXPECT_EQ(QuoteForCommandLine(L"a\\\"b"), L"\"a\\\\\\\"b\"");
  EXPECT_EQ(QuoteForCommandLine(L"a\\"), L"\"a\\\\\"");
}

TEST(CommandLineQuotingTest, RenderedLineSplitsBackIntoTheSameElements) {
  const Args tricky = {L"plain", L"with space", L"a\\\"b", L"trail\\", L"x\\\\y z", L"\"q\""};
  auto args = CommandLineArgs::FromProgram(L"C:\\dir with space\\p.exe");
  std::wstring line = args.GetCommandLineString();
  for (const auto& element : tricky)
    line += L" " + QuoteForCommandLine(element);
  const auto parsed = CommandLineArgs::FromString(line);
  EXPECT_EQ(parsed.GetProgram(), L"C:\\dir with space\\p.exe");
  EXPECT_EQ(parsed.GetArgs(), tricky);
}

TEST(CommandLineQuotingTest, CommandLineStringRendersSwitchesAndArguments) {
  const auto args = CommandLineArgs::FromString(L"\"C:\\a b\\p.exe\" --k=\"v w\" --flag x");
  EXPECT_EQ(args.GetCommandLineString(), L"\"C:\\a b\\p.exe\" --k=\"v w\" --flag x");
  EXPECT_EQ(CommandLineArgs::FromProgram(L"C:\\x\\setup.exe").GetCommandLineString(),
            L"\"C:\\x\\setup.exe\"");
  EXPECT_EQ(CommandLineArgs::FromProgram(L"C:\\x\\setup.exe").GetArgumentsString(), L"");
  // A Latin-1 name keeps its code points: only A-Z fold, nothing sign-extends.
  const auto latin = CommandLineArgs::FromString(L"p -\u00C9X=1");
  EXPECT_EQ(latin.GetArgv()[1], L"-\u00C9x=1");
  EXPECT_EQ(latin.GetCommandLineString(), L"p -\u00C9x=1");
}

}  // namespace
