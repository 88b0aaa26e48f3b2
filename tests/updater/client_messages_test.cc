#include <gtest/gtest.h>

#include <memory>

#include "tests/updater/message_window.h"
#include "updater/browser_updater.h"
#include "updater/client_version.h"
#include "updater/client_windows.h"
#include "updater/state_report.h"
#include "updater/update_messages.h"
#include "updater/updater_window.h"

namespace {

using Posted = MessageWindow::Posted;
using PostedList = std::vector<Posted>;

// Each test starts with no clients, no updater and a fresh updater window stand-in.
class ClientMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetClientWindowsForTesting();
    SetBrowserUpdater(nullptr);
    SetUpdaterWindow(self.get());
  }
  void TearDown() override {
    SetBrowserUpdater(nullptr);
    SetUpdaterWindow(nullptr);
    ResetClientWindowsForTesting();
  }

  void CreateUpdater(const char* version = "1.0.0.0") {
    SetBrowserUpdater(std::make_unique<BrowserUpdater>(version, "", "", "", ""));
  }

  // What the updater window would pass: the stand-in window, and the updater if made.
  RegistrationContext Context() { return {self.get(), GetBrowserUpdater()}; }

  MessageWindow self;
  MessageWindow client;
};

TEST(PackClientVersionTest, PacksOneByteEachFirstComponentHighest) {
  EXPECT_EQ(PackClientVersion(Version("1.2.3.4")), 0x01020304u);
  EXPECT_EQ(PackClientVersion(Version("255.255.255.255")), 0xFFFFFFFFu);
  // Missing components count as zero.
  EXPECT_EQ(PackClientVersion(Version("7.1")), 0x07010000u);
  // A component above 255 spills into the byte before it.
  EXPECT_EQ(PackClientVersion(Version("1.2.256.4")), 0x01030004u);
  EXPECT_EQ(PackClientVersion(Version("1.2.3.4.5")), 0x01020304u);
}

TEST(ParseClientWindowNumberTest, AcceptsOnlyUnsigned32BitDecimal) {
  uint32_t number = 0;
  EXPECT_TRUE(ParseClientWindowNumber("123", &number));
  EXPECT_EQ(number, 123u);
  EXPECT_TRUE(ParseClientWindowNumber("+42", &number));
  EXPECT_EQ(number, 42u);
  EXPECT_TRUE(ParseClientWindowNumber("4294967295", &number));
  EXPECT_EQ(number, 4294967295u);
  for (const char* bad :
       {"", "+", "-5", "12x", " 1", "1 ", "4294967296", "0x10", "++1", "99999999999999999999"}) {
    EXPECT_FALSE(ParseClientWindowNumber(bad, &number)) << bad;
  }
}

TEST_F(ClientMessagesTest, RegisteringTwiceListsTheWindowOnceAndAcknowledgesTwice) {
  RegisterClientWindow(client.get(), 0, Context());
  RegisterClientWindow(client.get(), 0, Context());
  EXPECT_EQ(client.Take(),
            (PostedList{{UWM_CLIENT_REGISTERED, 0, 0}, {UWM_CLIENT_REGISTERED, 0, 0}}));
  BroadcastToClients(UWM_CHECKING, 0, 0);
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CHECKING, 0, 0}}));
}

TEST_F(ClientMessagesTest, UpdaterWindowIsNeverItsOwnClient) {
  RegisterClientWindow(self.get(), 0, Context());
  BroadcastToClients(UWM_DOWNLOAD_COMPLETE, 0, 0);
  EXPECT_TRUE(self.Take().empty());
}

TEST_F(ClientMessagesTest, BroadcastDropsWindowsThatCannotTakePosts) {
  MessageWindow doomed;
  RegisterClientWindow(client.get(), 0, Context());
  RegisterClientWindow(doomed.get(), 0, Context());
  RegisterClientWindow(nullptr, 0, Context());
  client.Take();
  doomed.Close();
  BroadcastToClients(UWM_CHECKING, 0, 0);
  BroadcastToClients(UWM_NO_UPDATE, 0, 0);
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CHECKING, 0, 0}, {UWM_NO_UPDATE, 0, 0}}));
}

TEST_F(ClientMessagesTest, UnregisteredWindowHearsNothingMore) {
  RegisterClientWindow(client.get(), 0, Context());
  UnregisterClientWindow(client.get());
  client.Take();
  BroadcastToClients(UWM_CHECKING, 0, 0);
  EXPECT_TRUE(client.Take().empty());
}

TEST_F(ClientMessagesTest, BeforeTheAnswerOnlyTheMaximumVersionIsUpToDate) {
  CreateUpdater();
  MessageWindow current;
  RegisterClientWindow(client.get(), 0xFFFFFFFF, Context());
  RegisterClientWindow(current.get(), 0x01020304, Context());
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CLIENT_REGISTERED, 0, 0}, {UWM_NO_UPDATE, 0, 0}}));
  EXPECT_EQ(current.Take(), (PostedList{{UWM_CLIENT_REGISTERED, 0, 0}}));
}

TEST_F(ClientMessagesTest, CommandLineClientNeedsAValidNumber) {
  CreateUpdater();
  const std::string handle = std::to_string(reinterpret_cast<uintptr_t>(client.get()));
  // 2^32 more than the handle would alias it if the number were truncated.
  const std::string aliased =
      std::to_string(reinterpret_cast<uintptr_t>(client.get()) + 0x100000000ull);
  for (const std::string& bad :
       {std::string(), std::string("0"), "-" + handle, handle + "x", aliased, " " + handle}) {
    RegisterClientFromCommandLine(bad, "1.2.3.4", Context());
    EXPECT_TRUE(client.Take().empty()) << bad;
  }
  RegisterClientFromCommandLine("+" + handle, "255.255.255.255", Context());
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CLIENT_REGISTERED, 0, 0}, {UWM_NO_UPDATE, 0, 0}}));
}

