#include "installer/ui/accessible_root.h"

#include <oleacc.h>

#include <string>
#include <vector>

#include "installer/ui/oleacc_library.h"
#include "installer/ui/toolkit_messages.h"
#include "installer/ui/x_root_view.h"

namespace {

// Defined here rather than taken from the SDK's libraries: a static link of those gave a
// wrong IID_IAccessible.
// clang-format off
constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF,
                                {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
// clang-format on

LONG RoleConstant(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::kPushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::kCheckBox:
      return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::kLink:
      return ROLE_SYSTEM_LINK;
    case AccessibleRole::kEditableText:
      return ROLE_SYSTEM_TEXT;
    case AccessibleRole::kProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::kStaticText:
      break;
  }
  return ROLE_SYSTEM_STATICTEXT;
}

// The conventional names of what a click does; empty where a click does nothing, as on a
// disabled button.
const wchar_t* DefaultActionOf(const XView& view) {
  if (!view.IsEnabled())
    return L"";
  switch (view.GetAccessibleRole()) {
    case AccessibleRole::kPushButton:
      return L"Press";
    case AccessibleRole::kCheckBox:
      return view.IsChecked() ? L"Uncheck" : L"Check";
    case AccessibleRole::kLink:
      return L"Jump";
    default:
      return L"";
  }
}

// S_FALSE and no string for an empty text, as screen readers expect.
HRESULT ReturnText(const std::wstring& text, BSTR* out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (text.empty())
    return S_FALSE;
  *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnLong(LONG value, VARIANT* out) {
  if (!out)
    return E_POINTER;
  ::VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
  return S_OK;
}

// The client area of the installer window as a screen reader sees it. Lives as long as a
// reader holds it; after the window is gone it only answers CO_E_OBJNOTCONNECTED.
class ClientAccessible final : public IAccessible {
 public:
  ClientAccessible(HWND host, XRootView* view) : window(host), root(view) {}

  void Disconnect() { root = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object)
      return E_POINTER;
    if (IsEqualIID(iid, kIidUnknown) || IsEqualIID(iid, kIidDispatch) ||
        IsEqualIID(iid, kIidAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&references);
    if (left == 0)
      delete this;
    return left;
  }

  // IDispatch: readers call the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count)
      return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent)
      return E_POINTER;
    *parent = nullptr;
    if (!root)
      return CO_E_OBJNOTCONNECTED;
    const auto fromWindow = Oleacc().accessibleObjectFromWindow;
    if (!fromWindow)
      return S_FALSE;
    return fromWindow(window, static_cast<DWORD>(OBJID_WINDOW), kIidDispatch,
                      reinterpret_cast<void**>(parent));
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count)
      return E_POINTER;
    if (!root)
      return CO_E_OBJNOTCONNECTED;
    *count = static_cast<LONG>(root->AccessibleChildren().size());
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
    if (!child)
      return E_POINTER;
    *child = nullptr;
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    // The children are simple elements, reached through this object with their ids.
    return target.view ? S_FALSE : E_INVALIDARG;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    return ReturnText(target.view ? target.view->GetAccessibleName() : root->GetAccessibleName(),
                      name);
  }

  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override {
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    if (!target.view) {
      if (value)
        *value = nullptr;
      return DISP_E_MEMBERNOTFOUND;
    }
    return ReturnText(target.view->GetAccessibleValue(), value);
  }

  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* text) override {
    return NoText(id, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* text) override {
    return NoText(id, text);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* text) override {
    return NoText(id, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override {
    if (topic)
      *topic = 0;
    return NoText(id, file);
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    return ReturnLong(
        target.view ? RoleConstant(target.view->GetAccessibleRole()) : ROLE_SYSTEM_CLIENT, role);
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    return ReturnLong(target.view ? StateOf(*target.view) : RootState(), state);
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus)
      return E_POINTER;
    ::VariantInit(focus);
    if (!root)
      return CO_E_OBJNOTCONNECTED;
    if (!root->HoldsKeyboardFocus())
      return S_FALSE;
    const long child = root->AccessibleChildId(root->GetFocusedView());
    return ReturnLong(child, focus);
  }

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection)
      ::VariantInit(selection);
    return root ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
  }

  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override {
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    return ReturnText(target.view ? DefaultActionOf(*target.view) : L"", action);
  }

  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override {
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    const bool focusable = target.view && target.view->IsFocusable() && target.view->IsEnabled();
    if (flags != SELFLAG_TAKEFOCUS || (target.view && !focusable))
      return DISP_E_MEMBERNOTFOUND;
    root->SetFocusedView(target.view);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE
  accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT id) override {
    if (!left || !top || !width || !height)
      return E_POINTER;
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    RECT area = target.view ? target.view->GetRect() : root->GetRect();
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    *left = area.left;
    *top = area.top;
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (!end)
      return E_POINTER;
    ::VariantInit(end);
    const Target target = Resolve(start);
    if (target.result != S_OK)
      return target.result;
    const LONG count = static_cast<LONG>(root->AccessibleChildren().size());
    const LONG from = target.view ? root->AccessibleChildId(target.view) : 0;
    LONG to = 0;
    if (direction == NAVDIR_FIRSTCHILD && !target.view)
      to = 1;
    else if (direction == NAVDIR_LASTCHILD && !target.view)
      to = count;
    else if (direction == NAVDIR_NEXT && target.view)
      to = from + 1;
    else if (direction == NAVDIR_PREVIOUS && target.view)
      to = from - 1;
    else
      return target.view || direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD
                 ? S_FALSE
                 : DISP_E_MEMBERNOTFOUND;
    if (to < 1 || to > count)
      return S_FALSE;
    return ReturnLong(to, end);
  }

  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (!hit)
      return E_POINTER;
    ::VariantInit(hit);
    if (!root)
      return CO_E_OBJNOTCONNECTED;
    POINT point = {x, y};
    ::ScreenToClient(window, &point);
    if (!::PtInRect(&root->GetRect(), point))
      return S_FALSE;
    const std::vector<XView*> children = root->AccessibleChildren();
    for (size_t i = 0; i < children.size(); ++i) {
      if (::PtInRect(&children[i]->GetRect(), point))
        return ReturnLong(static_cast<LONG>(i + 1), hit);
    }
    return ReturnLong(CHILDID_SELF, hit);
  }

  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
    const Target target = Resolve(id);
    if (target.result != S_OK)
      return target.result;
    if (!target.view || !*DefaultActionOf(*target.view))
      return DISP_E_MEMBERNOTFOUND;
    // Posted: the action may raise a message box, and the reader's call must not wait for it.
    ::PostMessageW(window, XWM_ACCESSIBLE_ACTION, reinterpret_cast<WPARAM>(target.view), 0);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~ClientAccessible() = default;

  // The element a child id names: null view for the client area itself.
  struct Target {
    HRESULT result;
    XView* view;
  };

  Target Resolve(const VARIANT& id) const {
    if (!root)
      return {CO_E_OBJNOTCONNECTED, nullptr};
    if (id.vt != VT_I4)
      return {E_INVALIDARG, nullptr};
    if (id.lVal == CHILDID_SELF)
      return {S_OK, nullptr};
    const std::vector<XView*> children = root->AccessibleChildren();
    if (id.lVal < 1 || static_cast<size_t>(id.lVal) > children.size())
      return {E_INVALIDARG, nullptr};
    return {S_OK, children[static_cast<size_t>(id.lVal) - 1]};
  }

  HRESULT NoText(const VARIANT& id, BSTR* text) const {
    if (text)
      *text = nullptr;
    const Target target = Resolve(id);
    return target.result != S_OK ? target.result : S_FALSE;
  }

  LONG StateOf(const XView& view) const {
    LONG state = 0;
    if (!view.IsShowing())
      state |= STATE_SYSTEM_INVISIBLE;
    if (!view.IsEnabled())
      state |= STATE_SYSTEM_UNAVAILABLE;
    if (view.IsFocusable() && view.IsEnabled() && view.IsVisible()) {
      state |= STATE_SYSTEM_FOCUSABLE;
      if (&view == root->GetFocusedView() && root->HoldsKeyboardFocus())
        state |= STATE_SYSTEM_FOCUSED;
    }
    if (view.IsChecked())
      state |= STATE_SYSTEM_CHECKED;
    return state;
  }

  LONG RootState() const {
    LONG state = STATE_SYSTEM_FOCUSABLE;
    if (!::IsWindowVisible(window))
      state |= STATE_SYSTEM_INVISIBLE;
    if (!root->GetFocusedView() && root->HoldsKeyboardFocus())
      state |= STATE_SYSTEM_FOCUSED;
    return state;
  }

  LONG references = 1;
  const HWND window;
  XRootView* root;
};

// The one object of the process; null before the first request and after the window went.
ClientAccessible* g_clientObject = nullptr;

}  // namespace

LRESULT AnswerAccessibleObjectRequest(HWND window, WPARAM wParam, LPARAM lParam, XRootView* root) {
  // The object id arrives as a 32-bit signed value in a wider parameter.
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT) || !root)
    return 0;
  const auto lresultFromObject = Oleacc().lresultFromObject;
  if (!lresultFromObject)
    return 0;
  if (!g_clientObject)
    g_clientObject = new ClientAccessible(window, root);
  return lresultFromObject(kIidAccessible, wParam, g_clientObject);
}

void DisconnectAccessibleObject() {
  if (!g_clientObject)
    return;
  g_clientObject->Disconnect();
  // Drops the proxies other processes hold, so none keeps the object alive.
  ::CoDisconnectObject(g_clientObject, 0);
  g_clientObject->Release();
  g_clientObject = nullptr;
}
