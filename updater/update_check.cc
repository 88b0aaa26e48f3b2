// The update check: the form posted to the update server and the reading of its answer.

#include <windows.h>

#include <optional>

#include "base/hex.h"
#include "base/json/json_reader.h"
#include "base/json/json_value.h"
#include "base/win/debug_output.h"
#include "base/win/module_path.h"
#include "base/win/secure_random.h"
#include "base/win/text_conversion.h"
#include "client_state/client_state_registry.h"
#include "updater/answer_signature.h"
#include "updater/answer_signature_format.h"
#include "updater/browser_updater.h"
#include "updater/file_digest.h"

namespace {

// Identifies this edition of the browser to the update server.
constexpr char kEditionId[] = "5d1c7a90e3b24f68a0c9e217b4f6d3a8";
constexpr char kMinerField[] = "none";
// The updater's own file name, cut from its path to find the installation folder.
constexpr size_t kUpdaterFileNameLength = sizeof("orbavintelup.exe") - 1;
// Random bytes that make each signed answer fit one request only.
constexpr size_t kNonceBytes = 16;

// "<installation folder>\<version>\Installer\".
std::wstring GetPackageFolder(const std::string& version) {
  // Wide, so that a folder outside the ANSI code page keeps its name.
  std::wstring folder = GetModulePath();
  folder.resize(folder.size() > kUpdaterFileNameLength ? folder.size() - kUpdaterFileNameLength
                                                       : 0);
  return folder + Utf8ToWide(version) + L"\\Installer\\";
}

void AppendField(std::string* body, const char* name, const std::string& value) {
  if (value.empty())
    return;
  if (!body->empty())
    *body += '&';
  *body += name;
  *body += '=';
  *body += value;
}

std::string DigestOrEmpty(const std::wstring& path) {
  std::string digest;
  GetFileSha256Hex(path, &digest);
  return digest;
}

// Replaces |list| with the strings at |key| unless the key is absent or its list empty.
// Elements that are not strings name no URL and are left out.
void ReadUrlList(const JsonValue& answer, std::string_view key, std::vector<std::string>* list) {
  const JsonValue* found = answer.FindKey(key);
  if (!found || !found->IsList() || found->GetList().empty())
    return;
  list->clear();
  for (const JsonValue& element : found->GetList()) {
    if (element.IsString())
      list->push_back(element.GetString());
  }
}

// |kNonceBytes| fresh random bytes as lower-case hex; empty when the source failed.
std::string NewNonce() {
  uint8_t bytes[kNonceBytes];
  if (!FillSecureRandom(bytes, sizeof(bytes)))
    return std::string();
  return HexEncode(bytes, HexLetters::kLower);
}

}  // namespace

std::string BrowserUpdater::BuildCheckBody() const {
  const std::string version = installedVersion.GetString();
  const std::wstring packageFolder = GetPackageFolder(version);
  // Values go in verbatim: the server reads them that way.
  std::string body;
  AppendField(&body, "version", version);
  AppendField(&body, "edition", kEditionId);
  AppendField(&body, "arch", arch);
  AppendField(&body, "channel", channel);
  AppendField(&body, "device", device);
  AppendField(&body, "partner", GetPartnerId());
  AppendField(&body, "lang", lang);
  AppendField(&body, "install", GetInstallerName());
  AppendField(&body, "hash_chrome", DigestOrEmpty(packageFolder + L"chrome.7z"));
  AppendField(&body, "hash_setup", DigestOrEmpty(packageFolder + L"setup.exe"));
  AppendField(&body, "miner", kMinerField);
  AppendField(&body, "nonce", requestNonce);
  return body;
}

void BrowserUpdater::CheckForUpdate() {
  if (!ChangeState(kChecking, Report::kNo))
    return;
  if (!answerKeys.empty()) {
    requestNonce = NewNonce();
    if (requestNonce.empty()) {
      // Without a nonce an old signed answer could be replayed; better no update at all.
      WriteDebugLine("No random bytes for the request nonce.\n");
      ChangeState(kFailed, Report::kYes);
      return;
    }
  }
  if (!StartTransfer(checkUrl, HttpVerb::kPost, BuildCheckBody(), std::wstring())) {
    // No answer can come: end the run now rather than wait for a stop message.
    ChangeState(kFailed, Report::kYes);
  }
}

bool BrowserUpdater::IsAnswerAuthentic(const std::string& body) const {
  if (answerKeys.empty())
    return true;
  const std::vector<std::string> signatures =
      request.GetResponseHeaderValues(kAnswerSignatureHeaderName);
  return CheckAnswerSignature(answerKeys, signatures, requestBody, body) == AnswerCheck::kAuthentic;
}

bool BrowserUpdater::ParseUpdateResponse(const std::string& body) {
  if (body.empty())
    return false;
  std::optional<JsonValue> answer = JsonReader::Read(body, kJsonAllowTrailingCommas);
  if (!answer || !answer->IsDictionary())
    return false;

  // A missing or malformed version reads as invalid, which compares like 0 and means no
  // update.
  const std::string* versionText = answer->FindString("version");
  const Version offered(versionText ? *versionText : std::string());
  std::unique_lock<SrwLock> hold(answerLock);
  newestVersion = offered;
  if (offered.CompareTo(installedVersion) <= 0) {
    hold.unlock();
    ChangeState(kCheckDone, Report::kYes, 0);
    return true;
  }

  const std::string* hash = answer->FindString("hash");
  if (!hash)
    return false;
  expectedHash = *hash;
  const std::optional<bool> admin = answer->FindBool("run_admin");
  if (!admin)
    return false;
  runAsAdmin = *admin;
  ReadUrlList(*answer, "default", &defaultUrls);
  ReadUrlList(*answer, "backup", &backupUrls);
  hold.unlock();

  if (!PickNextUrl())
    return false;
  updateOffered = true;
  ChangeState(kCheckDone, Report::kYes, 1);
  return true;
}
