#ifndef INSTALLER_SINGLE_INSTANCE_H_
#define INSTALLER_SINGLE_INSTANCE_H_

#include "base/win/scoped_handle.h"

// The installer's one-per-session rule. The window search alone misses an installer started
// in the same moment, which has not created its window yet; a named mutex, taken before the
// window exists, closes that gap.
class SingleInstance {
 public:
  // Takes the session's installer mutex. IsFirst is false when another installer holds it
  // or already shows its window.
  SingleInstance();

  bool IsFirst() const { return first; }

 private:
  // Held until the process ends: the next installer may start once this one is gone.
  UniqueHandle mutex;
  bool first = true;
};

#endif  // INSTALLER_SINGLE_INSTANCE_H_