TEST_F(ClientMessagesTest, CommandLineClientWithInvalidVersionIsPackedAsZero) {
  // With 0.0.0.1 the newest, every packed version but 0 is up to date.
  CreateUpdater("0.0.0.1");
  GetBrowserUpdater()->BeginCheckForTesting();
  ASSERT_TRUE(GetBrowserUpdater()->ParseUpdateResponse(R"({"version": "0.0.0.1"})"));
  const std::string handle = std::to_string(reinterpret_cast<uintptr_t>(client.get()));
  RegisterClientFromCommandLine(handle, "not-a-version", Context());
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CLIENT_REGISTERED, 0, 0}}));
  RegisterClientFromCommandLine(handle, "0.0.0.1", Context());
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CLIENT_REGISTERED, 0, 0}, {UWM_NO_UPDATE, 0, 0}}));
}

TEST_F(ClientMessagesTest, StateReportsReachClientsAndTheUpdaterWindow) {
  RegisterClientWindow(client.get(), 0, Context());
  client.Take();
  struct Row {
    UpdaterState state;
    uint32_t param;
    PostedList toClient;
    PostedList toSelf;
  };
  const Row rows[] = {
      {kCheckDone, 1, {{UWM_UPDATE_AVAILABLE, 0, 0}}, {{UWM_UPDATE_AVAILABLE, 0, 0}}},
      {kCheckDone, 0, {{UWM_NO_UPDATE, 0, 0}}, {{UWM_NO_UPDATE, 0, 0}}},
      {kCheckDone, 7, {{UWM_NO_UPDATE, 0, 0}}, {{UWM_NO_UPDATE, 0, 0}}},
      {kRetryDownload, 0, {}, {{UWM_UPDATE_AVAILABLE, 0, 0}}},
      {kDownloaded, 0, {{UWM_DOWNLOAD_COMPLETE, 0, 0}}, {{UWM_DOWNLOAD_COMPLETE, 0, 0}}},
      {kVerifyFailed, 0, {{UWM_VERIFY_FAILED, 0, 0}}, {{UWM_VERIFY_FAILED, 0, 0}}},
      {kLaunched, 0, {{UWM_INSTALLER_LAUNCHED, 0, 0}}, {{UWM_INSTALLER_LAUNCHED, 0, 0}}},
      {kFailed, 0, {{UWM_UPDATE_FAILED, 0, 0}}, {{UWM_UPDATE_FAILED, 0, 0}}},
      {kIdle, 0, {}, {}},
      {static_cast<UpdaterState>(42), 0, {}, {}},
  };
  for (const Row& row : rows) {
    OnUpdaterState(row.state, row.param);
    EXPECT_EQ(client.Take(), row.toClient) << "state " << row.state << " param " << row.param;
    EXPECT_EQ(self.Take(), row.toSelf) << "state " << row.state << " param " << row.param;
  }
}

TEST_F(ClientMessagesTest, ProgressIsNeverBroadcastTwiceInARow) {
  RegisterClientWindow(client.get(), 0, Context());
  client.Take();
  for (uint32_t percent : {0u, 0u, 5u, 5u, 5u, 60u, 100u, 100u})
    OnUpdaterState(kDownloading, percent);
  // The first 0 equals the initial value and is not news either.
  EXPECT_EQ(client.Take(), (PostedList{{UWM_DOWNLOAD_PROGRESS, 5, 0},
                                       {UWM_DOWNLOAD_PROGRESS, 60, 0},
                                       {UWM_DOWNLOAD_PROGRESS, 100, 0}}));
  EXPECT_TRUE(self.Take().empty());
  EXPECT_EQ(GetLastProgress(), 100u);

  // A new check resets the progress, so the next download's reports start afresh.
  OnUpdaterState(kChecking, 0);
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CHECKING, 0, 0}}));
  EXPECT_EQ(GetLastProgress(), 0u);
}

TEST_F(ClientMessagesTest, PingIsAnsweredOnlyWithAWindow) {
  EXPECT_TRUE(HandleUpdaterMessage(UWM_PING - kUpdaterMessageFirst, client.get(), 0));
  EXPECT_TRUE(HandleUpdaterMessage(UWM_PING - kUpdaterMessageFirst, nullptr, 0));
  EXPECT_EQ(client.Take(), (PostedList{{UWM_PING_REPLY, 0, 0}}));
}

TEST_F(ClientMessagesTest, UnknownOffsetsAreNotHandled) {
  for (UINT offset : {2u, 3u, 6u, 12u, 499u})
    EXPECT_FALSE(HandleUpdaterMessage(offset, client.get(), 0)) << offset;
}

TEST_F(ClientMessagesTest, RegisterMessageUsesTheLow32BitsOfTheVersion) {
  CreateUpdater();
  const LPARAM version = static_cast<LPARAM>(0x7FFFFFFF00000000ll | 0xFFFFFFFFll);
  EXPECT_TRUE(
      HandleUpdaterMessage(UWM_REGISTER_CLIENT - kUpdaterMessageFirst, client.get(), version));
  EXPECT_EQ(client.Take(), (PostedList{{UWM_CLIENT_REGISTERED, 0, 0}, {UWM_NO_UPDATE, 0, 0}}));
}

}  // namespace
