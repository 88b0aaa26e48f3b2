#ifndef NET_SCOPED_HINTERNET_H_
#define NET_SCOPED_HINTERNET_H_

#include <windows.h>
#include <winhttp.h>

#include "base/win/scoped_handle.h"

// WinHTTP session, connection and request handles. Closing a request handle may call its
// status callback (from inside WinHttpCloseHandle or later on a worker thread); the holder
// is already null by then, since ScopedResource::reset forgets the value before closing it.
using UniqueHInternet = UniqueAny<HINTERNET, ::WinHttpCloseHandle>;

#endif  // NET_SCOPED_HINTERNET_H_
