// Measures SHA-256 speed. Prints one "key=value" line per measurement for run_bench.sh.
//
//   sha256_bench memory [MiB]           in-memory throughput of both compression functions
//   sha256_bench file PATH [--portable] GetFileSha256Hex on PATH, timed inside the process

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "updater/file_digest.h"
#include "base/sha256.h"

namespace {

double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

const char* EngineName(bool shaExtensions) {
  return shaExtensions ? "sha-extensions" : "portable";
}

// Best of three passes over |data|, so another process's burst does not decide the figure.
void MeasureMemory(Sha256Engine engine, const std::vector<uint8_t>& data) {
  double best = 1e30;
  std::vector<uint8_t> digest;
  bool shaExtensions = false;
  for (int pass = 0; pass < 3; ++pass) {
    Sha256Hasher hasher(engine);
    shaExtensions = hasher.UsesShaExtensions();
    const double start = Seconds();
    hasher.Update(data.data(), data.size());
    digest = hasher.Finish();
    const double elapsed = Seconds() - start;
    if (elapsed < best)
      best = elapsed;
  }
  std::printf("memory engine=%s bytes=%zu seconds=%.4f mb_per_s=%.1f digest_byte0=%02x\n",
              EngineName(shaExtensions), data.size(), best, data.size() / best / 1e6, digest[0]);
}

int RunMemory(int mebibytes) {
  std::vector<uint8_t> data(static_cast<size_t>(mebibytes) << 20);
  std::mt19937_64 random(42);
  for (size_t i = 0; i + 8 <= data.size(); i += 8) {
    const uint64_t value = random();
    std::memcpy(data.data() + i, &value, 8);
  }
  std::printf("cpu sha_extensions=%d\n", CpuHasShaExtensions() ? 1 : 0);
  MeasureMemory(Sha256Engine::kFastest, data);
  MeasureMemory(Sha256Engine::kPortable, data);
  return 0;
}

int RunFile(const std::wstring& path, bool portable) {
  if (portable)
    SetDefaultSha256Engine(Sha256Engine::kPortable);
  std::string digest;
  const double start = Seconds();
  const HRESULT status = GetFileSha256Hex(path, &digest);
  const double elapsed = Seconds() - start;
  if (FAILED(status)) {
    std::fprintf(stderr, "GetFileSha256Hex failed: 0x%08lx\n", static_cast<unsigned long>(status));
    return 1;
  }
  // The whole process's peak, Wine's own share included: it must not follow the file size.
  PROCESS_MEMORY_COUNTERS memory = {};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
  std::printf("file engine=%s seconds=%.4f peak_mib=%.1f digest=%s\n",
              EngineName(Sha256Hasher().UsesShaExtensions()), elapsed,
              memory.PeakWorkingSetSize / 1048576.0, digest.c_str());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"memory")
    return RunMemory(argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 256);
  if (mode == L"file" && argc > 2)
    return RunFile(argv[2], argc > 3 && std::wstring(argv[3]) == L"--portable");
  std::fprintf(stderr, "usage: sha256_bench memory [MiB] | file PATH [--portable]\n");
  return 2;
}
