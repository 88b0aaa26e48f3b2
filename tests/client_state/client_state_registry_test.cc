#include "client_state/client_state_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/win/scoped_handle.h"
#include "tests/updater/debug_line_capture.h"
#include "tests/updater/import_patch.h"

namespace {

using Lines = std::vector<std::string>;

// What the code under test last passed to RegSetValueExA / RegSetValueExW.
struct SetValueCall {
  int calls = 0;
  DWORD type = 0;
  DWORD byteCount = 0;
  std::string bytes;
};
SetValueCall lastSetValue;
LSTATUS forcedSetValueStatus = ERROR_SUCCESS;
ScopedImportPatch* setValuePatchA = nullptr;
ScopedImportPatch* setValuePatchW = nullptr;

LSTATUS WINAPI RecordSetValueA(HKEY key,
                               const char* name,
                               DWORD reserved,
                               DWORD type,
                               const BYTE* data,
                               DWORD byteCount) {
  lastSetValue = {lastSetValue.calls + 1, type, byteCount,
                  std::string(reinterpret_cast<const char*>(data), byteCount)};
  if (forcedSetValueStatus != ERROR_SUCCESS)
    return forcedSetValueStatus;
  return setValuePatchA->Original<decltype(&RegSetValueExA)>()(key, name, reserved, type, data,
                                                               byteCount);
}

LSTATUS WINAPI RecordSetValueW(HKEY key,
                               const wchar_t* name,
                               DWORD reserved,
                               DWORD type,
                               const BYTE* data,
                               DWORD byteCount) {
  lastSetValue = {lastSetValue.calls + 1, type, byteCount,
                  std::string(reinterpret_cast<const char*>(data), byteCount)};
  if (forcedSetValueStatus != ERROR_SUCCESS)
    return forcedSetValueStatus;
  return setValuePatchW->Original<decltype(&RegSetValueExW)>()(key, name, reserved, type, data,
                                                               byteCount);
}

// Each test runs against fresh, empty HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE: both are
// redirected into a scratch key of the real user hive, deleted afterwards, so the tests
// neither see nor leave values in the prefix's registry.
class ClientStateRegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    scratchPath =
        L"Software\\OrbavintelTests\\ClientState-" + std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath.c_str());
    userRoot = CreateScratchKey(L"\\user", 0);
    machineRoot = CreateScratchKey(L"\\machine", 0);
    ASSERT_TRUE(userRoot && machineRoot);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, userRoot.get()), ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machineRoot.get()), ERROR_SUCCESS);
    patchA = std::make_unique<ScopedImportPatch>("advapi32.dll", "RegSetValueExA",
                                                 reinterpret_cast<void*>(&RecordSetValueA));
    patchW = std::make_unique<ScopedImportPatch>("advapi32.dll", "RegSetValueExW",
                                                 reinterpret_cast<void*>(&RecordSetValueW));
    ASSERT_TRUE(patchA->IsActive() && patchW->IsActive());
    setValuePatchA = patchA.get();
    setValuePatchW = patchW.get();
    lastSetValue = {};
    forcedSetValueStatus = ERROR_SUCCESS;
  }

  void TearDown() override {
    patchA.reset();
    patchW.reset();
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    userRoot.reset();
    machineRoot.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrbavintelTests");  // when nobody else uses it
  }

  UniqueHKey CreateScratchKey(const std::wstring& suffix, DWORD options) {
    UniqueHKey key;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (scratchPath + suffix).c_str(), 0, nullptr, options,
                      KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
    return key;
  }

  // Makes every key creation under HKEY_CURRENT_USER fail: a volatile root only takes
  // volatile children, and the code under test creates non-volatile keys.
  void MakeUserKeysUncreatable() {
    volatileRoot = CreateScratchKey(L"\\volatile", REG_OPTION_VOLATILE);
    ASSERT_TRUE(volatileRoot);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, volatileRoot.get()), ERROR_SUCCESS);
  }

  static UniqueHKey CreateKey(HKEY hive, const char* path) {
    UniqueHKey key;
    ::RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
    return key;
  }

  static bool KeyExists(const char* path) {
    UniqueHKey key;
    return ::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
  }

  // Stores |bytes| as given (the test decides about the terminating zero), bypassing the
  // recording patch.
  void StoreClientStateValue(HKEY hive,
                             const char* name,
                             DWORD type,
                             const void* bytes,
                             DWORD byteCount) {
    UniqueHKey key = CreateKey(hive, kClientStateKey);
    ASSERT_TRUE(key);
    ASSERT_EQ(patchA->Original<decltype(&RegSetValueExA)>()(
                  key.get(), name, 0, type, static_cast<const BYTE*>(bytes), byteCount),
              ERROR_SUCCESS);
  }

  void StoreLaunchCmdLine(HKEY hive, const std::wstring& text) {
    UniqueHKey key = CreateKey(hive, kClientStateKey);
    ASSERT_TRUE(key);
    ASSERT_EQ(patchW->Original<decltype(&RegSetValueExW)>()(
                  key.get(), L"InstallerSuccessLaunchCmdLine", 0, REG_SZ,
                  reinterpret_cast<const BYTE*>(text.c_str()),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

  std::wstring scratchPath;
  UniqueHKey userRoot;
  UniqueHKey machineRoot;
  UniqueHKey volatileRoot;
  std::unique_ptr<ScopedImportPatch> patchA;
  std::unique_ptr<ScopedImportPatch> patchW;
};

TEST_F(ClientStateRegistryTest, WithoutTheKeyEachReadLogsAndGivesDefaults) {
  DebugLineCapture capture;
  EXPECT_EQ(GetPartnerId(), "default");
  EXPECT_EQ(GetInstallerName(), "");
  EXPECT_EQ(capture.Lines(), (Lines{"Fail open reg key.\n", "Fail open reg key.\n"}));
}

TEST_F(ClientStateRegistryTest, EmptyOrNonTextPartnerIdReadsAsDefault) {
  StoreClientStateValue(HKEY_CURRENT_USER, "PartnerId", REG_SZ, "", 1);
  DebugLineCapture capture;
  EXPECT_EQ(ReadClientStateValue("PartnerId"), "");
  EXPECT_EQ(GetPartnerId(), "default");

  const DWORD number = 7;
  StoreClientStateValue(HKEY_CURRENT_USER, "PartnerId", REG_DWORD, &number, sizeof(number));
  EXPECT_EQ(GetPartnerId(), "default");
  EXPECT_EQ(GetInstallerName(), "");  // key present, value missing
  EXPECT_TRUE(capture.Lines().empty());
}

TEST_F(ClientStateRegistryTest, ValuesThatDoNotFitTheBufferReadAsEmpty) {
  const std::string longest(259, 'p');
  StoreClientStateValue(HKEY_CURRENT_USER, "PartnerId", REG_SZ, longest.c_str(), 260);
  EXPECT_EQ(GetPartnerId(), longest);

  const std::string tooLong(260, 'p');
  StoreClientStateValue(HKEY_CURRENT_USER, "PartnerId", REG_SZ, tooLong.c_str(), 261);
  EXPECT_EQ(GetPartnerId(), "default");
}

TEST_F(ClientStateRegistryTest, InstallerWritesWhatTheUpdaterReads) {
  DebugLineCapture capture;
  EXPECT_TRUE(WritePartnerId("major"));
  EXPECT_TRUE(WriteInstallerName("orbavintel_installer.exe"));
  EXPECT_EQ(GetPartnerId(), "major");
  EXPECT_EQ(GetInstallerName(), "orbavintel_installer.exe");
  EXPECT_TRUE(capture.Lines().empty());
}

// The stored form is the text without a terminating zero. Checked on the call itself:
// Wine's RegSetValueExA and RegSetValueExW store a terminating zero anyway when the data is
// followed by one in memory (as any std::string is), so reading back would not show it.
TEST_F(ClientStateRegistryTest, NarrowValuesArePassedWithoutTerminator) {
  ASSERT_TRUE(WritePartnerId("major"));
  EXPECT_EQ(lastSetValue.calls, 1);
  EXPECT_EQ(lastSetValue.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(lastSetValue.byteCount, 5u);
  EXPECT_EQ(lastSetValue.bytes, "major");

  ASSERT_TRUE(partner::WriteRegValue("Software\\OrbavintelTests\\Other", "Name", "ab"));
  EXPECT_EQ(lastSetValue.byteCount, 2u);
  EXPECT_TRUE(KeyExists("Software\\OrbavintelTests\\Other"));
}

TEST_F(ClientStateRegistryTest, EmptyArgumentsWriteNothing) {
  DebugLineCapture capture;
  EXPECT_FALSE(partner::WriteRegValue("", "PartnerId", "major"));
  EXPECT_FALSE(partner::WriteRegValue(kClientStateKey, "", "major"));
  EXPECT_FALSE(WritePartnerId(""));
  EXPECT_EQ(capture.Lines(), Lines(3, "partner::WriteRegValue: empty args."));
  EXPECT_EQ(lastSetValue.calls, 0);
  EXPECT_FALSE(KeyExists(kClientStateKey));
}

TEST_F(ClientStateRegistryTest, UncreatableKeysAreLoggedAndReported) {
  MakeUserKeysUncreatable();
  DebugLineCapture capture;
  EXPECT_FALSE(WriteInstallerName("installer.exe"));
  EXPECT_FALSE(WriteCustomInstallPath(L"C:\\Orbavintel"));
  EXPECT_EQ(capture.Lines(), (Lines{"partner::WriteRegValue: Fail open reg key.\n",
                                    "WriteCustomInstallPath: Fail open reg key.\n"}));
  EXPECT_EQ(lastSetValue.calls, 0);
}

// A value the platform refuses to store is a failure, not a success the caller would act on.
TEST_F(ClientStateRegistryTest, RefusedValuesAreReportedAsFailures) {
  forcedSetValueStatus = ERROR_ACCESS_DENIED;
  DebugLineCapture capture;
  EXPECT_FALSE(WritePartnerId("major"));
  EXPECT_FALSE(WriteCustomInstallPath(L"C:\\Orbavintel"));
  EXPECT_EQ(capture.Lines(), (Lines{"partner::WriteRegValue: Fail set reg value (5).\n",
                                    "WriteCustomInstallPath: Fail set reg value (5).\n"}));
}

TEST_F(ClientStateRegistryTest, InstallPathIsPassedAsUtf16WithoutTerminator) {
  const std::wstring path = L"D:\\Programme\\\u6d4b\u8bd5 Orbavintel";
  DebugLineCapture capture;
  ASSERT_TRUE(WriteCustomInstallPath(path));
  EXPECT_EQ(capture.Lines(), Lines{});
  EXPECT_EQ(lastSetValue.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(lastSetValue.byteCount, path.size() * 2);
  EXPECT_EQ(lastSetValue.bytes,
            std::string(reinterpret_cast<const char*>(path.data()), path.size() * 2));

  // Rewriting replaces the value.
  ASSERT_TRUE(WriteCustomInstallPath(L"E:\\B"));
  UniqueHKey key;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kInstallPathKey, 0, KEY_READ, key.Receive()),
            ERROR_SUCCESS);
  wchar_t stored[64] = {};
  DWORD size = sizeof(stored);
  ASSERT_EQ(
      ::RegGetValueW(key.get(), nullptr, L"XInstallPath", RRF_RT_REG_SZ, nullptr, stored, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(stored), L"E:\\B");
}

TEST_F(ClientStateRegistryTest, EmptyInstallPathWritesAndLogsNothing) {
  DebugLineCapture capture;
  EXPECT_FALSE(WriteCustomInstallPath(L""));
  EXPECT_TRUE(capture.Lines().empty());
  EXPECT_EQ(lastSetValue.calls, 0);
  EXPECT_FALSE(KeyExists(kInstallPathKey));
}

TEST_F(ClientStateRegistryTest, LaunchCommandLineComesFromTheGivenHive) {
  StoreLaunchCmdLine(HKEY_LOCAL_MACHINE, L"\"C:\\Machine\\orbavintel.exe\"");
  wchar_t buffer[260] = {};

  DebugLineCapture capture;
  EXPECT_FALSE(ReadSuccessLaunchCmdLine(HKEY_CURRENT_USER, buffer, sizeof(buffer)));
  EXPECT_EQ(capture.Lines(), Lines{"Fail open reg key.\n"});
  EXPECT_TRUE(ReadSuccessLaunchCmdLine(HKEY_LOCAL_MACHINE, buffer, sizeof(buffer)));
  EXPECT_EQ(std::wstring(buffer), L"\"C:\\Machine\\orbavintel.exe\"");

  StoreLaunchCmdLine(HKEY_CURRENT_USER, L"C:\\User\\orbavintel.exe --from-installer");
  EXPECT_TRUE(ReadSuccessLaunchCmdLine(HKEY_CURRENT_USER, buffer, sizeof(buffer)));
  EXPECT_EQ(std::wstring(buffer), L"C:\\User\\orbavintel.exe --from-installer");
  EXPECT_FALSE(ReadSuccessLaunchCmdLine(HKEY_CURRENT_USER, nullptr, sizeof(buffer)));
}

TEST_F(ClientStateRegistryTest, OpenKeyWithoutUsableCommandLineGivesEmptyText) {
  ASSERT_TRUE(WritePartnerId("major"));  // the key exists, the value does not
  wchar_t buffer[260];
  std::fill(std::begin(buffer), std::end(buffer), L'x');
  EXPECT_TRUE(ReadSuccessLaunchCmdLine(HKEY_CURRENT_USER, buffer, sizeof(buffer)));
  EXPECT_EQ(buffer[0], L'\0');

  // 260 units and the zero do not fit 520 bytes: no cut-off command line is handed out.
  StoreLaunchCmdLine(HKEY_CURRENT_USER, std::wstring(260, L'c'));
  std::fill(std::begin(buffer), std::end(buffer), L'x');
  EXPECT_TRUE(ReadSuccessLaunchCmdLine(HKEY_CURRENT_USER, buffer, sizeof(buffer)));
  EXPECT_EQ(buffer[0], L'\0');

  StoreLaunchCmdLine(HKEY_CURRENT_USER, std::wstring(259, L'c'));
  EXPECT_TRUE(ReadSuccessLaunchCmdLine(HKEY_CURRENT_USER, buffer, sizeof(buffer)));
  EXPECT_EQ(std::wstring(buffer), std::wstring(259, L'c'));
}

}  // namespace
