// The HTTP engine against the local update server on 127.0.0.1, through Wine's real WinHTTP.
// tests/process/test_http_engine.py starts the server and runs these tests; without it they
// are skipped. Each test tags its request paths with "@t=<name>" (a segment the server
// records and otherwise ignores) to find its own requests in the server's log.
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "base/json/json_value.h"
#include "net/fetch_url.h"
#include "net/http_result.h"
#include "net/notifying_http_request.h"
#include "tests/net/recording_delegate.h"
#include "tests/net/test_server.h"

namespace {

using std::chrono::milliseconds;

const HRESULT kInvalidHeaderResult = HRESULT_FROM_WIN32(ERROR_WINHTTP_INVALID_HEADER);
const HRESULT kLoginFailureResult = HRESULT_FROM_WIN32(ERROR_WINHTTP_LOGIN_FAILURE);

// Compares byte strings without printing megabytes: sizes and the first difference.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected)
    return ::testing::AssertionSuccess();
  size_t first = 0;
  while (first < actual.size() && first < expected.size() && actual[first] == expected[first])
    ++first;
  return ::testing::AssertionFailure() << "got " << actual.size() << " bytes, expected "
                                       << expected.size() << ", first difference at " << first;
}

class HttpEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::optional<TestServer> found = TestServer::FromEnvironment();
    if (!found) {
      GTEST_SKIP() << "needs the local update server (tests/process/test_http_engine.py)";
    }
    server = std::move(*found);
  }

  void TearDown() override {
    for (const std::wstring& path : temporaryFiles)
      ::DeleteFileW(path.c_str());
  }

  bool Fetch(const std::string& path,
             HttpVerb verb = HttpVerb::kGet,
             const std::string& body = std::string(),
             const std::wstring& filePath = std::wstring()) {
    return FetchUrl(session, connection, request, requestBody, server.Url(path), verb, body,
                    filePath);
  }

  // Waits for the end of the transfer, then stops the callbacks and checks that the end was
  // reported exactly once and nothing but connection notices came after it.
  void Finish() {
    ASSERT_TRUE(delegate.WaitForCompletion()) << "no completion";
    std::this_thread::sleep_for(milliseconds(100));
    request.Cancel();
    EXPECT_EQ(delegate.Completions(), 1);
    EXPECT_EQ(delegate.CallsAfterCompletion(), 0);
  }

  std::wstring TempFile(const wchar_t* name) {
    temporaryFiles.push_back(TempFilePath(name));
    return temporaryFiles.back();
  }

  TestServer server;
  RecordingDelegate delegate;
  HttpSession session;
  HttpConnection connection;
  NotifyingHttpRequest request{&delegate};
  std::string requestBody;
  std::vector<std::wstring> temporaryFiles;
};

TEST_F(HttpEngineTest, GetIntoMemory) {
  ASSERT_TRUE(Fetch("/@t=get/bytes/20000"));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_TRUE(request.IsStatusKnown());
  EXPECT_EQ(request.GetStatusCode(), 200);
  EXPECT_TRUE(SameBytes(delegate.Body(), GeneratedBytes(20000)));
  EXPECT_EQ(delegate.ResponsesStarted(), 1);

  const std::vector<JsonValue> log = server.RequestsTo("/@t=get/bytes/20000");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(*log[0].FindString("method"), "GET");
  EXPECT_EQ(log[0].FindKey("body_length")->GetInt(), 0);
  EXPECT_EQ(HeaderOf(log[0], "User-Agent"), "Orbavintel Browser Updater");
  EXPECT_EQ(HeaderOf(log[0], "Content-Type"), "");
  EXPECT_EQ(requestBody, "");
}

// Each read is counted as it completes, so a slow link is judged by what it has brought; the
// final empty read repeats the full count.
TEST_F(HttpEngineTest, ProgressCountsEachReadAsItCompletes) {
  ASSERT_TRUE(Fetch("/@t=progress/bytes/20000"));
  Finish();
  const std::vector<RecordingDelegate::Progress> calls = delegate.ProgressCalls();
  ASSERT_GE(calls.size(), 4u);  // at least three reads of at most 8096 bytes and the last one
  EXPECT_GT(calls.front().received, 0u);
  EXPECT_LE(calls.front().received, 8096u);
  EXPECT_EQ(calls.back().received, 20000u);
  EXPECT_EQ(calls[calls.size() - 2].received, 20000u);
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].total, 20000u);
    if (i > 0) {
      EXPECT_GE(calls[i].received, calls[i - 1].received);
      EXPECT_LE(calls[i].received - calls[i - 1].received, 8096u);
    }
  }
}

