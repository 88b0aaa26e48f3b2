#ifndef BASE_WIN_LAST_ERROR_RESULT_H_
#define BASE_WIN_LAST_ERROR_RESULT_H_

#include <windows.h>

// |error|, a platform error number, as a failure result by the HRESULT_FROM_WIN32 rule; 0
// gives E_FAIL, so that a failure never reads as success.
HRESULT FailureFromWin32(DWORD error);

// The result of a platform call that just failed, from the thread's last error; never a
// success.
HRESULT LastErrorResult();

#endif  // BASE_WIN_LAST_ERROR_RESULT_H_
