#include "net/http_request.h"

#include <algorithm>
#include <new>

#include "base/win/debug_output.h"
#include "base/win/text_conversion.h"
#include "net/content_length.h"
#include "net/http_result.h"
#include "net/request_callback_context.h"

namespace {

constexpr wchar_t kFormContentType[] = L"Content-Type: application/x-www-form-urlencoded";

// Our room for the Content-Length text WinHttpQueryHeaders copies out, 32 characters: a valid
// length has at most 19 digits; a longer text does not fit and reads as no length.
constexpr DWORD kContentLengthBufferBytes = 64;

HRESULT LoginFailureResult() {
  return HRESULT_FROM_WIN32(ERROR_WINHTTP_LOGIN_FAILURE);
}

// Of a supported set, the scheme that logon credentials answer: Negotiate, else NTLM, else 0.
DWORD ChooseLogonScheme(DWORD supported) {
  if (supported & WINHTTP_AUTH_SCHEME_NEGOTIATE)
    return WINHTTP_AUTH_SCHEME_NEGOTIATE;
  if (supported & WINHTTP_AUTH_SCHEME_NTLM)
    return WINHTTP_AUTH_SCHEME_NTLM;
  return 0;
}

// "Basic, Digest" for a supported set, "no scheme" for none, for the diagnostic lines.
std::string AuthSchemeNames(DWORD supported) {
  static constexpr struct {
    DWORD scheme;
    const char* name;
  } kNames[] = {{WINHTTP_AUTH_SCHEME_NEGOTIATE, "Negotiate"},
                {WINHTTP_AUTH_SCHEME_NTLM, "NTLM"},
                {WINHTTP_AUTH_SCHEME_PASSPORT, "Passport"},
                {WINHTTP_AUTH_SCHEME_DIGEST, "Digest"},
                {WINHTTP_AUTH_SCHEME_BASIC, "Basic"}};
  std::string names;
  for (const auto& entry : kNames) {
    if (supported & entry.scheme)
      names += (names.empty() ? "" : ", ") + std::string(entry.name);
  }
  return names.empty() ? "no scheme" : names;
}

}  // namespace

HttpRequest::HttpRequest() = default;

HttpRequest::~HttpRequest() {
  StopCallbacks();
}

void CALLBACK HttpRequest::StatusCallback(HINTERNET handle,
                                          DWORD_PTR contextValue,
                                          DWORD status,
                                          void* information,
                                          DWORD length) {
  auto* context = reinterpret_cast<RequestCallbackContext*>(contextValue);
  if (!context)
    return;
  if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    context->OnHandleClosing();
    return;
  }
  RequestCallbackContext::Entry entry(context);
  HttpRequest* request = entry.request();
  if (!request)
    return;
  const HRESULT result = request->HandleNotification(status, information, length);
  if (FAILED(result))
    request->Complete(result);
}

HRESULT HttpRequest::Open(const HttpConnection& connection,
                          const std::wstring& path,
                          HttpVerb verb,
                          DWORD flags) {
  DetachCallbacks();
  HINTERNET request = ::WinHttpOpenRequest(
      connection.get(), verb == HttpVerb::kPost ? L"POST" : L"GET", path.c_str(), nullptr,
      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
  if (!request)
    return LastErrorResult();
  reset(request);

  auto* newContext = new (std::nothrow) RequestCallbackContext(this);
  if (!newContext) {
    reset();
    return E_OUTOFMEMORY;
  }
  // Every notification, including the handle-closing one, carries the context from now on.
  DWORD_PTR contextValue = reinterpret_cast<DWORD_PTR>(newContext);
  if (!::WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &contextValue,
                          sizeof(contextValue)) ||
      ::WinHttpSetStatusCallback(request, &HttpRequest::StatusCallback,
                                 WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS,
                                 0) == WINHTTP_INVALID_STATUS_CALLBACK) {
    const HRESULT failure = LastErrorResult();
    newContext->Discard();
    reset();
    return failure;
  }
  context = newContext;

  HRESULT prepared = S_OK;
  {
    std::lock_guard<SrwLock> held(lock);
    CloseTransfer(S_OK);
    try {
      context->readBuffer.assign(kReadBufferSize, 0);
    } catch (const std::bad_alloc&) {
      prepared = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(prepared) && !filePath.empty())
      prepared = file.Open(filePath);
  }
  if (FAILED(prepared)) {
    WriteDebugLineF("Cannot prepare the HTTP request: 0x%08lX.\n",
                    static_cast<unsigned long>(prepared));
    DetachCallbacks();
    return prepared;
  }

  if (verb == HttpVerb::kPost) {
    // A request without the header still goes out; the server decides what to make of it.
    ::WinHttpAddRequestHeaders(request, kFormContentType, static_cast<DWORD>(-1),
                               WINHTTP_ADDREQ_FLAG_ADD);
  }
  return S_OK;
}