TEST_F(HttpEngineTest, PostSendsTheFormWithItsContentType) {
  // Set the server's answer through the engine itself, then post the check.
  const std::string answer = R"({"version": "9.9.9.9", "default": [],})";
  ASSERT_TRUE(Fetch("/control/answer", HttpVerb::kPost, answer));
  Finish();
  ASSERT_EQ(request.GetStatusCode(), 200);

  const std::string form = "version=1.2.3.4&edition=5d1c&partner=default&miner=none";
  const std::string path = "/@t=post/orbavintel/update/version_win/";
  ASSERT_TRUE(Fetch(path, HttpVerb::kPost, form));
  EXPECT_EQ(requestBody, form);
  ASSERT_TRUE(delegate.WaitForCompletions(2));
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(delegate.Completions(), 2);
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(delegate.Body(), answer);

  const std::vector<JsonValue> log = server.RequestsTo(path);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(*log[0].FindString("method"), "POST");
  EXPECT_EQ(*log[0].FindString("body"), form);
  EXPECT_EQ(HeaderOf(log[0], "Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(HeaderOf(log[0], "Content-Length"), std::to_string(form.size()));
}

TEST_F(HttpEngineTest, PostWithEmptyBodyStillCarriesTheContentType) {
  requestBody = "stale";
  ASSERT_TRUE(Fetch("/@t=post-empty/bytes/3", HttpVerb::kPost, ""));
  Finish();
  EXPECT_EQ(requestBody, "");
  const std::vector<JsonValue> log = server.RequestsTo("/@t=post-empty/bytes/3");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].FindKey("body_length")->GetInt(), 0);
  EXPECT_EQ(HeaderOf(log[0], "Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(HttpEngineTest, QueryAndFragmentAreNotSent) {
  ASSERT_TRUE(Fetch("/@t=query/bytes/5?x=1&y=2#part"));
  Finish();
  const std::vector<JsonValue> log = server.RequestsTo("/@t=query/bytes/5");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(*log[0].FindString("query"), "");
  EXPECT_TRUE(SameBytes(delegate.Body(), GeneratedBytes(5)));
}

TEST_F(HttpEngineTest, DownloadReplacesAnExistingFile) {
  const std::string content = GeneratedBytes(50000).substr(7, 30000);
  ASSERT_TRUE(server.PutFile("engine_download.bin", content));
  const std::wstring target = TempFile(L"download.bin");
  ASSERT_TRUE(WriteFileBytes(target, std::string(1 << 20, 'x')));

  ASSERT_TRUE(Fetch("/files/engine_download.bin", HttpVerb::kGet, "", target));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(delegate.Body(), "");  // the body went into the file
  EXPECT_TRUE(SameBytes(ReadFileBytes(target).value_or(""), content));
}

TEST_F(HttpEngineTest, EmptyBodyLeavesAnEmptyFile) {
  const std::wstring target = TempFile(L"empty.bin");
  ASSERT_TRUE(WriteFileBytes(target, "old content"));
  ASSERT_TRUE(Fetch("/@t=empty/bytes/0", HttpVerb::kGet, "", target));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(ReadFileBytes(target), std::string());
}

TEST_F(HttpEngineTest, ErrorStatusFailsWithoutReadingAndDeletesTheFile) {
  const std::wstring target = TempFile(L"not_found.bin");
  ASSERT_TRUE(WriteFileBytes(target, "left from an earlier run"));
  ASSERT_TRUE(Fetch("/@status=404/@t=404/files/whatever", HttpVerb::kGet, "", target));
  Finish();
  EXPECT_EQ(request.GetResult(), kInvalidHeaderResult);
  EXPECT_TRUE(request.IsStatusKnown());
  EXPECT_EQ(request.GetStatusCode(), 404);
  EXPECT_EQ(delegate.ResponsesStarted(), 1);
  EXPECT_TRUE(delegate.ProgressCalls().empty());
  EXPECT_FALSE(FileExists(target));
}

TEST_F(HttpEngineTest, ServerErrorIntoMemoryHandsOverNoBody) {
  ASSERT_TRUE(Fetch("/@status=500/@t=500/bytes/100"));
  Finish();
  EXPECT_EQ(request.GetResult(), kInvalidHeaderResult);
  EXPECT_EQ(request.GetStatusCode(), 500);
  EXPECT_EQ(delegate.Body(), "");
}

TEST_F(HttpEngineTest, PartialContentIsAcceptedLikeOk) {
  const std::wstring target = TempFile(L"partial.bin");
  ASSERT_TRUE(Fetch("/@status=206/@t=206/bytes/1", HttpVerb::kGet, "", target));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(request.GetStatusCode(), 206);
  EXPECT_EQ(ReadFileBytes(target), "status 206\n");
}

TEST_F(HttpEngineTest, ChallengeOnceIsAnsweredWithTheCredentials) {
  request.serverUser = L"user";
  request.serverPassword = L"secret";
  const std::string path = "/@auth-once=basic/@t=auth-once/bytes/10";
  ASSERT_TRUE(Fetch(path));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(request.GetStatusCode(), 200);
  EXPECT_TRUE(SameBytes(delegate.Body(), GeneratedBytes(10)));
  EXPECT_EQ(delegate.ResponsesStarted(), 2);  // the 401 and the answer

  const std::vector<JsonValue> log = server.RequestsTo(path);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(HeaderOf(log[1], "Authorization"), "Basic dXNlcjpzZWNyZXQ=");  // user:secret
}

TEST_F(HttpEngineTest, SecondChallengeInARowIsALoginFailure) {
  request.serverUser = L"user";
  request.serverPassword = L"wrong";
  const std::wstring target = TempFile(L"auth.bin");
  const std::string path = "/@auth=basic/@t=auth-always/bytes/10";
  ASSERT_TRUE(Fetch(path, HttpVerb::kGet, "", target));
  Finish();
  EXPECT_EQ(request.GetResult(), kLoginFailureResult);
  EXPECT_EQ(static_cast<uint32_t>(request.GetResult()), 0x80072EEFu);
  EXPECT_TRUE(request.IsStatusKnown());
  EXPECT_EQ(request.GetStatusCode(), 401);
  EXPECT_EQ(server.RequestsTo(path).size(), 2u);
  EXPECT_FALSE(FileExists(target));
}

TEST_F(HttpEngineTest, ChallengeWithoutCredentialsIsSentOnceMoreUnchanged) {
  const std::string path = "/@auth=negotiate,basic/@t=auth-none/orbavintel/update/version_win/";
  ASSERT_TRUE(Fetch(path, HttpVerb::kPost, "a=1"));
  Finish();
  EXPECT_EQ(request.GetResult(), kLoginFailureResult);
  const std::vector<JsonValue> log = server.RequestsTo(path);
  ASSERT_EQ(log.size(), 2u);
  for (const JsonValue& record : log) {
    EXPECT_EQ(HeaderOf(record, "Authorization"), "");
    EXPECT_EQ(*record.FindString("body"), "a=1");  // the body goes out with every attempt
  }
}

// There is no proxy on a direct connection, so WinHTTP sends no Proxy-Authorization header;
// what shows is that a 407 is answered once and a second one in a row ends the transfer.
TEST_F(HttpEngineTest, ProxyChallengeIsAnsweredOnce) {
  request.proxyUser = L"proxyuser";
  request.proxyPassword = L"pw";
  const std::string once = "/@proxy-auth-once=basic/@t=proxy-once/bytes/10";
  ASSERT_TRUE(Fetch(once));
  ASSERT_TRUE(delegate.WaitForCompletions(1));
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(request.GetStatusCode(), 200);
  EXPECT_EQ(server.RequestsTo(once).size(), 2u);

  const std::string always = "/@proxy-auth=basic/@t=proxy-always/bytes/10";
  ASSERT_TRUE(Fetch(always));
  ASSERT_TRUE(delegate.WaitForCompletions(2));
  EXPECT_EQ(request.GetResult(), kLoginFailureResult);
  EXPECT_EQ(request.GetStatusCode(), 407);
  // Wine answers a repeated challenge once more on its own when credentials are set.
  EXPECT_GE(server.RequestsTo(always).size(), 2u);
}

TEST_F(HttpEngineTest, MissingContentLengthReportsAnUnknownTotal) {
  ASSERT_TRUE(Fetch("/@no-length/@t=no-length/bytes/30000"));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_TRUE(SameBytes(delegate.Body(), GeneratedBytes(30000)));
  const std::vector<RecordingDelegate::Progress> calls = delegate.ProgressCalls();
  ASSERT_FALSE(calls.empty());
  for (const RecordingDelegate::Progress& call : calls)
    EXPECT_EQ(call.total, 0xFFFFFFFFu);
  EXPECT_EQ(calls.back().received, 30000u);
}

TEST_F(HttpEngineTest, ResetMidBodyFailsAndDeletesTheFile) {
  const std::wstring target = TempFile(L"reset.bin");
  ASSERT_TRUE(Fetch("/@reset=20000/@t=reset/bytes/100000", HttpVerb::kGet, "", target));
  Finish();
  // Windows reports the reset itself; Wine ends the body early, which the engine catches.
  EXPECT_TRUE(FAILED(request.GetResult())) << std::hex << request.GetResult();
  EXPECT_EQ(request.GetStatusCode(), 200);
  EXPECT_FALSE(FileExists(target));
}

TEST_F(HttpEngineTest, MemoryBodyMayReachButNotPassFourMebibytes) {
  ASSERT_TRUE(Fetch("/@t=cap-exact/bytes/4194304"));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(delegate.Body().size(), 4194304u);
}

TEST_F(HttpEngineTest, MemoryBodyPastFourMebibytesFailsClearly) {
  ASSERT_TRUE(Fetch("/@t=cap-over/bytes/4194305"));
  Finish();
  EXPECT_EQ(request.GetResult(), kBodyTooLargeResult);
  EXPECT_EQ(delegate.Body(), "");
}

// The file limit fails a body announced or grown past it, however it is framed, and never
// one that reaches it exactly.
TEST_F(HttpEngineTest, FileDownloadMayReachButNotPassItsLimit) {
  const struct {
    const char* path;
    HRESULT result;
  } kCases[] = {
      {"/@t=file-exact/bytes/20000", S_OK},
      {"/@t=file-over/bytes/20001", kBodyTooLargeResult},
      {"/@no-length/@t=file-over-unannounced/bytes/20001", kBodyTooLargeResult},
      {"/@chunked/@endless/@t=file-endless/bytes/5000", kBodyTooLargeResult},
  };
  for (const auto& [path, result] : kCases) {
    RecordingDelegate watcher;
    NotifyingHttpRequest limited(&watcher);
    limited.SetFileBodyLimit(20000);
    const std::wstring target = TempFile(L"limited.bin");
    ASSERT_TRUE(FetchUrl(session, connection, limited, requestBody, server.Url(path),
                         HttpVerb::kGet, "", target));
    ASSERT_TRUE(watcher.WaitForCompletion()) << path;
    EXPECT_EQ(limited.GetResult(), result) << path;
    EXPECT_EQ(FileExists(target), result == S_OK) << path;
  }
}

TEST_F(HttpEngineTest, FileDownloadHasNoSizeCapUnlessSet) {
  const std::wstring target = TempFile(L"large.bin");
  ASSERT_TRUE(Fetch("/@t=file-large/bytes/5000000", HttpVerb::kGet, "", target));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_TRUE(SameBytes(ReadFileBytes(target).value_or(""), GeneratedBytes(5000000)));
}

// A disk that fills up mid-download: one completion, with the failure, and no file left.
TEST_F(HttpEngineTest, WriteFailureEndsTheTransferOnceAndDeletesTheFile) {
  class DiskFullRequest : public NotifyingHttpRequest {
   public:
    using NotifyingHttpRequest::NotifyingHttpRequest;

   protected:
    HRESULT DataReceived(const uint8_t* bytes, DWORD count) override {
      if ((written += count) > 20000)
        return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
      return NotifyingHttpRequest::DataReceived(bytes, count);
    }

   private:
    uint64_t written = 0;
  };
  RecordingDelegate watcher;
  DiskFullRequest full(&watcher);
  const std::wstring target = TempFile(L"full.bin");
  ASSERT_TRUE(FetchUrl(session, connection, full, requestBody,
                       server.Url("/@t=disk-full/bytes/100000"), HttpVerb::kGet, "", target));
  ASSERT_TRUE(watcher.WaitForCompletion());
  std::this_thread::sleep_for(milliseconds(200));
  full.Cancel();
  EXPECT_EQ(watcher.Completions(), 1);
  EXPECT_EQ(watcher.CallsAfterCompletion(), 0);
  EXPECT_EQ(full.GetResult(), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  EXPECT_FALSE(FileExists(target));
}

TEST_F(HttpEngineTest, RedirectIsFollowedByThePlatform) {
  ASSERT_TRUE(Fetch("/@redirect/@t=redirect/bytes/10"));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_TRUE(SameBytes(delegate.Body(), GeneratedBytes(10)));
  EXPECT_EQ(server.RequestsTo("/@redirect/@t=redirect/bytes/10").size(), 1u);
  EXPECT_EQ(server.RequestsTo("/@t=redirect/bytes/10").size(), 1u);
}

TEST_F(HttpEngineTest, SlowTrickleArrivesWhole) {
  ASSERT_TRUE(Fetch("/@trickle=10/@chunk=1000/@t=trickle/bytes/20000"));
  Finish();
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_TRUE(SameBytes(delegate.Body(), GeneratedBytes(20000)));
  EXPECT_GE(delegate.ProgressCalls().size(), 4u);
}

TEST_F(HttpEngineTest, BodyShorterThanAnnouncedIsAFailure) {
  for (const char* path :
       {"/@truncate=1000/@t=truncate/bytes/5000", "/@length=9000/@t=long-length/bytes/5000"}) {
    RecordingDelegate watcher;
    NotifyingHttpRequest shortRequest(&watcher);
    const std::wstring target = TempFile(L"short.bin");
    ASSERT_TRUE(FetchUrl(session, connection, shortRequest, requestBody, server.Url(path),
                         HttpVerb::kGet, "", target));
    ASSERT_TRUE(watcher.WaitForCompletion()) << path;
    EXPECT_EQ(shortRequest.GetResult(), kBodyCutShortResult) << path;
    EXPECT_FALSE(FileExists(target)) << path;
  }
}

// Windows stops reading at the announced length (a short file, which the digest refuses);
// Wine's winhttp reads on into the excess, which the engine must fail rather than write.
TEST_F(HttpEngineTest, BodyLongerThanAnnouncedIsNeverWrittenPastItsLength) {
  const std::wstring target = TempFile(L"overrun.bin");
  ASSERT_TRUE(Fetch("/@length=1000/@t=overrun/bytes/50000", HttpVerb::kGet, "", target));
  Finish();
  if (request.GetResult() == S_OK) {
    EXPECT_EQ(ReadFileBytes(target).value_or("").size(), 1000u);
  } else {
    EXPECT_EQ(request.GetResult(), kBodyOverrunResult);
    EXPECT_FALSE(FileExists(target));
  }
}

TEST_F(HttpEngineTest, HttpsOpensASecureConnection) {
  // The server speaks plain HTTP, so a secure request fails before any request line gets
  // through; a plain one would have been logged.
  const std::string url = "https://" + server.hostPort + "/@t=https/bytes/10";
  ASSERT_TRUE(FetchUrl(session, connection, request, requestBody, url, HttpVerb::kGet, "", L""));
  Finish();
  EXPECT_TRUE(FAILED(request.GetResult()));
  EXPECT_FALSE(request.IsStatusKnown());
  EXPECT_TRUE(server.RequestsTo("/@t=https/bytes/10").empty());
}

TEST_F(HttpEngineTest, CancelStopsTheReportsAndDeletesThePartialFile) {
  const std::wstring target = TempFile(L"cancel.bin");
  ASSERT_TRUE(Fetch("/@trickle=50/@chunk=1000/@t=cancel/bytes/200000", HttpVerb::kGet, "", target));
  ASSERT_TRUE(delegate.WaitForProgress(3));
  request.Cancel();
  const int callsAtCancel = delegate.TotalCalls();
  std::this_thread::sleep_for(milliseconds(400));
  EXPECT_EQ(delegate.TotalCalls(), callsAtCancel);
  EXPECT_EQ(delegate.Completions(), 0);
  EXPECT_EQ(request.GetResult(), kTransferCancelledResult);
  EXPECT_FALSE(FileExists(target));
}

// A request destroyed while its transfer runs or while its first callback is still to come:
// once the destructor returns, nothing may touch the object's memory or the delegate. The
// memory is overwritten right after destruction, so a late callback would crash the run.
TEST_F(HttpEngineTest, DestructionStopsEveryCallback) {
  for (const char* path : {"/@trickle=30/@chunk=2000/@t=destroy-reading/bytes/100000",
                           "/@delay=300/@t=destroy-waiting/bytes/100"}) {
    RecordingDelegate watcher;
    alignas(NotifyingHttpRequest) unsigned char storage[sizeof(NotifyingHttpRequest)];
    auto* doomed = new (storage) NotifyingHttpRequest(&watcher);
    HttpSession doomedSession;
    HttpConnection doomedConnection;
    std::string body;
    ASSERT_TRUE(FetchUrl(doomedSession, doomedConnection, *doomed, body, server.Url(path),
                         HttpVerb::kGet, "", L""));
    if (std::strstr(path, "reading")) {
      ASSERT_TRUE(watcher.WaitForProgress(2));
    }
    const auto start = std::chrono::steady_clock::now();
    doomed->~NotifyingHttpRequest();
    std::memset(storage, 0xDD, sizeof(storage));
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1000)) << path;
    const int callsAtDestruction = watcher.TotalCalls();
    std::this_thread::sleep_for(milliseconds(600));
    EXPECT_EQ(watcher.TotalCalls(), callsAtDestruction) << path;
    EXPECT_EQ(watcher.Completions(), 0) << path;
  }
}

TEST_F(HttpEngineTest, ObjectsAreReusedForTheNextTransfer) {
  ASSERT_TRUE(Fetch("/@status=500/@t=reuse-1/bytes/1"));
  ASSERT_TRUE(delegate.WaitForCompletion());
  ASSERT_EQ(request.GetStatusCode(), 500);
  ASSERT_TRUE(Fetch("/@t=reuse-2/bytes/70"));
  ASSERT_TRUE(delegate.WaitForCompletions(2));
  std::this_thread::sleep_for(milliseconds(100));
  request.Cancel();
  EXPECT_EQ(delegate.Completions(), 2);
  EXPECT_EQ(request.GetResult(), S_OK);
  EXPECT_EQ(request.GetStatusCode(), 200);
  EXPECT_TRUE(SameBytes(delegate.Body(), GeneratedBytes(70)));
}

TEST_F(HttpEngineTest, DownloadFileThatCannotBeCreatedRefusesBeforeSending) {
  const std::wstring target = TempFilePath(L"missing_folder\\file.bin");
  EXPECT_FALSE(Fetch("/@t=no-file/bytes/10", HttpVerb::kGet, "", target));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_EQ(delegate.TotalCalls(), 0);
  EXPECT_TRUE(server.RequestsTo("/@t=no-file/bytes/10").empty());
}

// Reads response headers when the transfer ends, as the updater reads an answer's signature.
class HeaderReadingDelegate : public RecordingDelegate {
 public:
  void OnRequestComplete(const std::string& responseBody) override {
    challenges = request->GetResponseHeaderValues(L"WWW-Authenticate");
    absent = request->GetResponseHeaderValues(L"X-Orbavintel-Signature");
    RecordingDelegate::OnRequestComplete(responseBody);
  }
  const HttpRequest* request = nullptr;
  std::vector<std::string> challenges;
  std::vector<std::string> absent;
};

TEST_F(HttpEngineTest, EveryValueOfARepeatedResponseHeaderIsReadInOrder) {
  HeaderReadingDelegate reader;
  NotifyingHttpRequest readingRequest(&reader);
  reader.request = &readingRequest;
  ASSERT_TRUE(FetchUrl(session, connection, readingRequest, requestBody,
                       server.Url("/@auth=negotiate,basic/@t=headers/bytes/10"), HttpVerb::kGet,
                       std::string(), std::wstring()));
  ASSERT_TRUE(reader.WaitForCompletion());
  readingRequest.Cancel();
  EXPECT_EQ(reader.challenges,
            (std::vector<std::string>{"Negotiate", "Basic realm=\"orbavintel\""}));
  EXPECT_TRUE(reader.absent.empty());
}

}  // namespace
