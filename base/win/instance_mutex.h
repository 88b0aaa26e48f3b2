#ifndef BASE_WIN_INSTANCE_MUTEX_H_
#define BASE_WIN_INSTANCE_MUTEX_H_

#include "base/win/scoped_handle.h"

// A program's one-instance mutex in the current session ("Local\" namespace): unlike a
// window search, creating it is atomic, so of two processes started at the same moment only
// one claims it.
//
// Returns false when another process of the session holds |name|. Otherwise returns true
// and puts the mutex into |held|, which the caller keeps for the rest of its life; when the
// mutex cannot be created at all (a debug line says so) |held| stays empty, and the caller's
// other checks are all there is.
bool ClaimInstanceMutex(const wchar_t* name, UniqueHandle* held);

#endif  // BASE_WIN_INSTANCE_MUTEX_H_
