#include "base/win/launch.h"

#include <shellapi.h>
#include <userenv.h>

#include <memory>
#include <string>

#include "base/win/logging.h"
#include "base/win/system_library.h"

namespace {

constexpr DWORD kJobAssignmentWaitMs = 60000;

// The attribute-list functions, looked up by name once: older systems lack them.
struct AttributeListFunctions {
  decltype(&::InitializeProcThreadAttributeList) initialize = nullptr;
  decltype(&::UpdateProcThreadAttribute) update = nullptr;
  decltype(&::DeleteProcThreadAttributeList) remove = nullptr;

  bool IsComplete() const { return initialize && update && remove; }
};

AttributeListFunctions LoadAttributeListFunctions() {
  AttributeListFunctions functions;
  const HMODULE kernel = LoadSystemLibrary(L"kernel32.dll");
  functions.initialize = GetLibraryFunction<decltype(functions.initialize)>(
      kernel, "InitializeProcThreadAttributeList");
  functions.update =
      GetLibraryFunction<decltype(functions.update)>(kernel, "UpdateProcThreadAttribute");
  functions.remove =
      GetLibraryFunction<decltype(functions.remove)>(kernel, "DeleteProcThreadAttributeList");
  return functions;
}

const AttributeListFunctions& GetAttributeListFunctions() {
  static const AttributeListFunctions functions = LoadAttributeListFunctions();
  return functions;
}

// A process-thread attribute list naming exactly the handles a child may inherit.
class HandleListAttribute {
 public:
  explicit HandleListAttribute(std::vector<HANDLE> inherited) : handles(std::move(inherited)) {}
  ~HandleListAttribute() {
    if (initialised)
      GetAttributeListFunctions().remove(get());
  }
  HandleListAttribute(const HandleListAttribute&) = delete;
  HandleListAttribute& operator=(const HandleListAttribute&) = delete;

  bool Build() {
    const AttributeListFunctions& functions = GetAttributeListFunctions();
    if (!functions.IsComplete())
      return false;
    SIZE_T size = 0;
    functions.initialize(nullptr, 1, 0, &size);
    if (size == 0)
      return false;
    storage = std::make_unique<char[]>(size);
    if (!functions.initialize(get(), 1, 0, &size))
      return false;
    initialised = true;
    return functions.update(get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                            handles.size() * sizeof(HANDLE), nullptr, nullptr) != FALSE;
  }

  LPPROC_THREAD_ATTRIBUTE_LIST get() {
    return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.get());
  }

 private:
  std::vector<HANDLE> handles;
  std::unique_ptr<char[]> storage;
  bool initialised = false;
};

// An environment block of a user, freed with DestroyEnvironmentBlock.
class UserEnvironment {
 public:
  ~UserEnvironment() {
    if (block)
      ::DestroyEnvironmentBlock(block);
  }
  bool Build(HANDLE token) { return ::CreateEnvironmentBlock(&block, token, FALSE) != FALSE; }
  void* get() const { return block; }

 private:
  void* block = nullptr;
};

bool IsWindows7OrEarlier() {
  // GetVersionEx is shimmed by manifests; the kernel's own version number is not.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtlGetVersion =
      GetSystemFunction<RtlGetVersionFunction>(L"ntdll.dll", "RtlGetVersion");
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!rtlGetVersion || rtlGetVersion(&info) != 0)
    return false;
  return info.dwMajorVersion < 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion <= 1);
}