HRESULT HttpRequest::Send(const void* data, DWORD length) {
  if (!IsValid() || !context)
    return E_UNEXPECTED;
  {
    std::lock_guard<SrwLock> held(lock);
    if (transferOpen)
      return E_UNEXPECTED;  // WinHTTP may still be sending the body of the transfer under way
    try {
      context->optionalData.assign(static_cast<const char*>(data), data ? length : 0);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    optionalData = context->optionalData.empty() ? nullptr : context->optionalData.data();
    optionalLength = static_cast<DWORD>(context->optionalData.size());
    chosenProxyScheme = 0;
    challenges = 0;
    received = 0;
    statusCode = 0;
    statusKnown = false;
    contentLength = -1;
    body.clear();
    result = S_FALSE;
    transferOpen = true;
  }

  HRESULT applied = S_OK;
  if (presetProxy)
    applied = ApplyCredentials(proxyScheme, WINHTTP_AUTH_TARGET_PROXY);
  if (SUCCEEDED(applied) && presetServer)
    applied = ApplyCredentials(serverScheme, WINHTTP_AUTH_TARGET_SERVER);
  if (FAILED(applied)) {
    AbandonTransfer(applied);
    return applied;
  }

  const std::wstring headers = BuildExtraHeaders();
  if (::WinHttpSendRequest(get(), headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                           static_cast<DWORD>(headers.size()), const_cast<void*>(optionalData),
                           optionalLength, optionalLength, reinterpret_cast<DWORD_PTR>(context))) {
    return S_OK;
  }
  const HRESULT failure = LastErrorResult();
  {
    std::lock_guard<SrwLock> held(lock);
    // A platform that reported the failure through the callback as well has already
    // completed the transfer; the caller must then count it as started.
    if (!transferOpen)
      return S_OK;
  }
  WriteDebugLineF("WinHttpSendRequest failed: 0x%08lX.\n", static_cast<unsigned long>(failure));
  AbandonTransfer(failure);
  return failure;
}

void HttpRequest::Cancel() {
  StopCallbacks();
}

bool HttpRequest::StartLater(DeferredStart::Preparation prepare) {
  StopCallbacks();
  return deferredStart.Launch(std::move(prepare));
}

void HttpRequest::FailUnsent(HRESULT failure) {
  {
    std::lock_guard<SrwLock> held(lock);
    if (transferOpen)
      return;  // it was sent after all, and completes through the callbacks
    // Nothing of the previous transfer may pass for this one's outcome.
    statusCode = 0;
    statusKnown = false;
    contentLength = -1;
    received = 0;
    body.clear();
    transferOpen = true;
  }
  Complete(failure);
}

void HttpRequest::StopCallbacks() {
  deferredStart.Disarm();
  DetachCallbacks();
}

void HttpRequest::DetachCallbacks() {
  if (context) {
    context->Detach();
    context = nullptr;
  }
  reset();
  AbandonTransfer(kTransferCancelledResult);
}

void HttpRequest::SetFilePath(std::wstring path) {
  filePath = std::move(path);
}

void HttpRequest::SetFileBodyLimit(uint64_t bytes) {
  std::lock_guard<SrwLock> held(lock);
  fileBodyLimit = bytes;
}

bool HttpRequest::IsStatusKnown() const {
  std::lock_guard<SrwLock> held(lock);
  return statusKnown;
}

int HttpRequest::GetStatusCode() const {
  std::lock_guard<SrwLock> held(lock);
  return statusCode;
}

HRESULT HttpRequest::GetResult() const {
  std::lock_guard<SrwLock> held(lock);
  return result;
}

void HttpRequest::GetProgress(uint32_t* receivedLow, uint32_t* totalLow) const {
  std::lock_guard<SrwLock> held(lock);
  *receivedLow = static_cast<uint32_t>(received);
  *totalLow = static_cast<uint32_t>(static_cast<uint64_t>(contentLength));
}

std::string HttpRequest::TakeBody() {
  std::lock_guard<SrwLock> held(lock);
  std::string taken = std::move(body);
  body.clear();
  return taken;
}

HRESULT HttpRequest::HandleNotification(DWORD status, void* information, DWORD length) {
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      return HeadersAvailable();
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      return ReadComplete(length);
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
      return SendComplete();
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      return RequestError(static_cast<const WINHTTP_ASYNC_RESULT*>(information));
    default:
      return S_FALSE;
  }
}

