#include "external/Pkcs11Module.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "external/moxPaths.h"
#include "external/TextSplit.h"

namespace mox {

namespace {

struct ReturnName {
  CK_RV code;
  const char* name;
};

// The codes a user may meet; the rest are shown in hexadecimal.
constexpr ReturnName kReturnNames[] = {
    {CKR_OK, "CKR_OK"},
    {CKR_HOST_MEMORY, "CKR_HOST_MEMORY"},
    {CKR_SLOT_ID_INVALID, "CKR_SLOT_ID_INVALID"},
    {CKR_GENERAL_ERROR, "CKR_GENERAL_ERROR"},
    {CKR_FUNCTION_FAILED, "CKR_FUNCTION_FAILED"},
    {CKR_ARGUMENTS_BAD, "CKR_ARGUMENTS_BAD"},
    {CKR_DEVICE_ERROR, "CKR_DEVICE_ERROR"},
    {CKR_DEVICE_MEMORY, "CKR_DEVICE_MEMORY"},
    {CKR_DEVICE_REMOVED, "CKR_DEVICE_REMOVED"},
    {CKR_FUNCTION_CANCELED, "CKR_FUNCTION_CANCELED"},
    {CKR_FUNCTION_NOT_SUPPORTED, "CKR_FUNCTION_NOT_SUPPORTED"},
    {CKR_KEY_HANDLE_INVALID, "CKR_KEY_HANDLE_INVALID"},
    {CKR_KEY_TYPE_INCONSISTENT, "CKR_KEY_TYPE_INCONSISTENT"},
    {CKR_KEY_FUNCTION_NOT_PERMITTED, "CKR_KEY_FUNCTION_NOT_PERMITTED"},
    {CKR_MECHANISM_INVALID, "CKR_MECHANISM_INVALID"},
    {CKR_OBJECT_HANDLE_INVALID, "CKR_OBJECT_HANDLE_INVALID"},
    {CKR_OPERATION_ACTIVE, "CKR_OPERATION_ACTIVE"},
    {CKR_PIN_INCORRECT, "CKR_PIN_INCORRECT"},
    {CKR_PIN_INVALID, "CKR_PIN_INVALID"},
    {CKR_PIN_LEN_RANGE, "CKR_PIN_LEN_RANGE"},
    {CKR_PIN_EXPIRED, "CKR_PIN_EXPIRED"},
    {CKR_PIN_LOCKED, "CKR_PIN_LOCKED"},
    {CKR_SESSION_CLOSED, "CKR_SESSION_CLOSED"},
    {CKR_SESSION_COUNT, "CKR_SESSION_COUNT"},
    {CKR_SESSION_HANDLE_INVALID, "CKR_SESSION_HANDLE_INVALID"},
    {CKR_TOKEN_NOT_PRESENT, "CKR_TOKEN_NOT_PRESENT"},
    {CKR_TOKEN_NOT_RECOGNIZED, "CKR_TOKEN_NOT_RECOGNIZED"},
    {CKR_USER_ALREADY_LOGGED_IN, "CKR_USER_ALREADY_LOGGED_IN"},
    {CKR_USER_NOT_LOGGED_IN, "CKR_USER_NOT_LOGGED_IN"},
    {CKR_USER_PIN_NOT_INITIALIZED, "CKR_USER_PIN_NOT_INITIALIZED"},
    {CKR_USER_TYPE_INVALID, "CKR_USER_TYPE_INVALID"},
    {CKR_BUFFER_TOO_SMALL, "CKR_BUFFER_TOO_SMALL"},
    {CKR_CRYPTOKI_NOT_INITIALIZED, "CKR_CRYPTOKI_NOT_INITIALIZED"},
    {CKR_CRYPTOKI_ALREADY_INITIALIZED, "CKR_CRYPTOKI_ALREADY_INITIALIZED"},
};

// Modules stay loaded while someone holds them; a second Open of the same path shares the first.
std::mutex gModulesMutex;
std::map<std::string, std::weak_ptr<Pkcs11Module>>& Modules() {
  static std::map<std::string, std::weak_ptr<Pkcs11Module>> modules;
  return modules;
}

// Library folders where Debian and other distributions install PKCS#11 modules.
const char* const kLibraryFolders[] = {"/usr/lib/x86_64-linux-gnu/", "/usr/lib/aarch64-linux-gnu/", "/usr/lib64/",
                                       "/usr/lib/"};

std::string FirstExisting(const std::vector<std::string>& aNames) {
  for (const std::string& name : aNames)
    for (const char* folder : kLibraryFolders)
      if (FileExists(folder + name)) return folder + name;
  return {};
}

}  // namespace

std::string Pkcs11ReturnName(CK_RV aCode) {
  for (const auto& r : kReturnNames)
    if (r.code == aCode) return r.name;
  char hex[32];
  std::snprintf(hex, sizeof hex, "CKR 0x%08lX", static_cast<unsigned long>(aCode));
  return hex;
}

bool IsTokenGone(CK_RV aCode) {
  // A key handle that stops being valid in a live session went away with its token.
  return aCode == CKR_DEVICE_REMOVED || aCode == CKR_KEY_HANDLE_INVALID || aCode == CKR_OBJECT_HANDLE_INVALID || aCode == CKR_TOKEN_NOT_PRESENT || aCode == CKR_DEVICE_ERROR ||
         aCode == CKR_SESSION_HANDLE_INVALID || aCode == CKR_SESSION_CLOSED || aCode == CKR_SLOT_ID_INVALID ||
         aCode == CKR_TOKEN_NOT_RECOGNIZED;
}

void CheckPkcs11(CK_RV aCode, const std::string& aWhat) {
  if (aCode != CKR_OK) throw EPkcs11Error(aWhat + " (" + Pkcs11ReturnName(aCode) + ")", aCode);
}

std::string Pkcs11Text(const CK_UTF8CHAR* aField, size_t aSize) {
  std::string text(reinterpret_cast<const char*>(aField), aSize);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

Pkcs11Module::Pkcs11Module(std::string aPath, void* aLibrary, CK_FUNCTION_LIST* aFunctions,
                           bool aOwnsInitialisation)
    : path_(std::move(aPath)), library_(aLibrary), functions_(aFunctions), ownsInitialisation_(aOwnsInitialisation) {}

std::shared_ptr<Pkcs11Module> Pkcs11Module::Open(const std::string& aPath) {
  std::lock_guard lock(gModulesMutex);
  if (auto loaded = Modules()[aPath].lock()) return loaded;
  if (!FileExists(aPath)) throw EKivoException("Módulo PKCS#11 não encontrado: " + aPath);
  void* library = dlopen(aPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) throw EKivoException("Não foi possível carregar o módulo PKCS#11 " + aPath + ": " + dlerror());
  auto getList = reinterpret_cast<CK_C_GetFunctionList>(dlsym(library, "C_GetFunctionList"));
  CK_FUNCTION_LIST* functions = nullptr;
  if (!getList || getList(&functions) != CKR_OK || !functions) {
    dlclose(library);
    throw EKivoException("O arquivo " + aPath + " não é um módulo PKCS#11.");
  }
  CK_C_INITIALIZE_ARGS args{};
  args.flags = CKF_OS_LOCKING_OK;
  CK_RV rv = functions->C_Initialize(&args);
  // Another library of this process (a TLS stack, a browser plug-in) may have initialised it.
  if (rv != CKR_OK && rv != CKR_CRYPTOKI_ALREADY_INITIALIZED) {
    dlclose(library);
    throw EKivoException("O módulo PKCS#11 " + aPath + " não iniciou (" + Pkcs11ReturnName(rv) + ").");
  }
  std::shared_ptr<Pkcs11Module> module(new Pkcs11Module(aPath, library, functions, rv == CKR_OK));
  Modules()[aPath] = module;
  return module;
}

Pkcs11Module::~Pkcs11Module() {
  if (ownsInitialisation_) functions_->C_Finalize(nullptr);
  dlclose(library_);
}

std::vector<CK_SLOT_ID> Pkcs11Module::SlotsWithToken() const {
  // The count may grow between the two calls when a token is plugged in.
  for (int attempt = 0; attempt < 3; ++attempt) {
    CK_ULONG count = 0;
    CheckPkcs11(functions_->C_GetSlotList(CK_TRUE, nullptr, &count), "Falha ao listar os leitores do módulo " + path_);
    std::vector<CK_SLOT_ID> slots(count);
    CK_RV rv = functions_->C_GetSlotList(CK_TRUE, slots.data(), &count);
    if (rv == CKR_BUFFER_TOO_SMALL) continue;
    CheckPkcs11(rv, "Falha ao listar os leitores do módulo " + path_);
    slots.resize(count);
    return slots;
  }
  return {};
}

CK_TOKEN_INFO Pkcs11Module::TokenInfo(CK_SLOT_ID aSlot) const {
  CK_TOKEN_INFO info{};
  CheckPkcs11(functions_->C_GetTokenInfo(aSlot, &info), "Falha ao ler os dados do token");
  return info;
}

std::vector<std::string> Pkcs11ModulePaths(const std::string& aConfigured) {
  std::vector<std::string> paths = SplitTrimmed(aConfigured, ";\r\n");
  if (!paths.empty()) return paths;
  if (const char* own = std::getenv("MOXNFE_MODULO_PKCS11")) paths = SplitTrimmed(own, ";\r\n");
  if (!paths.empty()) return paths;
  std::string module = FirstExisting({"p11-kit-proxy.so", "pkcs11/p11-kit-proxy.so"});
  if (module.empty()) module = FirstExisting({"opensc-pkcs11.so", "pkcs11/opensc-pkcs11.so"});
  if (module.empty()) return {};
  return {module};
}

}  // namespace mox
