#include "tests/net/test_server.h"

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "base/json/json_reader.h"
#include "base/win/scoped_handle.h"
#include "base/win/text_conversion.h"

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
  if (length == 0 || length >= 1024)
    return std::wstring();
  return std::wstring(value, length);
}

}  // namespace

std::optional<TestServer> TestServer::FromEnvironment() {
  TestServer server;
  server.hostPort = WideToUtf8(Environment(L"ORBAVINTEL_TEST_SERVER"));
  server.logPath = Environment(L"ORBAVINTEL_TEST_SERVER_LOG");
  server.filesDir = Environment(L"ORBAVINTEL_TEST_SERVER_FILES");
  if (server.hostPort.empty() || server.logPath.empty() || server.filesDir.empty())
    return std::nullopt;
  return server;
}

std::vector<JsonValue> TestServer::RequestsTo(std::string_view path) const {
  std::vector<JsonValue> records;
  const std::optional<std::string> log = ReadFileBytes(logPath);
  if (!log)
    return records;
  size_t start = 0;
  while (start < log->size()) {
    size_t end = log->find('\n', start);
    if (end == std::string::npos)
      end = log->size();
    std::optional<JsonValue> record =
        JsonReader::Read(std::string_view(*log).substr(start, end - start));
    start = end + 1;
    if (!record)
      continue;
    const std::string* recordPath = record->FindString("path");
    if (recordPath && *recordPath == path)
      records.push_back(std::move(*record));
  }
  return records;
}

bool TestServer::PutFile(std::string_view name, const std::string& content) const {
  return WriteFileBytes(filesDir + L"\\" + Utf8ToWide(name), content);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  // The server may be appending to its log: share for reading and writing.
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid())
    return std::nullopt;
  std::string content;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    content.append(buffer, read);
  return content;
}

bool WriteFileBytes(const std::wstring& path, const std::string& content) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.IsValid() &&
         ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) &&
         written == content.size();
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring TempFilePath(std::wstring_view name) {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  return std::wstring(folder, length) + L"net_tests_" + std::to_wstring(::GetCurrentProcessId()) +
         L"_" + std::wstring(name);
}

uint16_t UnusedPort() {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof(address);
  uint16_t port = 0;
  if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  ::closesocket(probe);
  return port;
}

std::string GeneratedBytes(size_t count) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

std::string HeaderOf(const JsonValue& record, std::string_view name) {
  const JsonValue* headers = record.FindKey("headers");
  if (!headers)
    return std::string();
  // Header names are case-insensitive; the log keeps them as the client wrote them.
  for (const auto& [key, value] : headers->GetDictionary()) {
    if (key.size() == name.size() &&
        ::CompareStringOrdinal(Utf8ToWide(key).c_str(), -1, Utf8ToWide(name).c_str(), -1, TRUE) ==
            CSTR_EQUAL) {
      return value.GetString();
    }
  }
  return std::string();
}
