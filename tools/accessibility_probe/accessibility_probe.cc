// accessibility_probe: reads a window of another process through Active Accessibility, as a
// screen reader does, for the installer's process tests. Exit code 0 on success, 1 when the
// window gave no accessible object or the call failed, 2 on bad usage.
//
//   accessibility_probe tree HWND        prints the client object and its children as JSON:
//                                        name, role, state, value, location, default action,
//                                        the child accHitTest finds at the child's centre and
//                                        accNavigate's next and previous; for the client
//                                        object get_accFocus, its first and last child and
//                                        what get_accName answers for child ids that are none
//   accessibility_probe do HWND CHILD    runs the default action of child CHILD (1-based)
//
// HWND is hexadecimal, as window_probe prints it.

#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// Not taken from the SDK's libraries: a static link of those gave a wrong IID_IAccessible.
constexpr IID kIidAccessible = {0x618736E0,
                                0x3C3D,
                                0x11CF,
                                {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

struct Named {
  LONG value;
  const char* name;
};

constexpr Named kRoles[] = {
    {ROLE_SYSTEM_CLIENT, "client"},          {ROLE_SYSTEM_PUSHBUTTON, "push button"},
    {ROLE_SYSTEM_CHECKBUTTON, "check box"},  {ROLE_SYSTEM_LINK, "link"},
    {ROLE_SYSTEM_TEXT, "editable text"},     {ROLE_SYSTEM_PROGRESSBAR, "progress bar"},
    {ROLE_SYSTEM_STATICTEXT, "static text"}, {ROLE_SYSTEM_WINDOW, "window"},
};

constexpr Named kStates[] = {
    {STATE_SYSTEM_FOCUSED, "focused"},     {STATE_SYSTEM_FOCUSABLE, "focusable"},
    {STATE_SYSTEM_CHECKED, "checked"},     {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
    {STATE_SYSTEM_INVISIBLE, "invisible"},
};

std::string Utf8(const wchar_t* text, size_t length) {
  if (length == 0)
    return std::string();
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                          nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), bytes, nullptr,
                        nullptr);
  return out;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A BSTR property as a JSON string, or null when the object gives none.
template <typename Getter>
std::string TextProperty(Getter get) {
  BSTR text = nullptr;
  const HRESULT result = get(&text);
  std::string json = "null";
  if (result == S_OK && text)
    json = JsonString(Utf8(text, ::SysStringLen(text)));
  ::SysFreeString(text);
  return json;
}

std::string RoleOf(IAccessible* object, const VARIANT& child) {
  VARIANT role;
  ::VariantInit(&role);
  if (object->get_accRole(child, &role) != S_OK || role.vt != VT_I4)
    return "null";
  for (const Named& known : kRoles) {
    if (known.value == role.lVal)
      return JsonString(known.name);
  }
  return std::to_string(role.lVal);
}

std::string StateOf(IAccessible* object, const VARIANT& child) {
  VARIANT state;
  ::VariantInit(&state);
  if (object->get_accState(child, &state) != S_OK || state.vt != VT_I4)
    return "null";
  std::string json = "[";
  for (const Named& known : kStates) {
    if (state.lVal & known.value)
      json += (json.size() > 1 ? ", " : "") + JsonString(known.name);
  }
  return json + "]";
}

std::string LocationOf(IAccessible* object, const VARIANT& child) {
  LONG left = 0, top = 0, width = 0, height = 0;
  if (object->accLocation(&left, &top, &width, &height, child) != S_OK)
    return "null";
  char json[64];
  std::snprintf(json, sizeof(json), "[%ld, %ld, %ld, %ld]", static_cast<long>(left),
                static_cast<long>(top), static_cast<long>(width), static_cast<long>(height));
  return json;
}

VARIANT ChildId(LONG id) {
  VARIANT child;
  ::VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// A child id answered in a VARIANT, or null when the answer is none or not a child id.
std::string ChildIdJson(HRESULT result, const VARIANT& answer) {
  return result == S_OK && answer.vt == VT_I4 ? std::to_string(answer.lVal) : "null";
}

std::string HitAtCentre(IAccessible* object, const VARIANT& child) {
  LONG left = 0, top = 0, width = 0, height = 0;
  if (object->accLocation(&left, &top, &width, &height, child) != S_OK)
    return "null";
  VARIANT hit;
  ::VariantInit(&hit);
  const HRESULT result = object->accHitTest(left + width / 2, top + height / 2, &hit);
  const std::string json = ChildIdJson(result, hit);
  ::VariantClear(&hit);
  return json;
}

std::string Navigate(IAccessible* object, LONG direction, LONG from) {
  VARIANT end;
  ::VariantInit(&end);
  const HRESULT result = object->accNavigate(direction, ChildId(from), &end);
  const std::string json = ChildIdJson(result, end);
  ::VariantClear(&end);
  return json;
}

std::string HexResult(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof(text), "\"0x%08lx\"", static_cast<unsigned long>(result));
  return text;
}

// What get_accName answers for ids naming no child: one past the last, a negative one and
// one that is not a number.
std::string InvalidIds(IAccessible* object, LONG count) {
  VARIANT text;
  ::VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = ::SysAllocString(L"1");
  std::string json = "[";
  for (const VARIANT& id : {ChildId(count + 1), ChildId(-7), text}) {
    BSTR name = nullptr;
    json += (json.size() > 1 ? ", " : "") + HexResult(object->get_accName(id, &name));
    ::SysFreeString(name);
  }
  ::VariantClear(&text);
  return json + "]";
}

std::string Describe(IAccessible* object, LONG id) {
  const VARIANT child = ChildId(id);
  std::string json = "{\"id\": " + std::to_string(id);
  json += ", \"name\": " + TextProperty([&](BSTR* t) { return object->get_accName(child, t); });
  json += ", \"role\": " + RoleOf(object, child);
  json += ", \"state\": " + StateOf(object, child);
  json += ", \"value\": " + TextProperty([&](BSTR* t) { return object->get_accValue(child, t); });
  json += ", \"location\": " + LocationOf(object, child);
  json += ", \"default_action\": " +
          TextProperty([&](BSTR* t) { return object->get_accDefaultAction(child, t); });
  if (id != CHILDID_SELF) {
    json += ", \"hit\": " + HitAtCentre(object, child);
    json += ", \"next\": " + Navigate(object, NAVDIR_NEXT, id);
    json += ", \"previous\": " + Navigate(object, NAVDIR_PREVIOUS, id);
  }
  return json;
}

int PrintTree(IAccessible* object) {
  LONG count = 0;
  if (object->get_accChildCount(&count) != S_OK)
    return 1;
  VARIANT focus;
  ::VariantInit(&focus);
  const HRESULT focusResult = object->get_accFocus(&focus);
  std::string json = Describe(object, CHILDID_SELF);
  json += ", \"focus\": " + ChildIdJson(focusResult, focus);
  ::VariantClear(&focus);
  json += ", \"first\": " + Navigate(object, NAVDIR_FIRSTCHILD, CHILDID_SELF);
  json += ", \"last\": " + Navigate(object, NAVDIR_LASTCHILD, CHILDID_SELF);
  json += ", \"invalid\": " + InvalidIds(object, count);
  json += ", \"children\": [";
  for (LONG id = 1; id <= count; ++id)
    json += (id > 1 ? ",\n  " : "\n  ") + Describe(object, id) + "}";
  json += "]}\n";
  std::fputs(json.c_str(), stdout);
  return 0;
}

int DoDefaultAction(IAccessible* object, LONG id) {
  const HRESULT result = object->accDoDefaultAction(ChildId(id));
  std::printf("result=0x%08lx\n", static_cast<unsigned long>(result));
  return result == S_OK ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3)
    return 2;
  const std::wstring command = argv[1];
  const HWND window = reinterpret_cast<HWND>(std::wcstoull(argv[2], nullptr, 16));
  if (::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) < 0)
    return 1;
  IAccessible* object = nullptr;
  const HRESULT found = ::AccessibleObjectFromWindow(
      window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible, reinterpret_cast<void**>(&object));
  int exitCode = 2;
  if (found != S_OK || !object) {
    std::printf("error=0x%08lx\n", static_cast<unsigned long>(found));
    exitCode = 1;
  } else if (command == L"tree") {
    exitCode = PrintTree(object);
  } else if (command == L"do" && argc >= 4) {
    exitCode = DoDefaultAction(object, std::wcstol(argv[3], nullptr, 10));
  }
  if (object)
    object->Release();
  ::CoUninitialize();
  return exitCode;
}
