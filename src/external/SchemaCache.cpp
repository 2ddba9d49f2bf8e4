#include "external/SchemaCache.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "external/EKivoException.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

struct CacheEntry {
  std::shared_ptr<const CompiledSchema> schema;
  struct timespec mtime {};
  off_t size = 0;
};

void CollectValidityError(void* aCtx, xmlErrorPtr aError) {
  if (!aCtx || !aError || !aError->message) return;
  std::string msg = aError->message;
  while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
  if (aError->line > 0) msg = "linha " + std::to_string(aError->line) + ": " + msg;
  static_cast<std::vector<std::string>*>(aCtx)->push_back(std::move(msg));
}

std::shared_ptr<const CompiledSchema> ParseSchema(const std::string& aPath) {
  XmlErrorCollector errors;
  LocalFileLoadScope allowIncludes;
  std::unique_ptr<xmlSchemaParserCtxt, decltype(&xmlSchemaFreeParserCtxt)> pctx(
      xmlSchemaNewParserCtxt(aPath.c_str()), &xmlSchemaFreeParserCtxt);
  if (!pctx) throw EKivoException("Não foi possível abrir o esquema " + aPath);
  xmlSchemaPtr schema = xmlSchemaParse(pctx.get());
  if (!schema) {
    std::string detail = errors.Errors().empty() ? "" : ": " + errors.Joined();
    throw EKivoException("Esquema inválido " + aPath + detail);
  }
  return std::make_shared<const CompiledSchema>(schema);
}

}  // namespace

std::vector<std::string> CompiledSchema::Validate(const XmlDocument& aDoc) const {
  std::vector<std::string> errors;
  std::unique_ptr<xmlSchemaValidCtxt, decltype(&xmlSchemaFreeValidCtxt)> vctx(xmlSchemaNewValidCtxt(schema_),
                                                                              &xmlSchemaFreeValidCtxt);
  if (!vctx) throw EKivoException("Falha ao criar o contexto de validação do esquema.");
  xmlSchemaSetValidStructuredErrors(vctx.get(), CollectValidityError, &errors);
  int rc = xmlSchemaValidateDoc(vctx.get(), aDoc.get());
  if (rc != 0 && errors.empty()) errors.push_back("documento inválido para o esquema (código " + std::to_string(rc) + ")");
  return errors;
}

std::shared_ptr<const CompiledSchema> GetCompiledSchema(const std::string& aXsdFileName) {
  EnsureXmlLibrary();
  static std::mutex mutex;
  static std::map<std::string, CacheEntry> cache;

  std::error_code ec;
  std::string path = std::filesystem::absolute(NormalizeSeparators(aXsdFileName), ec).lexically_normal().string();
  struct stat st {};
  if (aXsdFileName.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    throw EKivoException("Esquema não encontrado: " + (path.empty() ? aXsdFileName : path));

  // Parsing holds the lock: libxml2's schema parser is not meant to run twice at once, and a
  // second caller for the same file should wait for the first result rather than parse again.
  std::lock_guard lock(mutex);
  auto it = cache.find(path);
  if (it != cache.end() && it->second.size == st.st_size && it->second.mtime.tv_sec == st.st_mtim.tv_sec &&
      it->second.mtime.tv_nsec == st.st_mtim.tv_nsec)
    return it->second.schema;
  CacheEntry entry{ParseSchema(path), st.st_mtim, st.st_size};
  cache[path] = entry;
  return entry.schema;
}

}  // namespace mox
