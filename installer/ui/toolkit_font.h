#ifndef INSTALLER_UI_TOOLKIT_FONT_H_
#define INSTALLER_UI_TOOLKIT_FONT_H_

#include "installer/ui/gdi_handles.h"

// The one face every text of the installer window uses, "Microsoft YaHei", at |height|
// pixels (character cell) with the given underline. The platform substitutes another face
// when this one is missing. Empty when creation fails; counted by GdiObjectsCreated.
UniqueFont CreateToolkitFont(int height, bool underline);

#endif  // INSTALLER_UI_TOOLKIT_FONT_H_
