#pragma once
// What the sandbox has authorized and registered, kept in a folder so that it survives a
// restart: notes and their protocols, batch receipts, events, voided ranges, the documents of
// interest of each party with their NSU, and the number sequences. The records live in an
// SQLite database ("estado.db", WAL) that is read once at start.
//
// Callers take Trava() around each check-then-write sequence (one request); every other member
// expects it to be held. What a request writes is one transaction: it is committed when the
// Trava ends normally and rolled back when it ends by an exception, so a request that is
// interrupted, even by a kill, leaves all of its effects or none.
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace mox::sandbox {

struct TNotaRegistrada {
  std::string Chave, Versao, Situacao;  // "autorizada" or "cancelada"
  std::string NRec, NProt, DigVal, DhRecbto;
  std::string CnpjEmitente, NomeEmitente, IEEmitente, UFEmitente;
  std::string DocDestinatario, NomeDestinatario, IEDestinatario, UFDestinatario;
  std::string Modelo, Serie, Numero, TpNF, TpEmis, VNF, DhEmi;
  std::string NFe;         // the signed NFe element
  std::string ProtNFe;     // the protocol as answered
  std::string RetCancNFe;  // the answer to a cancellation in the request form
  std::vector<std::string> Eventos;  // Ids of its events, in the order they were registered
};

struct TReciboLote {
  std::string NRec, CUF, Versao, DhRecbto, CnpjTransmissor;
  std::vector<std::string> Protocolos;  // one protNFe per note of the batch
};

struct TEventoRegistrado {
  std::string Id, Chave, TpEvento, NSeq, Orgao, Autor, DhEvento, DhRegEvento, NProt, XEvento;
  std::string Evento;     // the signed evento element
  std::string RetEvento;  // its answer
};

struct TInutilizacao {
  std::string Id, CUF, Ano, CNPJ, Modelo, Serie;
  long long Inicio = 0, Fim = 0;
  std::string NProt;
};

// A document a party is entitled to receive through the DF-e distribution.
struct TDocumentoDFe {
  unsigned long long NSU = 0;
  std::string Tipo;  // "resNFe", "procNFe", "resEvento" or "procEventoNFe"
  std::string Chave, IdEvento;
};

class EstadoSandbox;

// The lock of the state and the transaction of one request.
class TTransacaoEstado {
 public:
  explicit TTransacaoEstado(EstadoSandbox& aEstado);
  ~TTransacaoEstado() noexcept(false);
  TTransacaoEstado(const TTransacaoEstado&) = delete;
  TTransacaoEstado& operator=(const TTransacaoEstado&) = delete;

 private:
  EstadoSandbox& estado_;
  std::unique_lock<std::mutex> trava_;
  int excecoesAntes_;
};

class EstadoSandbox {
 public:
  // Creates the folder when needed and reads what it holds; raises std::runtime_error naming
  // a file that cannot be read, or when another sandbox is using the folder. A folder of the
  // former layout (one JSON file per record) is moved into the database once.
  explicit EstadoSandbox(std::string aPasta);
  ~EstadoSandbox();
  EstadoSandbox(const EstadoSandbox&) = delete;
  EstadoSandbox& operator=(const EstadoSandbox&) = delete;

  TTransacaoEstado Trava() { return TTransacaoEstado(*this); }

  // Fifteen digits: the UF code, "1" and a sequence.
  std::string NovoRecibo(const std::string& aCodigoUF);
  // Fifteen digits: "1" (a state) or "9" (the national environment), the organ's code, the
  // year and a sequence.
  std::string NovoProtocolo(const std::string& aCodigoOrgao, const std::string& aAno2);

  const TNotaRegistrada* Nota(const std::string& aChave) const;
  const TNotaRegistrada* NotaPorNumero(const std::string& aCnpj, const std::string& aModelo, const std::string& aSerie,
                                       const std::string& aNumero) const;
  const std::map<std::string, TNotaRegistrada>& Notas() const { return notas_; }
  void GravaNota(const TNotaRegistrada& aNota);

  const TReciboLote* Recibo(const std::string& aNRec) const;
  void GravaRecibo(const TReciboLote& aRecibo);

  const TEventoRegistrado* Evento(const std::string& aId) const;
  const std::map<std::string, TEventoRegistrado>& Eventos() const { return eventos_; }
  void GravaEvento(const TEventoRegistrado& aEvento);

  // The voided range that holds the number, or null.
  const TInutilizacao* InutilizacaoDe(const std::string& aCnpj, const std::string& aModelo, const std::string& aSerie,
                                      long long aNumero) const;
  const TInutilizacao* InutilizacaoQueCruza(const TInutilizacao& aFaixa) const;
  void GravaInutilizacao(const TInutilizacao& aFaixa);

  // Adds a document to a party's sequence; returns its NSU.
  unsigned long long NovoDocumentoDFe(const std::string& aInteressado, TDocumentoDFe aDocumento);
  const std::vector<TDocumentoDFe>& DocumentosDFe(const std::string& aInteressado) const;

  // Fault injection for crash tests: the process kills itself right after the N-th write.
  void DefineQuedaAposGravacoes(long long aGravacoes) { quedaAposGravacoes_ = aGravacoes; }

 private:
  friend class TTransacaoEstado;
  void Inicia();
  void Confirma();
  void Desfaz();
  void Esvazia();
  void Carrega();
  void MigraArquivosAntigos();
  void Grava(const std::string& aTipo, const std::string& aId, const std::string& aDados);
  void GravaContadores();
  void Executa(const char* aSql);

  std::string pasta_;
  int trava_ = -1;  // the folder's lock file, held while the sandbox runs
  sqlite3* banco_ = nullptr;
  bool alterado_ = false;  // the open transaction has written something
  long long quedaAposGravacoes_ = 0, gravacoes_ = 0;
  std::mutex mutex_;
  unsigned long long recibos_ = 0, protocolos_ = 0;
  std::map<std::string, TNotaRegistrada> notas_;
  std::map<std::string, std::string> chavesPorNumero_;
  std::map<std::string, TReciboLote> lotes_;
  std::map<std::string, TEventoRegistrado> eventos_;
  std::map<std::string, TInutilizacao> inutilizacoes_;
  std::map<std::string, std::vector<TDocumentoDFe>> dfe_;
};

}  // namespace mox::sandbox
