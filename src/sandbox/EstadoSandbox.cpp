#include "sandbox/EstadoSandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <nlohmann/json.hpp>
#include <sys/file.h>
#include <unistd.h>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <stdexcept>

#include "external/EKivoException.h"
#include "external/FileIO.h"

namespace mox::sandbox {

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TNotaRegistrada, Chave, Versao, Situacao, NRec, NProt, DigVal, DhRecbto,
                                   CnpjEmitente, NomeEmitente, IEEmitente, UFEmitente, DocDestinatario,
                                   NomeDestinatario, IEDestinatario, UFDestinatario, Modelo, Serie, Numero, TpNF,
                                   TpEmis, VNF, DhEmi, NFe, ProtNFe, RetCancNFe, Eventos)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TReciboLote, NRec, CUF, Versao, DhRecbto, CnpjTransmissor, Protocolos)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TEventoRegistrado, Id, Chave, TpEvento, NSeq, Orgao, Autor, DhEvento, DhRegEvento,
                                   NProt, XEvento, Evento, RetEvento)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TInutilizacao, Id, CUF, Ano, CNPJ, Modelo, Serie, Inicio, Fim, NProt)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TDocumentoDFe, NSU, Tipo, Chave, IdEvento)

namespace {

namespace fs = std::filesystem;

const char* kBanco = "estado.db";
const char* kPrefixoDFe = "dfe:";

std::string ChaveNumero(const std::string& aCnpj, const std::string& aModelo, const std::string& aSerie,
                        const std::string& aNumero) {
  return aCnpj + "-" + aModelo + "-" + std::to_string(std::stoll(aSerie)) + "-" + std::to_string(std::stoll(aNumero));
}

std::string Sequencia(unsigned long long aValor, int aDigitos) {
  char texto[32];
  std::snprintf(texto, sizeof texto, "%0*llu", aDigitos, aValor);
  return texto;
}

nlohmann::json LeJson(const fs::path& aArquivo) {
  try {
    return nlohmann::json::parse(ReadFileBytes(aArquivo.string()));
  } catch (const std::exception& e) {
    throw std::runtime_error("Estado ilegível em " + aArquivo.string() + ": " + e.what());
  }
}


// Calls aLe for every record file (".json") of the folder; temporary files of an interrupted
// write are left alone.
template <typename Le>
void ParaCadaRegistro(const fs::path& aPasta, Le aLe) {
  for (const auto& entrada : fs::directory_iterator(aPasta))
    if (entrada.is_regular_file() && entrada.path().extension() == ".json") aLe(entrada.path());
}

}  // namespace

