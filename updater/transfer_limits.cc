#include "updater/transfer_limits.h"

#include <charconv>
#include <string>

#include "base/command_line.h"
#include "base/win/debug_output.h"
#include "updater/file_digest.h"

// A larger package could never pass its digest check; and the download's progress is counted
// in 32 bits.
static_assert(TransferLimits::kDefaultMaxPackageBytes <= kMaxDigestInputBytes);
static_assert(kMaxDigestInputBytes < UINT32_MAX / 2);

namespace {

// Replaces |*value| with the value of switch |name| when it is a number from 1 to |*value|
// (|ceiling| false: any positive number).
template <typename Number>
void ReadLimitSwitch(const CommandLineArgs& args, const char* name, bool ceiling, Number* value) {
  const std::string text = args.GetSwitchValueASCII(name);
  if (text.empty())
    return;
  Number parsed = 0;
  const char* end = text.data() + text.size();
  const std::from_chars_result result = std::from_chars(text.data(), end, parsed);
  if (result.ec != std::errc() || result.ptr != end || parsed == 0 ||
      (ceiling && parsed > *value)) {
    WriteDebugLineF("Ignoring malformed %s switch.\n", name);
    return;
  }
  *value = parsed;
}

}  // namespace

TransferLimits GetTransferLimits(const CommandLineArgs& args) {
  TransferLimits limits;
  ReadLimitSwitch(args, "check-deadline-ms", false, &limits.checkMs);
  ReadLimitSwitch(args, "stall-deadline-ms", false, &limits.lowSpeedWindowMs);
  ReadLimitSwitch(args, "max-package-bytes", true, &limits.maxPackageBytes);
  return limits;
}