// Starts |application| (null: the first element of |commandText|) with |commandText| (null:
// none) as CreateProcess does, applying |settings|.
ProcessHandle Start(const wchar_t* application,
                    wchar_t* commandText,
                    const LaunchSettings& settings) {
  STARTUPINFOEXW startup = {};
  startup.StartupInfo.cb = sizeof(STARTUPINFOW);
  if (!settings.showAsProgramChooses) {
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = settings.startHidden ? SW_HIDE : SW_SHOWNORMAL;
  }
  wchar_t emptyDesktop[] = L"";
  if (settings.emptyDesktopName)
    startup.StartupInfo.lpDesktop = emptyDesktop;
  if (settings.stdInput || settings.stdOutput || settings.stdError) {
    startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = settings.stdInput;
    startup.StartupInfo.hStdOutput = settings.stdOutput;
    startup.StartupInfo.hStdError = settings.stdError;
  }

  // The caller's error mode (a hidden program turns the crash and error boxes off) is not
  // the child's: it starts with the system's default.
  DWORD flags = CREATE_DEFAULT_ERROR_MODE;
  BOOL inheritHandles = settings.inheritMode == LaunchSettings::kInheritAll;
  std::unique_ptr<HandleListAttribute> handleList;
  if (!settings.handlesToInherit.empty()) {
    for (HANDLE handle : settings.handlesToInherit) {
      if (!::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        LOG_LAST_ERROR(logging::kLogFatal, "");
    }
    handleList = std::make_unique<HandleListAttribute>(settings.handlesToInherit);
    if (!handleList->Build())
      return ProcessHandle();
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = handleList->get();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
    inheritHandles = TRUE;
  }
  if (settings.job) {
    flags |= CREATE_SUSPENDED;
    if (IsWindows7OrEarlier())
      flags |= CREATE_BREAKAWAY_FROM_JOB;
  }
  if (settings.forceBreakaway)
    flags |= CREATE_BREAKAWAY_FROM_JOB;

  const wchar_t* directory =
      settings.currentDirectory.empty() ? nullptr : settings.currentDirectory.c_str();
  PROCESS_INFORMATION created = {};
  if (settings.userToken) {
    UserEnvironment environment;
    if (!environment.Build(settings.userToken))
      return ProcessHandle();
    if (!::CreateProcessAsUserW(settings.userToken, application, commandText, nullptr, nullptr,
                                inheritHandles, flags | CREATE_UNICODE_ENVIRONMENT,
                                environment.get(), directory, &startup.StartupInfo, &created)) {
      return ProcessHandle();
    }
  } else if (!::CreateProcessW(application, commandText, nullptr, nullptr, inheritHandles, flags,
                               nullptr, directory, &startup.StartupInfo, &created)) {
    return ProcessHandle();
  }
  UniqueHandle thread(created.hThread);
  ProcessHandle process(created.hProcess);

  if (settings.job) {
    if (!::AssignProcessToJobObject(settings.job, process.get())) {
      // Never leave a suspended stray behind.
      ::TerminateProcess(process.get(), 1);
      ::WaitForSingleObject(process.get(), kJobAssignmentWaitMs);
      return ProcessHandle();
    }
    ::ResumeThread(thread.get());
  }
  if (settings.wait)
    ::WaitForSingleObject(process.get(), INFINITE);
  return process;
}

// The shell starts programs with the caller's error mode and has no CREATE_DEFAULT_ERROR_MODE of
// its own: while it is called, the process takes the system's default, so that a hidden
// caller's "no crash or error boxes" never reaches the user's programs, and gets its own back
// after. The mode is the process's, so it is changed only around the shell call itself.
class DefaultErrorModeForChildren {
 public:
  DefaultErrorModeForChildren() : callerMode(::SetErrorMode(0)) {}
  ~DefaultErrorModeForChildren() { ::SetErrorMode(callerMode); }
  DefaultErrorModeForChildren(const DefaultErrorModeForChildren&) = delete;
  DefaultErrorModeForChildren& operator=(const DefaultErrorModeForChildren&) = delete;

 private:
  const UINT callerMode;
};

}  // namespace

ProcessHandle StartProcess(const CommandLineArgs& commandLine, const LaunchSettings& settings) {
  std::wstring commandText = commandLine.GetCommandLineString();
  return Start(nullptr, commandText.data(), settings);
}

ProcessHandle StartProgramAt(const std::wstring& programPath,
                             const std::wstring& commandText,
                             const LaunchSettings& settings) {
  // CreateProcess may write into the command text, so it gets a copy of its own.
  std::wstring writable = commandText;
  return Start(programPath.c_str(), commandText.empty() ? nullptr : writable.data(), settings);
}

ProcessHandle StartProcessElevated(const CommandLineArgs& commandLine,
                                   const LaunchSettings& settings) {
  const std::wstring programText = commandLine.GetProgram();
  const std::wstring program(programText.c_str());  // cut at the first NUL
  const std::wstring arguments = commandLine.GetArgumentsString();

  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof(execute);
  // No error dialogs: the caller is a hidden program with nobody to dismiss them, and a
  // dialog would block its window thread. The consent prompt itself is not affected.
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  execute.hwnd = ::GetActiveWindow();
  execute.lpVerb = L"runas";
  execute.lpFile = program.c_str();
  execute.lpParameters = arguments.c_str();
  execute.nShow = settings.startHidden ? SW_HIDE : SW_SHOWNORMAL;
  BOOL started = FALSE;
  {
    const DefaultErrorModeForChildren childMode;
    started = ::ShellExecuteExW(&execute);
  }
  if (!started)
    return ProcessHandle();
  ProcessHandle process(execute.hProcess);
  if (settings.wait && process.IsValid())
    ::WaitForSingleObject(process.get(), INFINITE);
  return process;
}

bool OpenWithShell(const std::wstring& target) {
  const DefaultErrorModeForChildren childMode;
  // Above 32 is success; the value is no handle and needs no closing.
  return reinterpret_cast<INT_PTR>(
             ::ShellExecuteW(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOW)) > 32;
}