EstadoSandbox::EstadoSandbox(std::string aPasta) : pasta_(std::move(aPasta)) {
  fs::create_directories(pasta_);
  // Two sandboxes on one folder would hand out the same numbers.
  const std::string arquivoTrava = (fs::path(pasta_) / "sandbox.trava").string();
  trava_ = ::open(arquivoTrava.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (trava_ < 0 || ::flock(trava_, LOCK_EX | LOCK_NB) != 0) {
    if (trava_ >= 0) ::close(trava_);
    throw std::runtime_error("A pasta de estado " + pasta_ + " está em uso por outro sandbox.");
  }
  try {
    Inicia();
  } catch (...) {
    if (banco_) sqlite3_close(banco_);
    ::close(trava_);
    throw;
  }
}

EstadoSandbox::~EstadoSandbox() {
  sqlite3_close(banco_);
  ::close(trava_);
}

void EstadoSandbox::Executa(const char* aSql) {
  char* erro = nullptr;
  if (sqlite3_exec(banco_, aSql, nullptr, nullptr, &erro) != SQLITE_OK) {
    const std::string texto = erro ? erro : sqlite3_errmsg(banco_);
    sqlite3_free(erro);
    throw std::runtime_error("Estado do sandbox em " + pasta_ + ": " + texto);
  }
}

void EstadoSandbox::Inicia() {
  const std::string arquivo = (fs::path(pasta_) / kBanco).string();
  const bool novo = !fs::exists(arquivo);
  if (sqlite3_open_v2(arquivo.c_str(), &banco_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK)
    throw std::runtime_error("Não foi possível abrir o estado do sandbox " + arquivo + ": " +
                             (banco_ ? sqlite3_errmsg(banco_) : "sem memória"));
  // WAL with FULL sync: a committed request survives a kill and a power cut alike.
  Executa("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
          "CREATE TABLE IF NOT EXISTS registros(tipo TEXT NOT NULL, id TEXT NOT NULL, dados TEXT NOT NULL,"
          " PRIMARY KEY(tipo, id)) WITHOUT ROWID;");
  if (novo) MigraArquivosAntigos();
  Carrega();
}

// Record kinds: "contadores", "nota", "recibo", "evento", "inutilizacao" and "dfe:" + party.
void EstadoSandbox::Grava(const std::string& aTipo, const std::string& aId, const std::string& aDados) {
  sqlite3_stmt* comando = nullptr;
  const char* sql = "INSERT OR REPLACE INTO registros(tipo, id, dados) VALUES(?, ?, ?)";
  bool ok = sqlite3_prepare_v2(banco_, sql, -1, &comando, nullptr) == SQLITE_OK &&
            sqlite3_bind_text(comando, 1, aTipo.data(), static_cast<int>(aTipo.size()), SQLITE_TRANSIENT) == SQLITE_OK &&
            sqlite3_bind_text(comando, 2, aId.data(), static_cast<int>(aId.size()), SQLITE_TRANSIENT) == SQLITE_OK &&
            sqlite3_bind_text(comando, 3, aDados.data(), static_cast<int>(aDados.size()), SQLITE_TRANSIENT) == SQLITE_OK &&
            sqlite3_step(comando) == SQLITE_DONE;
  sqlite3_finalize(comando);
  if (!ok) throw std::runtime_error("Não foi possível gravar o estado do sandbox: " + std::string(sqlite3_errmsg(banco_)));
  alterado_ = true;
  if (quedaAposGravacoes_ > 0 && ++gravacoes_ == quedaAposGravacoes_) ::raise(SIGKILL);
}

void EstadoSandbox::Esvazia() {
  recibos_ = protocolos_ = 0;
  notas_.clear();
  chavesPorNumero_.clear();
  lotes_.clear();
  eventos_.clear();
  inutilizacoes_.clear();
  dfe_.clear();
}

void EstadoSandbox::Carrega() {
  Esvazia();
  sqlite3_stmt* consulta = nullptr;
  if (sqlite3_prepare_v2(banco_, "SELECT tipo, id, dados FROM registros ORDER BY tipo, id", -1, &consulta, nullptr) !=
      SQLITE_OK)
    throw std::runtime_error("Estado ilegível em " + pasta_ + ": " + sqlite3_errmsg(banco_));
  try {
    int passo;
    while ((passo = sqlite3_step(consulta)) == SQLITE_ROW) {
      const std::string tipo = reinterpret_cast<const char*>(sqlite3_column_text(consulta, 0));
      const auto dados = nlohmann::json::parse(reinterpret_cast<const char*>(sqlite3_column_text(consulta, 2)));
      if (tipo == "contadores") {
        recibos_ = dados.value("recibo", 0ull);
        protocolos_ = dados.value("protocolo", 0ull);
      } else if (tipo == "nota") {
        auto nota = dados.get<TNotaRegistrada>();
        chavesPorNumero_[ChaveNumero(nota.CnpjEmitente, nota.Modelo, nota.Serie, nota.Numero)] = nota.Chave;
        notas_[nota.Chave] = std::move(nota);
      } else if (tipo == "recibo") {
        auto recibo = dados.get<TReciboLote>();
        lotes_[recibo.NRec] = std::move(recibo);
      } else if (tipo == "evento") {
        auto evento = dados.get<TEventoRegistrado>();
        eventos_[evento.Id] = std::move(evento);
      } else if (tipo == "inutilizacao") {
        auto faixa = dados.get<TInutilizacao>();
        inutilizacoes_[faixa.Id] = std::move(faixa);
      } else if (tipo.rfind(kPrefixoDFe, 0) == 0) {
        dfe_[tipo.substr(std::strlen(kPrefixoDFe))].push_back(dados.get<TDocumentoDFe>());  // ids sort by NSU
      }
    }
    if (passo != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(banco_));
  } catch (const std::exception& e) {
    sqlite3_finalize(consulta);
    throw std::runtime_error("Estado ilegível em " + pasta_ + ": " + e.what());
  }
  sqlite3_finalize(consulta);
}

// The former layout kept one JSON file per record in sub-folders; they are read once, written
// to the database in one transaction and the sub-folders renamed so nothing reads them again.
void EstadoSandbox::MigraArquivosAntigos() {
  const fs::path raiz(pasta_);
  const char* subpastas[] = {"notas", "recibos", "eventos", "inutilizacoes", "dfe"};
  bool antigo = fs::exists(raiz / "contadores.json");
  for (const char* sub : subpastas) antigo = antigo || fs::is_directory(raiz / sub);
  if (!antigo) return;
  Executa("BEGIN IMMEDIATE");
  try {
    if (fs::exists(raiz / "contadores.json")) Grava("contadores", "", LeJson(raiz / "contadores.json").dump());
    const std::pair<const char*, const char*> registros[] = {
        {"notas", "nota"}, {"recibos", "recibo"}, {"eventos", "evento"}, {"inutilizacoes", "inutilizacao"}};
    for (const auto& [sub, tipo] : registros)
      if (fs::is_directory(raiz / sub))
        ParaCadaRegistro(raiz / sub, [&, tipo = tipo](const fs::path& f) {
          Grava(tipo, f.stem().string(), LeJson(f).dump());
        });
    if (fs::is_directory(raiz / "dfe"))
      for (const auto& interessado : fs::directory_iterator(raiz / "dfe"))
        if (interessado.is_directory())
          ParaCadaRegistro(interessado.path(), [&](const fs::path& f) {
            Grava(kPrefixoDFe + interessado.path().filename().string(), f.stem().string(), LeJson(f).dump());
          });
    Executa("COMMIT");
  } catch (...) {
    sqlite3_exec(banco_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(banco_);
    banco_ = nullptr;
    fs::remove(raiz / kBanco);
    throw;
  }
  alterado_ = false;
  for (const char* sub : subpastas)
    if (fs::is_directory(raiz / sub)) fs::rename(raiz / sub, raiz / (std::string("migrado-") + sub));
  if (fs::exists(raiz / "contadores.json")) fs::rename(raiz / "contadores.json", raiz / "migrado-contadores.json");
}

void EstadoSandbox::Confirma() {
  Executa("COMMIT");
  alterado_ = false;
}

// A request that failed half-way leaves nothing: the database rolls back, and the records in
// memory are read again when the request had changed them.
void EstadoSandbox::Desfaz() {
  sqlite3_exec(banco_, "ROLLBACK", nullptr, nullptr, nullptr);
  if (alterado_) Carrega();
  alterado_ = false;
}

TTransacaoEstado::TTransacaoEstado(EstadoSandbox& aEstado)
    : estado_(aEstado), trava_(aEstado.mutex_), excecoesAntes_(std::uncaught_exceptions()) {
  estado_.Executa("BEGIN IMMEDIATE");
}

TTransacaoEstado::~TTransacaoEstado() noexcept(false) {
  if (std::uncaught_exceptions() > excecoesAntes_) {
    estado_.Desfaz();
    return;
  }
  try {
    estado_.Confirma();
  } catch (...) {
    estado_.Desfaz();
    throw;
  }
}

void EstadoSandbox::GravaContadores() {
  Grava("contadores", "", nlohmann::json{{"recibo", recibos_}, {"protocolo", protocolos_}}.dump());
}

std::string EstadoSandbox::NovoRecibo(const std::string& aCodigoUF) {
  ++recibos_;
  GravaContadores();
  return aCodigoUF + "1" + Sequencia(recibos_, 12);
}

std::string EstadoSandbox::NovoProtocolo(const std::string& aCodigoOrgao, const std::string& aAno2) {
  ++protocolos_;
  GravaContadores();
  return (aCodigoOrgao == "91" ? "9" : "1") + aCodigoOrgao + aAno2 + Sequencia(protocolos_, 10);
}

const TNotaRegistrada* EstadoSandbox::Nota(const std::string& aChave) const {
  auto it = notas_.find(aChave);
  return it == notas_.end() ? nullptr : &it->second;
}

const TNotaRegistrada* EstadoSandbox::NotaPorNumero(const std::string& aCnpj, const std::string& aModelo,
                                                    const std::string& aSerie, const std::string& aNumero) const {
  auto it = chavesPorNumero_.find(ChaveNumero(aCnpj, aModelo, aSerie, aNumero));
  return it == chavesPorNumero_.end() ? nullptr : Nota(it->second);
}

void EstadoSandbox::GravaNota(const TNotaRegistrada& aNota) {
  Grava("nota", aNota.Chave, nlohmann::json(aNota).dump());
  chavesPorNumero_[ChaveNumero(aNota.CnpjEmitente, aNota.Modelo, aNota.Serie, aNota.Numero)] = aNota.Chave;
  notas_[aNota.Chave] = aNota;
}

const TReciboLote* EstadoSandbox::Recibo(const std::string& aNRec) const {
  auto it = lotes_.find(aNRec);
  return it == lotes_.end() ? nullptr : &it->second;
}

void EstadoSandbox::GravaRecibo(const TReciboLote& aRecibo) {
  Grava("recibo", aRecibo.NRec, nlohmann::json(aRecibo).dump());
  lotes_[aRecibo.NRec] = aRecibo;
}

const TEventoRegistrado* EstadoSandbox::Evento(const std::string& aId) const {
  auto it = eventos_.find(aId);
  return it == eventos_.end() ? nullptr : &it->second;
}

void EstadoSandbox::GravaEvento(const TEventoRegistrado& aEvento) {
  Grava("evento", aEvento.Id, nlohmann::json(aEvento).dump());
  eventos_[aEvento.Id] = aEvento;
}

const TInutilizacao* EstadoSandbox::InutilizacaoDe(const std::string& aCnpj, const std::string& aModelo,
                                                   const std::string& aSerie, long long aNumero) const {
  for (const auto& [id, f] : inutilizacoes_)
    if (f.CNPJ == aCnpj && f.Modelo == aModelo && std::stoll(f.Serie) == std::stoll(aSerie) && f.Inicio <= aNumero &&
        aNumero <= f.Fim)
      return &f;
  return nullptr;
}

const TInutilizacao* EstadoSandbox::InutilizacaoQueCruza(const TInutilizacao& aFaixa) const {
  for (const auto& [id, f] : inutilizacoes_)
    if (f.CNPJ == aFaixa.CNPJ && f.Modelo == aFaixa.Modelo && std::stoll(f.Serie) == std::stoll(aFaixa.Serie) &&
        f.Inicio <= aFaixa.Fim && aFaixa.Inicio <= f.Fim)
      return &f;
  return nullptr;
}

void EstadoSandbox::GravaInutilizacao(const TInutilizacao& aFaixa) {
  Grava("inutilizacao", aFaixa.Id, nlohmann::json(aFaixa).dump());
  inutilizacoes_[aFaixa.Id] = aFaixa;
}

unsigned long long EstadoSandbox::NovoDocumentoDFe(const std::string& aInteressado, TDocumentoDFe aDocumento) {
  auto& documentos = dfe_[aInteressado];
  aDocumento.NSU = documentos.empty() ? 1 : documentos.back().NSU + 1;
  Grava(kPrefixoDFe + aInteressado, Sequencia(aDocumento.NSU, 15), nlohmann::json(aDocumento).dump());
  documentos.push_back(std::move(aDocumento));
  return documentos.back().NSU;
}

const std::vector<TDocumentoDFe>& EstadoSandbox::DocumentosDFe(const std::string& aInteressado) const {
  static const std::vector<TDocumentoDFe> kNenhum;
  auto it = dfe_.find(aInteressado);
  return it == dfe_.end() ? kNenhum : it->second;
}

}  // namespace mox::sandbox