HRESULT HttpRequest::Complete(HRESULT transferResult) {
  std::lock_guard<SrwLock> held(lock);
  if (!transferOpen)
    return S_FALSE;
  transferOpen = false;
  result = transferResult;
  CloseTransfer(transferResult);
  if (transferResult == kBodyTooLargeResult)
    std::string().swap(body);  // a partial body is of no use to anyone
  if (transferResult != S_OK) {
    WriteDebugLineF("HTTP transfer failed: 0x%08lX.\n", static_cast<unsigned long>(transferResult));
  }
  return S_OK;
}

void HttpRequest::AbandonTransfer(HRESULT transferResult) {
  std::lock_guard<SrwLock> held(lock);
  if (!transferOpen) {
    // Also a prepared download file that was never sent for is removed.
    if (file.IsOpen())
      CloseTransfer(transferResult);
    return;
  }
  transferOpen = false;
  result = transferResult;
  CloseTransfer(transferResult);
}

void HttpRequest::CloseTransfer(HRESULT transferResult) {
  const bool hadFile = file.IsOpen();
  file.Close();
  if (context)
    std::vector<uint8_t>().swap(context->readBuffer);
  optionalData = nullptr;
  optionalLength = 0;
  if (transferResult != S_OK && hadFile)
    DeleteDownloadFile(filePath);
}

std::wstring HttpRequest::BuildExtraHeaders() {
  return std::wstring();
}

HRESULT HttpRequest::ApplyCredentials(DWORD scheme, DWORD target) {
  const std::wstring* user = nullptr;
  const std::wstring* password = nullptr;
  if (target == WINHTTP_AUTH_TARGET_SERVER) {
    user = &serverUser;
    password = &serverPassword;
  } else if (target == WINHTTP_AUTH_TARGET_PROXY) {
    user = &proxyUser;
    password = &proxyPassword;
  } else {
    return E_UNEXPECTED;
  }
  if (user->empty())
    return S_FALSE;
  if (!::WinHttpSetCredentials(get(), target, scheme, user->c_str(), password->c_str(), nullptr))
    return LastErrorResult();
  return S_OK;
}

DWORD HttpRequest::ChooseScheme(DWORD supported) {
  for (DWORD scheme :
       {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM, WINHTTP_AUTH_SCHEME_PASSPORT,
        WINHTTP_AUTH_SCHEME_DIGEST, WINHTTP_AUTH_SCHEME_BASIC}) {
    if (supported & scheme)
      return scheme;
  }
  return 0;
}

HRESULT HttpRequest::ReadComplete(DWORD count) {
  if (count == 0) {
    bool whole;
    {
      std::lock_guard<SrwLock> held(lock);
      whole = contentLength < 0 || received >= static_cast<uint64_t>(contentLength);
    }
    // Some platforms (Wine among them) end the body quietly when the connection drops;
    // a body shorter than announced is a failed transfer, not a complete one.
    if (!whole) {
      WriteDebugLine("The response ended before its announced length.\n");
      return kBodyCutShortResult;
    }
    Complete(S_OK);
    return S_OK;
  }
  HRESULT stored;
  {
    std::lock_guard<SrwLock> held(lock);
    if (!transferOpen || !context)
      return S_OK;
    count = std::min<DWORD>(count, static_cast<DWORD>(context->readBuffer.size()));
    if (contentLength >= 0 && received + count > static_cast<uint64_t>(contentLength)) {
      WriteDebugLine("The response ran past its announced length.\n");
      return kBodyOverrunResult;
    }
    stored = DataReceived(context->readBuffer.data(), count);
  }
  if (FAILED(stored))
    return stored;
  // Issued without the lock: WinHTTP may complete the read inside this call and run the
  // next callback on this very thread.
  return StartRead();
}

