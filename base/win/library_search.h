#ifndef BASE_WIN_LIBRARY_SEARCH_H_
#define BASE_WIN_LIBRARY_SEARCH_H_

// Limits where the process looks for libraries to the system folder. Users start our
// programs from folders anyone may write to (downloads, the temporary folder), where a
// library named like a system one may wait. Call it first thing in the entry point; the
// programs import only KnownDLLs statically and load everything else after this call.
void LoadLibrariesFromSystemFolderOnly();

#endif  // BASE_WIN_LIBRARY_SEARCH_H_
