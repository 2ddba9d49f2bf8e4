#include "sandbox/EstadoSandbox.h"

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
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

const char* kNotas = "notas";
const char* kRecibos = "recibos";
const char* kEventos = "eventos";
const char* kInutilizacoes = "inutilizacoes";
const char* kDFe = "dfe";

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

void GravaJson(const std::string& aArquivo, const nlohmann::json& aValor) {
  WriteFileAtomic(aArquivo, aValor.dump(1) + "\n");
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
  for (const char* sub : {kNotas, kRecibos, kEventos, kInutilizacoes, kDFe}) fs::create_directories(fs::path(pasta_) / sub);
  // Two sandboxes on one folder would hand out the same numbers.
  const std::string arquivoTrava = (fs::path(pasta_) / "sandbox.trava").string();
  trava_ = ::open(arquivoTrava.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (trava_ < 0 || ::flock(trava_, LOCK_EX | LOCK_NB) != 0) {
    if (trava_ >= 0) ::close(trava_);
    throw std::runtime_error("A pasta de estado " + pasta_ + " está em uso por outro sandbox.");
  }
  Carrega();
}

EstadoSandbox::~EstadoSandbox() { ::close(trava_); }

std::string EstadoSandbox::Arquivo(const std::string& aSubpasta, const std::string& aNome) const {
  return (fs::path(pasta_) / aSubpasta / (aNome + ".json")).string();
}

void EstadoSandbox::Carrega() {
  const fs::path raiz(pasta_);
  if (fs::exists(raiz / "contadores.json")) {
    auto contadores = LeJson(raiz / "contadores.json");
    recibos_ = contadores.value("recibo", 0ull);
    protocolos_ = contadores.value("protocolo", 0ull);
  }
  ParaCadaRegistro(raiz / kNotas, [this](const fs::path& f) {
    auto nota = LeJson(f).get<TNotaRegistrada>();
    chavesPorNumero_[ChaveNumero(nota.CnpjEmitente, nota.Modelo, nota.Serie, nota.Numero)] = nota.Chave;
    notas_[nota.Chave] = std::move(nota);
  });
  ParaCadaRegistro(raiz / kRecibos, [this](const fs::path& f) {
    auto recibo = LeJson(f).get<TReciboLote>();
    lotes_[recibo.NRec] = std::move(recibo);
  });
  ParaCadaRegistro(raiz / kEventos, [this](const fs::path& f) {
    auto evento = LeJson(f).get<TEventoRegistrado>();
    eventos_[evento.Id] = std::move(evento);
  });
  ParaCadaRegistro(raiz / kInutilizacoes, [this](const fs::path& f) {
    auto faixa = LeJson(f).get<TInutilizacao>();
    inutilizacoes_[faixa.Id] = std::move(faixa);
  });
  for (const auto& interessado : fs::directory_iterator(raiz / kDFe)) {
    if (!interessado.is_directory()) continue;
    auto& documentos = dfe_[interessado.path().filename().string()];
    ParaCadaRegistro(interessado.path(), [&](const fs::path& f) { documentos.push_back(LeJson(f).get<TDocumentoDFe>()); });
    std::sort(documentos.begin(), documentos.end(), [](const auto& a, const auto& b) { return a.NSU < b.NSU; });
  }
}

void EstadoSandbox::GravaContadores() {
  GravaJson((fs::path(pasta_) / "contadores.json").string(),
            nlohmann::json{{"recibo", recibos_}, {"protocolo", protocolos_}});
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
  GravaJson(Arquivo(kNotas, aNota.Chave), aNota);
  chavesPorNumero_[ChaveNumero(aNota.CnpjEmitente, aNota.Modelo, aNota.Serie, aNota.Numero)] = aNota.Chave;
  notas_[aNota.Chave] = aNota;
}

const TReciboLote* EstadoSandbox::Recibo(const std::string& aNRec) const {
  auto it = lotes_.find(aNRec);
  return it == lotes_.end() ? nullptr : &it->second;
}

void EstadoSandbox::GravaRecibo(const TReciboLote& aRecibo) {
  GravaJson(Arquivo(kRecibos, aRecibo.NRec), aRecibo);
  lotes_[aRecibo.NRec] = aRecibo;
}

const TEventoRegistrado* EstadoSandbox::Evento(const std::string& aId) const {
  auto it = eventos_.find(aId);
  return it == eventos_.end() ? nullptr : &it->second;
}

void EstadoSandbox::GravaEvento(const TEventoRegistrado& aEvento) {
  GravaJson(Arquivo(kEventos, aEvento.Id), aEvento);
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
  GravaJson(Arquivo(kInutilizacoes, aFaixa.Id), aFaixa);
  inutilizacoes_[aFaixa.Id] = aFaixa;
}

unsigned long long EstadoSandbox::NovoDocumentoDFe(const std::string& aInteressado, TDocumentoDFe aDocumento) {
  auto& documentos = dfe_[aInteressado];
  aDocumento.NSU = documentos.empty() ? 1 : documentos.back().NSU + 1;
  const fs::path pasta = fs::path(pasta_) / kDFe / aInteressado;
  fs::create_directories(pasta);
  GravaJson((pasta / (Sequencia(aDocumento.NSU, 15) + ".json")).string(), aDocumento);
  documentos.push_back(std::move(aDocumento));
  return documentos.back().NSU;
}

const std::vector<TDocumentoDFe>& EstadoSandbox::DocumentosDFe(const std::string& aInteressado) const {
  static const std::vector<TDocumentoDFe> kNenhum;
  auto it = dfe_.find(aInteressado);
  return it == dfe_.end() ? kNenhum : it->second;
}

}  // namespace mox::sandbox
