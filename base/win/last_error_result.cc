#include "base/win/last_error_result.h"

HRESULT FailureFromWin32(DWORD error) {
  return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}

HRESULT LastErrorResult() {
  return FailureFromWin32(::GetLastError());
}
