#ifndef NET_HTTP_RESULT_H_
#define NET_HTTP_RESULT_H_

#include <windows.h>

#include "base/win/last_error_result.h"

// Results of the HTTP engine are HRESULTs: S_OK success, S_FALSE nothing done, negative
// failure. Platform and WinHTTP error numbers map by the HRESULT_FROM_WIN32 rule
// (LastErrorResult, FailureFromWin32).

// A response body passed its limit (kMemoryBodyLimit in memory, the file limit on disk);
// the transfer is failed.
// HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), 0x800700DF.
inline constexpr HRESULT kBodyTooLargeResult = static_cast<HRESULT>(0x800700DFL);

// The response body ended before the length its Content-Length announced:
// HRESULT_FROM_WIN32(ERROR_WINHTTP_CONNECTION_ERROR), 0x80072EFE.
inline constexpr HRESULT kBodyCutShortResult = static_cast<HRESULT>(0x80072EFEL);

// The response body ran past the length its Content-Length announced (Windows stops reading
// there; other platforms may not): HRESULT_FROM_WIN32(ERROR_WINHTTP_INVALID_SERVER_RESPONSE),
// 0x80072F78.
inline constexpr HRESULT kBodyOverrunResult = static_cast<HRESULT>(0x80072F78L);

// Result of a transfer that the owner cancelled (Cancel, destruction) before it ended.
inline constexpr HRESULT kTransferCancelledResult = E_ABORT;

#endif  // NET_HTTP_RESULT_H_
