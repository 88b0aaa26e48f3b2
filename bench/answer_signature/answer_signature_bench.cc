// Times the check of an update answer's signature. Prints one "key=value" line for
// run_bench.sh; times in microseconds, medians of |iterations| calls.
//
//   answer_signature_bench REQUEST_FILE ANSWER_FILE HEADER_FILE [iterations]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/json/json_reader.h"
#include "updater/answer_signature.h"
#include "updater/answer_signature_format.h"
#include "updater/update_keys.h"

namespace {

double Microseconds() {
  return std::chrono::duration<double, std::micro>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool ReadFile(const wchar_t* path, std::string* content) {
  FILE* file = _wfopen(path, L"rb");
  if (!file)
    return false;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
    content->append(buffer, count);
  std::fclose(file);
  return true;
}

double Median(const std::function<void()>& work, int iterations) {
  std::vector<double> times;
  for (int i = 0; i < iterations; ++i) {
    const double start = Microseconds();
    work();
    times.push_back(Microseconds() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string request, answer, header;
  if (argc < 4 || !ReadFile(argv[1], &request) || !ReadFile(argv[2], &answer) ||
      !ReadFile(argv[3], &header)) {
    std::fprintf(stderr, "usage: answer_signature_bench REQUEST ANSWER HEADER [iterations]\n");
    return 2;
  }
  const int iterations = argc > 4 ? std::max(1, _wtoi(argv[4])) : 200;
  while (!header.empty() && (header.back() == '\n' || header.back() == '\r'))
    header.pop_back();
  const std::vector<std::string> headers = {header};

  double start = Microseconds();
  const AnswerCheck first = CheckAnswerSignature(kUpdateKeys, headers, request, answer);
  const double cold = Microseconds() - start;
  if (first != AnswerCheck::kAuthentic) {
    std::fprintf(stderr, "the answer did not verify\n");
    return 1;
  }
  bool allAuthentic = true;
  const double verify = Median(
      [&] {
        allAuthentic &=
            CheckAnswerSignature(kUpdateKeys, headers, request, answer) == AnswerCheck::kAuthentic;
      },
      iterations);
  const double digest = Median([&] { AnswerMessageDigest(request, answer); }, iterations);
  const double json =
      Median([&] { JsonReader::Read(answer, kJsonAllowTrailingCommas); }, iterations);
  std::printf(
      "signature iterations=%d cold_us=%.1f verify_us=%.1f digest_us=%.2f "
      "json_us=%.2f authentic=%d\n",
      iterations, cold, verify, digest, json, allAuthentic ? 1 : 0);
  return allAuthentic ? 0 : 1;
}
