#ifndef INSTALLER_UI_X_VIEW_LISTENER_H_
#define INSTALLER_UI_X_VIEW_LISTENER_H_

class XView;

// Hears the clicks of buttons; tells senders apart by comparing pointers. Window thread.
class XViewListener {
 public:
  // |sender| has already returned to its normal state; the handler may hide, disable or
  // re-text it.
  virtual void OnViewClicked(XView* sender) = 0;

 protected:
  ~XViewListener() = default;
};

#endif  // INSTALLER_UI_X_VIEW_LISTENER_H_
