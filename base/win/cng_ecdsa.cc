#include "base/win/cng_ecdsa.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <optional>
#include <vector>

#include "base/win/scoped_handle.h"
#include "base/win/system_library.h"

namespace {

// The CNG functions used here, looked up by name: bcrypt.dll is not one of the libraries the
// loader always takes from the system folder, so it must not be linked.
struct BCryptApi {
  decltype(&::BCryptOpenAlgorithmProvider) openAlgorithmProvider;
  decltype(&::BCryptCloseAlgorithmProvider) closeAlgorithmProvider;
  decltype(&::BCryptImportKeyPair) importKeyPair;
  decltype(&::BCryptDestroyKey) destroyKey;
  decltype(&::BCryptVerifySignature) verifySignature;
};

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function* function) {
  *function = GetLibraryFunction<Function>(module, name);
  return *function != nullptr;
}

std::optional<BCryptApi> LoadBCryptApi() {
  // Kept loaded for the life of the process: the function pointers below point into it.
  const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
  if (!module)
    return std::nullopt;
  BCryptApi api;
  if (!Resolve(module, "BCryptOpenAlgorithmProvider", &api.openAlgorithmProvider) ||
      !Resolve(module, "BCryptCloseAlgorithmProvider", &api.closeAlgorithmProvider) ||
      !Resolve(module, "BCryptImportKeyPair", &api.importKeyPair) ||
      !Resolve(module, "BCryptDestroyKey", &api.destroyKey) ||
      !Resolve(module, "BCryptVerifySignature", &api.verifySignature)) {
    return std::nullopt;
  }
  return api;
}

// Null when bcrypt.dll or one of its functions is missing. Loaded once, on first use.
const BCryptApi* GetBCryptApi() {
  static const std::optional<BCryptApi> api = LoadBCryptApi();
  return api ? &*api : nullptr;
}

// Handles exist only after GetBCryptApi succeeded, so closing them may rely on it.
void CloseAlgorithmProvider(BCRYPT_ALG_HANDLE algorithm) {
  GetBCryptApi()->closeAlgorithmProvider(algorithm, 0);
}
void DestroyKey(BCRYPT_KEY_HANDLE key) {
  GetBCryptApi()->destroyKey(key);
}
using UniqueAlgorithmHandle = UniqueAny<BCRYPT_ALG_HANDLE, CloseAlgorithmProvider>;
using UniqueKeyHandle = UniqueAny<BCRYPT_KEY_HANDLE, DestroyKey>;

constexpr ULONG kP256CoordinateBytes = 32;

// BCRYPT_ECCPUBLIC_BLOB: the header, then X, then Y.
std::vector<UCHAR> PublicKeyBlob(std::span<const uint8_t, 32> x, std::span<const uint8_t, 32> y) {
  BCRYPT_ECCKEY_BLOB header = {};
  header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
  header.cbKey = kP256CoordinateBytes;
  std::vector<UCHAR> blob(sizeof(header) + 2 * kP256CoordinateBytes);
  std::memcpy(blob.data(), &header, sizeof(header));
  std::memcpy(blob.data() + sizeof(header), x.data(), x.size());
  std::memcpy(blob.data() + sizeof(header) + kP256CoordinateBytes, y.data(), y.size());
  return blob;
}

}  // namespace

SignatureCheck VerifyEcdsaP256(std::span<const uint8_t, 32> x,
                               std::span<const uint8_t, 32> y,
                               std::span<const uint8_t, 32> digest,
                               std::span<const uint8_t, 64> signature) {
  const BCryptApi* api = GetBCryptApi();
  if (!api)
    return SignatureCheck::kUnavailable;
  UniqueAlgorithmHandle algorithm;
  if (!BCRYPT_SUCCESS(
          api->openAlgorithmProvider(algorithm.Receive(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
    return SignatureCheck::kUnavailable;
  std::vector<UCHAR> blob = PublicKeyBlob(x, y);
  UniqueKeyHandle key;
  if (!BCRYPT_SUCCESS(api->importKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB,
                                         key.Receive(), blob.data(),
                                         static_cast<ULONG>(blob.size()), 0))) {
    return SignatureCheck::kUnavailable;
  }
  // CNG takes the buffers as non-const but only reads them.
  const NTSTATUS status = api->verifySignature(
      key.get(), nullptr, const_cast<PUCHAR>(digest.data()), static_cast<ULONG>(digest.size()),
      const_cast<PUCHAR>(signature.data()), static_cast<ULONG>(signature.size()), 0);
  return BCRYPT_SUCCESS(status) ? SignatureCheck::kValid : SignatureCheck::kInvalid;
}
