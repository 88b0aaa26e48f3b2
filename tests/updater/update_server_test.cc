#include <gtest/gtest.h>

#include <string>

#include "base/win/command_line.h"
#include "updater/update_server.h"

namespace {

TEST(UpdateServerTest, SwitchReplacesTheBuiltInHost) {
  EXPECT_EQ(GetUpdateCheckUrl(CommandLineArgs::FromString(L"p --update-server=127.0.0.1:8080")),
            "http://127.0.0.1:8080/orbavintel/update/version_win/");
  EXPECT_EQ(
      GetUpdateCheckUrl(CommandLineArgs::FromString(L"p")),
      std::string("http://") + ORBAVINTEL_UPDATE_SERVER_HOST + "/orbavintel/update/version_win/");
  // Anything that could smuggle a path, credentials or another scheme is refused.
  for (const char* bad :
       {"a/b", "user@host", "host:", "host:0", "host:65536", ":80", "host:80x", "http://host"}) {
    EXPECT_FALSE(IsValidUpdateServer(bad)) << bad;
  }
  EXPECT_EQ(
      GetUpdateCheckUrl(CommandLineArgs::FromString(L"p --update-server=a/b")),
      std::string("http://") + ORBAVINTEL_UPDATE_SERVER_HOST + "/orbavintel/update/version_win/");
}

}  // namespace
