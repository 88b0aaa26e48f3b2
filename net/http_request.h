#ifndef NET_HTTP_REQUEST_H_
#define NET_HTTP_REQUEST_H_

#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/win/srw_lock.h"
#include "net/deferred_start.h"
#include "net/download_file.h"
#include "net/http_handle.h"
#include "net/http_verb.h"

class RequestCallbackContext;

// One asynchronous WinHTTP request and the state of its transfer: status, authentication
// answers, and the response body, kept in memory or written to a file.
//
// Threads. The window thread calls Open, Send and Cancel and destroys the object (Open and
// Send may also run in the start step of StartLater, on its worker); WinHTTP
// calls back on its worker threads, where the protected operations run. The accessors may
// be called from any thread.
//
// Lifetime. WinHTTP's callbacks reach this object through a RequestCallbackContext, never
// directly. Cancel, Open (which replaces the handle) and the destructor detach from it first:
// they wait until callbacks already running on other threads have left, close the handle,
// and leave the context with the buffers WinHTTP may still touch to be freed by the
// handle-closing notification. So once they return, no callback touches this object or its
// delegate, and they never wait for the network. They do wait for a callback that is
// running, so callbacks (and the delegate calls they make) must never wait for the thread
// that cancels or destroys the request.
class HttpRequest : public HttpHandle {
 public:
  // Bytes of the receive buffer; one read of at most this many bytes is outstanding. 8096,
  // not 8192, is the size this updater has always read with: progress is reported per read,
  // so clients see the same steps as from earlier updaters. Not a typo to fix.
  static constexpr DWORD kReadBufferSize = 8096;
  // A response body kept in memory may not pass this size (file downloads: SetFileBodyLimit).
  static constexpr size_t kMemoryBodyLimit = 4 * 1024 * 1024;
  // Room reserved up front for a body kept in memory, whatever length the server declares.
  static constexpr size_t kMemoryReserveLimit = 64 * 1024;
  // Authentication challenges answered in one transfer before it fails with a login failure,
  // so that a server alternating 401 and 407 cannot keep a transfer going forever.
  static constexpr int kMaxChallengesPerTransfer = 4;

  HttpRequest();
  ~HttpRequest() override;

  // Opens a request on |connection| for |path| with |verb| and WinHTTP open |flags|
  // (WINHTTP_FLAG_SECURE for https), replacing the previous request as Cancel does. Installs
  // the status callback, allocates the receive buffer, prepares the download file when a
  // file path is set, and adds the form content type to a POST. Window thread.
  HRESULT Open(const HttpConnection& connection,
               const std::wstring& path,
               HttpVerb verb,
               DWORD flags);

  // Sends the opened request with |length| bytes of |data| as body (copied; kept until the
  // platform is done with it). S_OK means WinHTTP accepted it and Complete will run exactly
  // once; a failure means no callback follows and any download file was removed.
  // E_UNEXPECTED when nothing is open or a transfer is still under way. Window thread.
  HRESULT Send(const void* data, DWORD length);

  // Ends the current request: disarms a start still being prepared, stops the callbacks (see
  // the class comment), closes the handle, and abandons a transfer still under way, deleting
  // its download file. No completion is reported for an abandoned transfer. Window thread.
  void Cancel();

  // Cancels as above, then prepares the next transfer on a worker thread (see DeferredStart)
  // and runs the start step it returns there, unless Cancel or the destructor came first.
  // The start step opens and sends this request and reports its own failure through
  // FailUnsent. False when no worker could be started. Window thread.
  bool StartLater(DeferredStart::Preparation prepare);

  // Ends a transfer that could not even be sent (on the worker of StartLater) as failed with
  // |failure|, so that the owner hears its completion as from any other transfer.
  void FailUnsent(HRESULT failure);

  // The download file of the next transfer; empty keeps the body in memory. Window thread,
  // before Open.
  void SetFilePath(std::wstring path);

  // A body written to a file may not pass |bytes|: an announced length above it fails the
  // transfer when the headers arrive, a body that grows past it fails as it does (both with
  // kBodyTooLargeResult, deleting the file). No limit until set. Window thread, before Send.
  void SetFileBodyLimit(uint64_t bytes);

  // The status of the last transfer: whether a status was recorded, and the code (the last
  // one seen, 401/407 while an authentication answer is under way). Any thread.
  bool IsStatusKnown() const;
  int GetStatusCode() const;

  // The outcome of the last transfer: S_FALSE while one is under way or before the first,
  // then what Complete was given, or kTransferCancelledResult. Any thread.
  HRESULT GetResult() const;