HRESULT HttpRequest::StartRead() {
  if (!::WinHttpReadData(get(), context->readBuffer.data(), kReadBufferSize, nullptr))
    return LastErrorResult();
  return S_OK;
}

HRESULT HttpRequest::SendComplete() {
  if (!::WinHttpReceiveResponse(get(), nullptr))
    return LastErrorResult();
  return S_OK;
}

HRESULT HttpRequest::ProxyAuthenticationRequired() {
  return AnswerChallenge(HTTP_STATUS_PROXY_AUTH_REQ);
}

HRESULT HttpRequest::ServerAuthenticationRequired() {
  return AnswerChallenge(HTTP_STATUS_DENIED);
}

HRESULT HttpRequest::AnswerChallenge(int challengeStatus) {
  // A proxy the policy chose gets the user's logon credentials, and only through the schemes
  // that carry them without a password in the clear.
  const bool byLogon =
      challengeStatus == HTTP_STATUS_PROXY_AUTH_REQ && answerProxyWithLogon && proxyUser.empty();
  bool refused;
  {
    std::lock_guard<SrwLock> held(lock);
    // The previous attempt of this transfer was answered with the same challenge: the
    // credentials (or their absence) did not do.
    refused = statusCode == challengeStatus || ++challenges > kMaxChallengesPerTransfer;
  }
  DWORD supported = 0;
  DWORD first = 0;
  DWORD target = 0;
  if (refused) {
    if (byLogon) {
      ::WinHttpQueryAuthSchemes(get(), &supported, &first, &target);
      WriteDebugLine(
          "Proxy authentication failed: the proxy refused the logon credentials; "
          "it offers " +
          AuthSchemeNames(supported) + ".\n");
    }
    return LoginFailureResult();
  }
  if (!::WinHttpQueryAuthSchemes(get(), &supported, &first, &target))
    return LastErrorResult();
  const DWORD scheme = byLogon ? ChooseLogonScheme(supported) : ChooseScheme(supported);
  if (scheme == 0) {
    if (byLogon) {
      WriteDebugLine("Proxy authentication failed: the proxy offers " + AuthSchemeNames(supported) +
                     "; only Negotiate and NTLM can be answered.\n");
    }
    return LoginFailureResult();
  }
  HRESULT applied = S_OK;
  if (byLogon) {
    // No user name and no password: WinHTTP answers with the logged-on user's credentials.
    if (!::WinHttpSetCredentials(get(), WINHTTP_AUTH_TARGET_PROXY, scheme, nullptr, nullptr,
                                 nullptr)) {
      applied = LastErrorResult();
    }
  } else {
    applied = ApplyCredentials(scheme, target);
  }
  if (FAILED(applied))
    return applied;

  DWORD proxyAnswer = 0;
  {
    std::lock_guard<SrwLock> held(lock);
    if (challengeStatus == HTTP_STATUS_PROXY_AUTH_REQ)
      chosenProxyScheme = scheme;
    else
      proxyAnswer = chosenProxyScheme;
  }
  if (proxyAnswer != 0) {
    applied = ApplyCredentials(proxyAnswer, WINHTTP_AUTH_TARGET_PROXY);
    if (FAILED(applied))
      return applied;
  }
  {
    std::lock_guard<SrwLock> held(lock);
    statusKnown = true;
    statusCode = challengeStatus;
  }
  return Resend();
}

HRESULT HttpRequest::Resend() {
  const std::wstring headers = BuildExtraHeaders();
  const void* data;
  DWORD length;
  {
    std::lock_guard<SrwLock> held(lock);
    data = optionalData;
    length = optionalLength;
  }
  if (!::WinHttpSendRequest(get(),
                            headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                            static_cast<DWORD>(headers.size()), const_cast<void*>(data), length,
                            length, reinterpret_cast<DWORD_PTR>(context))) {
    return LastErrorResult();
  }
  return S_OK;
}

