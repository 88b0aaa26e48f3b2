#ifndef TESTS_NET_TEST_SERVER_H_
#define TESTS_NET_TEST_SERVER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/json/json_value.h"

// The local update server (tools/update_server) that tests/process/test_http_engine.py
// starts for a run of these tests, found through the environment:
//   ORBAVINTEL_TEST_SERVER        127.0.0.1:PORT
//   ORBAVINTEL_TEST_SERVER_LOG    Windows path of its request log
//   ORBAVINTEL_TEST_SERVER_FILES  Windows path of the folder it serves under /files/
struct TestServer {
  std::string hostPort;
  std::wstring logPath;
  std::wstring filesDir;

  // Nullopt when the variables are not set (the test is then skipped).
  static std::optional<TestServer> FromEnvironment();

  std::string Url(std::string_view path) const { return "http://" + hostPort + std::string(path); }

  // The log records of requests whose path (as sent) is |path|, in order.
  std::vector<JsonValue> RequestsTo(std::string_view path) const;

  // Makes /files/|name| serve |content|.
  bool PutFile(std::string_view name, const std::string& content) const;
};

std::optional<std::string> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& content);
bool FileExists(const std::wstring& path);
// A path in the temporary folder, with |name| made unique to this process.
std::wstring TempFilePath(std::wstring_view name);
// A TCP port on 127.0.0.1 that nothing listens on (bound once, then released).
uint16_t UnusedPort();
// The bytes the server's /bytes/N resource sends: byte i is i % 251.
std::string GeneratedBytes(size_t count);
// A log record's header value, or "" when absent.
std::string HeaderOf(const JsonValue& record, std::string_view name);

#endif  // TESTS_NET_TEST_SERVER_H_
