// Parts of the engine that need no server: scheme choice, credentials, result mapping,
// Content-Length parsing, and the transfers that fail before or without any HTTP answer.
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "net/content_length.h"
#include "net/fetch_url.h"
#include "net/http_result.h"
#include "net/notifying_http_request.h"
#include "tests/net/recording_delegate.h"
#include "tests/net/test_server.h"

namespace {

using std::chrono::milliseconds;

// Opens the protected operations to the tests.
class ExposedRequest : public HttpRequest {
 public:
  using HttpRequest::ApplyCredentials;
  using HttpRequest::ChooseScheme;
};

TEST(HttpRequestTest, ChoosesTheStrongestOfferedScheme) {
  ExposedRequest request;
  const DWORD all = WINHTTP_AUTH_SCHEME_BASIC | WINHTTP_AUTH_SCHEME_NTLM |
                    WINHTTP_AUTH_SCHEME_PASSPORT | WINHTTP_AUTH_SCHEME_DIGEST |
                    WINHTTP_AUTH_SCHEME_NEGOTIATE;
  EXPECT_EQ(request.ChooseScheme(all), WINHTTP_AUTH_SCHEME_NEGOTIATE);
  EXPECT_EQ(request.ChooseScheme(WINHTTP_AUTH_SCHEME_NEGOTIATE | WINHTTP_AUTH_SCHEME_BASIC),
            WINHTTP_AUTH_SCHEME_NEGOTIATE);
  EXPECT_EQ(request.ChooseScheme(all & ~WINHTTP_AUTH_SCHEME_NEGOTIATE), WINHTTP_AUTH_SCHEME_NTLM);
  EXPECT_EQ(request.ChooseScheme(WINHTTP_AUTH_SCHEME_DIGEST | WINHTTP_AUTH_SCHEME_PASSPORT |
                                 WINHTTP_AUTH_SCHEME_BASIC),
            WINHTTP_AUTH_SCHEME_PASSPORT);
  EXPECT_EQ(request.ChooseScheme(WINHTTP_AUTH_SCHEME_DIGEST | WINHTTP_AUTH_SCHEME_BASIC),
            WINHTTP_AUTH_SCHEME_DIGEST);
  EXPECT_EQ(request.ChooseScheme(WINHTTP_AUTH_SCHEME_BASIC), WINHTTP_AUTH_SCHEME_BASIC);
  EXPECT_EQ(request.ChooseScheme(0), 0u);
  EXPECT_EQ(request.ChooseScheme(0x100), 0u);
}

TEST(HttpRequestTest, CredentialsNeedAKnownTargetAndAUser) {
  ExposedRequest request;
  EXPECT_EQ(request.ApplyCredentials(WINHTTP_AUTH_SCHEME_BASIC, 2), E_UNEXPECTED);
  EXPECT_EQ(request.ApplyCredentials(WINHTTP_AUTH_SCHEME_BASIC, WINHTTP_AUTH_TARGET_SERVER),
            S_FALSE);
  EXPECT_EQ(request.ApplyCredentials(WINHTTP_AUTH_SCHEME_BASIC, WINHTTP_AUTH_TARGET_PROXY),
            S_FALSE);
  // With a user but no open handle the platform call itself fails.
  request.serverUser = L"user";
  EXPECT_TRUE(
      FAILED(request.ApplyCredentials(WINHTTP_AUTH_SCHEME_BASIC, WINHTTP_AUTH_TARGET_SERVER)));
}

TEST(HttpRequestTest, FreshRequestHasNoStatusAndCannotSend) {
  HttpRequest request;
  EXPECT_FALSE(request.IsStatusKnown());
  EXPECT_EQ(request.GetStatusCode(), 0);
  EXPECT_EQ(request.GetResult(), S_FALSE);
  EXPECT_EQ(request.Send(nullptr, 0), E_UNEXPECTED);
  request.Cancel();  // nothing open: harmless
  EXPECT_FALSE(request.IsValid());
}

TEST(HttpResultTest, PlatformErrorsMapToFailures) {
  EXPECT_EQ(static_cast<uint32_t>(FailureFromWin32(ERROR_WINHTTP_LOGIN_FAILURE)), 0x80072EEFu);
  EXPECT_EQ(static_cast<uint32_t>(FailureFromWin32(ERROR_WINHTTP_INVALID_HEADER)), 0x80072F79u);
  EXPECT_EQ(FailureFromWin32(0), E_FAIL);
  EXPECT_EQ(kBodyTooLargeResult, HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));
  EXPECT_EQ(kBodyCutShortResult, HRESULT_FROM_WIN32(ERROR_WINHTTP_CONNECTION_ERROR));
  ::SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(LastErrorResult(), E_ACCESSDENIED);
  ::SetLastError(0);
  EXPECT_EQ(LastErrorResult(), E_FAIL);
}

