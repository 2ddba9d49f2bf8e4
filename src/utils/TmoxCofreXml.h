#pragma once
// An archive folder that keeps the authorized documents (nfeProc), cancellations (procCancNFe)
// and events (procEventoNFe) for the legal period: one file per document under
// CNPJ/year/month of its access key, written durably and never replaced, with an index of
// what it holds and the SHA-256 digest each file had when it was stored.
#include <string>
#include <vector>

#include "external/TmoxCofralX.h"

namespace mox {

// One document of the archive, as its index line records it.
struct TItemCofre {
  std::string Chave;      // access key (44 digits)
  std::string Tipo;       // "nfe", "cancelamento" or "evento" + blank + tpEvento
  std::string Arquivo;    // path below the archive folder, with "/"
  std::string Sha256;     // hex digest of the stored bytes
  long long Tamanho = 0;  // bytes
  std::string GuardadoEm; // UTC date-time of the storage, "yyyy-mm-ddThh:mm:ssZ"
};

// A file that no longer matches what the archive stored, or that the index does not know.
struct TFalhaCofre {
  std::string Arquivo;
  std::string Problema;  // "ausente", "alterado" or "não indexado"
};

struct TGuardaCofre {
  TItemCofre Item;
  bool Novo = false;  // false: the archive already held this document
};

class TmoxCofreXml : public TmoxCofralX {
 public:
  // aPasta is created on first storage; failures raise EmoxCofralException logged in
  // aDiretorioLogErro.
  explicit TmoxCofreXml(std::string aPasta, std::string aDiretorioLogErro = {});

  const std::string& Pasta() const { return FPasta; }

  // Stores the document (a file path or the XML text); returns the stored path.
  std::string EnviarXml(const std::string& aXml) override;
  // The same, telling whether the document was new. A second delivery of the same document
  // stores nothing; another document under the same name is refused.
  TGuardaCofre Guardar(const std::string& aXml);
  // Whether the archive holds a document of the access key.
  bool Contem(const std::string& aChave) const;
  // Every document, in storage order; with aFiltro only those whose key starts with it (a key,
  // or a prefix such as the state and year-month).
  std::vector<TItemCofre> Listar(const std::string& aFiltro = {}) const;
  // Reads every file again: those missing, those whose digest changed and the XML files the
  // index does not know. aVerificados (when given) receives how many indexed files were read.
  std::vector<TFalhaCofre> Verificar(size_t* aVerificados = nullptr) const;

 private:
  std::string Indice() const;
  std::string TextoDoIndice() const;
  std::vector<TItemCofre> LerIndice() const;

  std::string FPasta;
  std::string FDiretorioLogErro;
};

// Hex SHA-256 of the bytes.
std::string Sha256Hex(const std::string& aBytes);

}  // namespace mox