HRESULT HttpRequest::HeadersAvailable() {
  DWORD code = 0;
  DWORD size = sizeof(code);
  if (!::WinHttpQueryHeaders(get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX)) {
    return LastErrorResult();
  }
  if (code == HTTP_STATUS_PROXY_AUTH_REQ)
    return ProxyAuthenticationRequired();
  if (code == HTTP_STATUS_DENIED)
    return ServerAuthenticationRequired();

  const bool accepted = code == HTTP_STATUS_OK || code == HTTP_STATUS_PARTIAL_CONTENT;
  const int64_t length = accepted ? QueryContentLength() : -1;
  bool tooLarge;
  {
    std::lock_guard<SrwLock> held(lock);
    statusKnown = true;
    statusCode = static_cast<int>(code);
    contentLength = length;
    tooLarge = file.IsOpen() && length >= 0 && static_cast<uint64_t>(length) > fileBodyLimit;
  }
  if (!accepted) {
    WriteDebugLineF("HTTP status %lu.\n", static_cast<unsigned long>(code));
    return HRESULT_FROM_WIN32(ERROR_WINHTTP_INVALID_HEADER);
  }
  if (tooLarge) {
    WriteDebugLine("The announced response body is larger than the file may grow.\n");
    return kBodyTooLargeResult;
  }
  return StartRead();
}

int64_t HttpRequest::QueryContentLength() {
  wchar_t text[kContentLengthBufferBytes / sizeof(wchar_t)] = {};
  DWORD size = sizeof(text);
  if (!::WinHttpQueryHeaders(get(), WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                             text, &size, WINHTTP_NO_HEADER_INDEX)) {
    return -1;
  }
  return ParseContentLength(std::wstring_view(text, size / sizeof(wchar_t)));
}

HRESULT HttpRequest::RequestError(const WINHTTP_ASYNC_RESULT* asyncResult) {
  if (!asyncResult)
    return E_UNEXPECTED;
  if (asyncResult->dwError == ERROR_WINHTTP_RESEND_REQUEST)
    return Resend();
  return FailureFromWin32(asyncResult->dwError);
}

HRESULT HttpRequest::DataReceived(const uint8_t* bytes, DWORD count) {
  received += count;
  if (file.IsOpen()) {
    if (received > fileBodyLimit) {
      WriteDebugLine("Response body written to a file passed its limit.\n");
      return kBodyTooLargeResult;
    }
    return file.Write(bytes, count);
  }
  if (!filePath.empty())
    return E_UNEXPECTED;  // the file was closed under a transfer still reading
  if (body.size() + count > kMemoryBodyLimit) {
    WriteDebugLine("Response body kept in memory passed its 4 MiB limit.\n");
    return kBodyTooLargeResult;
  }
  try {
    if (body.empty()) {
      const size_t wanted = contentLength >= 0
                                ? static_cast<size_t>(std::min<int64_t>(
                                      contentLength, static_cast<int64_t>(kMemoryReserveLimit)))
                                : kReadBufferSize;
      if (body.capacity() < wanted)
        body.reserve(wanted);
    }
    body.append(reinterpret_cast<const char*>(bytes), count);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

std::vector<std::string> HttpRequest::GetResponseHeaderValues(const wchar_t* name) const {
  std::vector<std::string> values;
  DWORD index = 0;
  while (true) {
    const DWORD queried = index;
    DWORD size = 0;
    // The first call only asks for the size; it fails with ERROR_INSUFFICIENT_BUFFER.
    ::WinHttpQueryHeaders(get(), WINHTTP_QUERY_CUSTOM, name, WINHTTP_NO_OUTPUT_BUFFER, &size,
                          &index);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
      break;  // no header at this index (ERROR_WINHTTP_HEADER_NOT_FOUND) or no response
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (!::WinHttpQueryHeaders(get(), WINHTTP_QUERY_CUSTOM, name, value.data(), &size, &index))
      break;
    value.resize(size / sizeof(wchar_t));
    values.push_back(WideToUtf8(value));
    if (index == queried)
      break;  // the platform did not move on: asking again would loop
  }
  return values;
}
