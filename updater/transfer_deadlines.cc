#include "updater/transfer_deadlines.h"

#include <charconv>
#include <string>

#include "base/command_line.h"
#include "base/win/debug_output.h"

namespace {

// Replaces |milliseconds| with the value of switch |name| when it is a positive number.
void ReadDeadlineSwitch(const CommandLineArgs& args, const char* name, uint32_t* milliseconds) {
  const std::string text = args.GetSwitchValueASCII(name);
  if (text.empty())
    return;
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  const std::from_chars_result parsed = std::from_chars(text.data(), end, value);
  if (parsed.ec != std::errc() || parsed.ptr != end || value == 0) {
    WriteDebugLineF("Ignoring malformed %s switch.\n", name);
    return;
  }
  *milliseconds = value;
}

}  // namespace

TransferDeadlines GetTransferDeadlines(const CommandLineArgs& args) {
  TransferDeadlines deadlines;
  ReadDeadlineSwitch(args, "check-deadline-ms", &deadlines.checkMs);
  ReadDeadlineSwitch(args, "stall-deadline-ms", &deadlines.stallMs);
  return deadlines;
}