TEST(ContentLengthTest, OnlyPlainDecimalDigitsCount) {
  EXPECT_EQ(ParseContentLength(L"0"), 0);
  EXPECT_EQ(ParseContentLength(L"8096"), 8096);
  EXPECT_EQ(ParseContentLength(L"4294967296"), 4294967296LL);
  EXPECT_EQ(ParseContentLength(L"9223372036854775807"), INT64_MAX);
  for (const wchar_t* text : {L"", L"-1", L"+1", L" 1", L"1 ", L"12a", L"0x10",
                              L"9223372036854775808", L"99999999999999999999"}) {
    EXPECT_EQ(ParseContentLength(text), -1) << text;
  }
}

class FetchUrlTest : public ::testing::Test {
 protected:
  bool Fetch(const std::string& url, const std::wstring& filePath = std::wstring()) {
    return FetchUrl(session, connection, request, requestBody, url, HttpVerb::kGet, "", filePath);
  }

  RecordingDelegate delegate;
  HttpSession session;
  HttpConnection connection;
  NotifyingHttpRequest request{&delegate};
  std::string requestBody;
};

TEST_F(FetchUrlTest, RefusesBeforeSendingWithoutAnyDelegateCall) {
  EXPECT_FALSE(Fetch(""));
  EXPECT_FALSE(Fetch("not a url"));
  EXPECT_FALSE(Fetch("ftp://127.0.0.1/file"));
  EXPECT_FALSE(Fetch("http://"));
  EXPECT_FALSE(Fetch("http://127.0.0.1:99999/x"));
  // The connection is made only when sending, so a download file that cannot be created
  // stops the transfer first.
  EXPECT_FALSE(Fetch("http://127.0.0.1:1/x", TempFilePath(L"no_such_folder\\file.bin")));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_EQ(delegate.TotalCalls(), 0);
  EXPECT_FALSE(request.IsStatusKnown());
}

TEST_F(FetchUrlTest, RefusedConnectionCompletesOnceWithoutStatus) {
  const uint16_t port = UnusedPort();
  ASSERT_NE(port, 0);
  const std::wstring target = TempFilePath(L"refused.bin");
  ASSERT_TRUE(WriteFileBytes(target, "stale"));
  ASSERT_TRUE(Fetch("http://127.0.0.1:" + std::to_string(port) + "/x", target));
  ASSERT_TRUE(delegate.WaitForCompletion());
  std::this_thread::sleep_for(milliseconds(200));
  request.Cancel();
  EXPECT_EQ(delegate.Completions(), 1);
  EXPECT_EQ(delegate.ResponsesStarted(), 0);
  EXPECT_EQ(request.GetResult(), HRESULT_FROM_WIN32(ERROR_WINHTTP_CANNOT_CONNECT));
  EXPECT_FALSE(request.IsStatusKnown());
  EXPECT_EQ(delegate.Body(), "");
  EXPECT_FALSE(FileExists(target));
}

}  // namespace