  // The values of every response header called |name| in the last response, in the order
  // received; empty when there is none. Only while the request's handle is open and the
  // headers have arrived: from a delegate call of this request, on its worker thread.
  std::vector<std::string> GetResponseHeaderValues(const wchar_t* name) const;

  // Credentials, applied before every send (when the preset flag is set, with the preset
  // scheme) and in answer to a challenge. Set on the window thread before a transfer.
  std::wstring serverUser;
  std::wstring serverPassword;
  std::wstring proxyUser;
  std::wstring proxyPassword;
  DWORD proxyScheme = WINHTTP_AUTH_SCHEME_NEGOTIATE;
  DWORD serverScheme = WINHTTP_AUTH_SCHEME_NEGOTIATE;
  bool presetProxy = true;
  bool presetServer = true;
  // The transfer goes through a proxy chosen by policy: a proxy's Negotiate or NTLM challenge
  // is answered with the user's logon credentials, and a challenge that cannot be answered
  // so is logged with the schemes offered. Set before the send.
  bool answerProxyWithLogon = false;

 protected:
  // The operations below run on WinHTTP worker threads unless noted. A failure result from
  // HandleNotification ends the transfer through Complete.

  // Dispatches one status notification.
  virtual HRESULT HandleNotification(DWORD status, void* information, DWORD length);

  // Ends the transfer with |result|: closes the download file (deleting it unless |result|
  // is S_OK) and frees the receive buffer. Returns S_OK when it ended a transfer, S_FALSE
  // when none was under way (it already ended), so that overrides report each end once.
  virtual HRESULT Complete(HRESULT result);

  // Extra request headers sent with every send; none.
  virtual std::wstring BuildExtraHeaders();

  // Sets the credentials of |target| (WINHTTP_AUTH_TARGET_SERVER or _PROXY) for |scheme|.
  // S_FALSE when that target has no user name; E_UNEXPECTED for another target. Runs on
  // the window thread too (before a send).
  virtual HRESULT ApplyCredentials(DWORD scheme, DWORD target);

  // The preferred scheme of a supported set: Negotiate, NTLM, Passport, Digest, Basic; 0
  // when none of them is offered. Any thread.
  virtual DWORD ChooseScheme(DWORD supported);

  virtual HRESULT ReadComplete(DWORD count);
  virtual HRESULT SendComplete();
  virtual HRESULT ProxyAuthenticationRequired();
  virtual HRESULT ServerAuthenticationRequired();
  virtual HRESULT HeadersAvailable();
  virtual HRESULT RequestError(const WINHTTP_ASYNC_RESULT* result);

  // Stores one chunk of the body in the file or in memory. Called under the lock.
  virtual HRESULT DataReceived(const uint8_t* bytes, DWORD count);

  // For subclasses: the low 32 bits of the received count and of the declared length
  // (0xFFFFFFFF when none was declared), and the body kept in memory, handed over once.
  void GetProgress(uint32_t* receivedLow, uint32_t* totalLow) const;
  std::string TakeBody();

  // Cancel without the virtual dispatch; every destructor in the hierarchy calls it first,
  // so that no callback runs an override of a class already destroyed.
  void StopCallbacks();

 private:
  // StopCallbacks without disarming a deferred start: Open runs inside one.
  void DetachCallbacks();

  static void CALLBACK StatusCallback(HINTERNET handle,
                                      DWORD_PTR contextValue,
                                      DWORD status,
                                      void* information,
                                      DWORD length);

  HRESULT StartRead();
  // Sends the request again (authentication answer, resend request) with the same body.
  HRESULT Resend();
  HRESULT AnswerChallenge(int challengeStatus);
  int64_t QueryContentLength();
  // Ends a transfer that will not complete through a callback, without a report.
  void AbandonTransfer(HRESULT result);
  // Closes the download file and frees the receive buffer; deletes the file when |result|
  // is not S_OK. Called under the lock.
  void CloseTransfer(HRESULT result);

  std::wstring filePath;
  // Only the thread starting a transfer changes it (the window thread, or a deferred start
  // step, which the window thread waits out before it cancels), and only while no callback
  // can run.
  RequestCallbackContext* context = nullptr;

  // Guards the transfer state below, which worker threads change.
  mutable SrwLock lock;
  std::string body;
  DownloadFile file;
  int statusCode = 0;
  bool statusKnown = false;
  int64_t contentLength = -1;
  const void* optionalData = nullptr;
  DWORD optionalLength = 0;
  DWORD chosenProxyScheme = 0;
  uint64_t received = 0;
  uint64_t fileBodyLimit = UINT64_MAX;
  bool transferOpen = false;
  int challenges = 0;
  HRESULT result = S_FALSE;
  // Window thread only.
  DeferredStart deferredStart;
};

#endif  // NET_HTTP_REQUEST_H_
