#include "updater/run_limits.h"

#include <limits>
#include <string>
#include <string_view>

#include "base/decimal_number.h"
#include "base/win/command_line.h"
#include "base/win/debug_output.h"
#include "updater/file_digest.h"

// A larger package could never pass its digest check; and the download's progress is counted
// in 32 bits.
static_assert(RunLimits::kDefaultMaxPackageBytes <= kMaxDigestInputBytes);
static_assert(kMaxDigestInputBytes < UINT32_MAX / 2);

namespace {

// Replaces |*value| with the value of switch |name| when it is a number from 1 to |*value|
// (|ceiling| false: any positive number |Number| holds).
template <typename Number>
void ReadLimitSwitch(const CommandLineArgs& args, const char* name, bool ceiling, Number* value) {
  const std::string text = args.GetSwitchValueASCII(name);
  if (text.empty())
    return;
  const uint64_t max = ceiling ? uint64_t{*value} : uint64_t{std::numeric_limits<Number>::max()};
  uint64_t parsed = 0;
  if (!ParseDecimalDigits(std::string_view(text), max, &parsed) || parsed == 0) {
    WriteDebugLineF("Ignoring malformed %s switch.\n", name);
    return;
  }
  *value = static_cast<Number>(parsed);
}

}  // namespace

RunLimits GetRunLimits(const CommandLineArgs& args) {
  RunLimits limits;
  ReadLimitSwitch(args, "check-deadline-ms", false, &limits.checkMs);
  ReadLimitSwitch(args, "low-speed-window-ms", false, &limits.lowSpeedWindowMs);
  ReadLimitSwitch(args, "max-package-bytes", true, &limits.maxPackageBytes);
  return limits;
}
