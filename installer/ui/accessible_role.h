#ifndef INSTALLER_UI_ACCESSIBLE_ROLE_H_
#define INSTALLER_UI_ACCESSIBLE_ROLE_H_

// What a view is to a screen reader.
enum class AccessibleRole {
  kPushButton,
  kCheckBox,
  kLink,
  kEditableText,
  kProgressBar,
  kStaticText,
};

#endif  // INSTALLER_UI_ACCESSIBLE_ROLE_H_
