#include "cli/CliEmissao.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <stdexcept>
#include <thread>

#include "component/TmoxNFe.h"
#include "datasets/TmoxNFeConverter.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxXmlLookup.h"
#include "webservices/moxLogsTransacao.h"

namespace moxcli {

namespace {

constexpr size_t kNotasPorLote = 50;
// Room the batch template takes around the notes.
constexpr size_t kFolgaDoLote = 500;
constexpr const char* kPrefixoFalhaDeEnvio = "Erro ao enviar NF-e: ";

bool Entre(const std::string& aCStat, std::initializer_list<const char*> aCodigos) {
  return std::any_of(aCodigos.begin(), aCodigos.end(), [&](const char* c) { return aCStat == c; });
}

// The NFe elements of a signed text, each exactly as it was signed.
std::vector<std::string> ElementosNFe(const std::string& aTexto) {
  std::vector<std::string> notas;
  size_t p = aTexto.find("<NFe");
  while (p != std::string::npos) {
    const char seguinte = p + 4 < aTexto.size() ? aTexto[p + 4] : '\0';
    if (seguinte != ' ' && seguinte != '>') {
      p = aTexto.find("<NFe", p + 4);
      continue;
    }
    const auto fim = aTexto.find("</NFe>", p);
    if (fim == std::string::npos) break;
    notas.push_back(aTexto.substr(p, fim + 6 - p));
    p = aTexto.find("<NFe", fim + 6);
  }
  return notas;
}

std::vector<std::string> LinhasPreenchidas(const std::string& aTexto) {
  std::vector<std::string> linhas;
  size_t inicio = 0;
  while (inicio < aTexto.size()) {
    size_t fim = aTexto.find_first_of("\r\n", inicio);
    if (fim == std::string::npos) fim = aTexto.size();
    if (aTexto.find_first_not_of(" \t", inicio) < fim) linhas.push_back(aTexto.substr(inicio, fim - inicio));
    inicio = fim + 1;
  }
  return linhas;
}

std::string ChaveDa(const std::string& aNota) {
  const std::string chave = mox::ObterNotaID(aNota);
  return chave.empty() ? mox::TmoxNFeXmlUtils::getIDNotaXPath(aNota, false) : chave;
}

std::vector<std::string> Protocolos(const std::string& aResposta) {
  std::vector<std::string> nos;
  try {
    mox::TmoxKivoUtils().XPathSelectNodes(aResposta, "//*[local-name()='infProt']", nos);
  } catch (const std::exception&) {
    // An answer that is not XML carries no protocol.
  }
  return nos;
}

int Segundos(const std::string& aTexto) {
  try {
    return std::clamp(std::stoi(aTexto), 1, 60);
  } catch (const std::exception&) {
    return 1;
  }
}

// The notes of one input file: NF-e XML (signed NFe elements, or infNFe to be signed) or TX2
// converted by the component.
std::vector<std::string> NotasDoArquivo(mox::TmoxNFe& aNFe, const std::string& aArquivo,
                                        mox::TVersaoEsquema aEsquema, bool& aAssinadas) {
  const std::string texto = mox::RemoveUtf8Bom(mox::DecodeToUtf8(mox::ReadFileBytes(aArquivo)));
  const auto inicio = texto.find_first_not_of(" \t\r\n");
  if (inicio == std::string::npos)
    throw std::runtime_error("O arquivo " + aArquivo + " está vazio: não há nota para emitir.");
  std::vector<std::string> notas;
  aAssinadas = false;
  if (texto[inicio] == '<') {
    aAssinadas = mox::ValidaAssinatura(texto);
    if (aAssinadas) {
      notas = ElementosNFe(texto);
    } else {
      for (int i = 0, n = mox::TmoxNFeXmlUtils::GetNumNotas(texto); i < n; ++i)
        notas.push_back(mox::TmoxNFeXmlUtils::GetNota(i, texto, false));
    }
  } else {
    try {
      notas = LinhasPreenchidas(aNFe.GetConversor().ConvertToXml(texto, aNFe.GetVersaoNota(),
                                                                mox::TLayoutConvKind::lkTXTDataSet, aEsquema, false));
    } catch (const std::exception& e) {
      throw std::runtime_error(aArquivo + ": " + e.what());
    }
  }
  if (notas.empty()) throw std::runtime_error("O arquivo " + aArquivo + " não tem NF-e (infNFe) para emitir.");
  return notas;
}

}  // namespace

Emissao::Emissao(mox::TmoxNFe& aNFe, TOpcoesEmissao aOpcoes) : nfe_(aNFe), opcoes_(aOpcoes) {
  if (opcoes_.PrimeiroLote > 0) {
    lote_ = opcoes_.PrimeiroLote - 1;
  } else {
    // yymmddhhmmss and a sequence: 15 digits, different in every run of a second.
    const std::time_t agora = std::time(nullptr);
    std::tm t{};
    localtime_r(&agora, &t);
    char texto[16];
    std::strftime(texto, sizeof texto, "%y%m%d%H%M%S", &t);
    lote_ = std::stoll(texto) * 1000;
  }
}

std::string Emissao::ProximoLote() { return std::to_string(++lote_); }

size_t Emissao::IndiceDa(const std::string& aChave, const std::string& aOrigem) {
  for (size_t i = 0; i < notas_.size(); ++i)
    if (notas_[i].Chave == aChave) return i;
  notas_.push_back({aChave, aOrigem, "", "", "", "", ""});
  logsAnteriores_.emplace_back();
  return notas_.size() - 1;
}

void Emissao::Conclui(size_t aIndice, const std::string& aSituacao, const std::string& aCStat,
                      const std::string& aXMotivo, const std::string& aProtocolo) {
  TNotaEmitida& n = notas_[aIndice];
  const bool aberta = n.Situacao.empty() || n.Situacao == "pendente";
  if (!aberta) return;
  if (aSituacao != "pendente") ++concluidas_;
  n.Situacao = aSituacao;
  n.CStat = aCStat;
  n.XMotivo = aXMotivo;
  n.Protocolo = aProtocolo;
  if (OnProgresso) OnProgresso(concluidas_, notas_.size());
}

void Emissao::Emite(const std::vector<std::string>& aArquivos) {
  std::vector<std::pair<std::string, std::string>> aAssinar;
  std::vector<TNotaAssinada> assinadas;
  for (const auto& arquivo : aArquivos) {
    bool jaAssinadas = false;
    for (auto& nota : NotasDoArquivo(nfe_, arquivo, opcoes_.Esquema, jaAssinadas)) {
      if (jaAssinadas)
        assinadas.push_back({IndiceDa(ChaveDa(nota), arquivo), std::move(nota), {}});
      else
        aAssinar.emplace_back(arquivo, std::move(nota));
    }
  }
  for (auto& n : Assina(aAssinar)) assinadas.push_back(std::move(n));
  EnviaEmLotes(std::move(assinadas));
}

std::vector<Emissao::TNotaAssinada> Emissao::Assina(const std::vector<std::pair<std::string, std::string>>& aNotas) {
  std::vector<TNotaAssinada> assinadas;
  for (size_t inicio = 0; inicio < aNotas.size(); inicio += kNotasPorLote) {
    const size_t fim = std::min(aNotas.size(), inicio + kNotasPorLote);
    std::string texto;
    std::vector<size_t> indices;
    for (size_t i = inicio; i < fim; ++i) {
      indices.push_back(IndiceDa(ChaveDa(aNotas[i].second), aNotas[i].first));
      texto += aNotas[i].second;
    }
    try {
      for (auto& nota : ElementosNFe(nfe_.AssinarNota(texto)))
        assinadas.push_back({IndiceDa(ChaveDa(nota), {}), std::move(nota), {}});
    } catch (const std::exception& e) {
      for (size_t i : indices) Conclui(i, "erro", "", e.what());
    }
  }
  return assinadas;
}

void Emissao::EnviaEmLotes(std::vector<TNotaAssinada> aNotas, bool aReenvio) {
  const size_t limite = static_cast<size_t>(std::max(nfe_.MaxSizeLoteEnvio(), 1)) * 1000;
  std::vector<std::pair<std::string, std::string>> recibos;  // receipt, tMed
  std::vector<TNotaAssinada> lote, reenviar;
  size_t tamanho = 0;
  const auto envia = [&] {
    if (lote.empty()) return;
    std::string tempoMedio;
    if (std::string recibo = EnviaLote(lote, tempoMedio, aReenvio ? nullptr : &reenviar); !recibo.empty())
      recibos.emplace_back(recibo, tempoMedio);
    lote.clear();
    tamanho = 0;
  };
  for (auto& nota : aNotas) {
    const size_t tamanhoNota = mox::CodePointCount(nota.Xml);
    if (lote.size() == kNotasPorLote || (!lote.empty() && tamanho + tamanhoNota + kFolgaDoLote > limite)) envia();
    tamanho += tamanhoNota;
    logsAnteriores_[nota.Indice] = nota.LogAnterior;
    lote.push_back(std::move(nota));
  }
  envia();
  // SEFAZ works on the batches meanwhile: their receipts are asked after the last send.
  for (const auto& [recibo, tempoMedio] : recibos) ConsultaRecibo(recibo, Segundos(tempoMedio));
  if (!reenviar.empty()) EnviaEmLotes(std::move(reenviar), true);
}

std::string Emissao::EnviaLote(const std::vector<TNotaAssinada>& aLote, std::string& aTempoMedio,
                               std::vector<TNotaAssinada>* aReenviar) {
  std::string notas;
  for (const auto& n : aLote) notas += n.Xml;
  std::string resposta, perdida;
  try {
    resposta = nfe_.EnviarNF(ProximoLote(), notas, false);
  } catch (const std::exception& e) {
    // The checks before the post sent nothing; a failed post may have reached SEFAZ.
    std::string mensagem = e.what();
    for (const auto& erro : nfe_.ErrosValidador()) mensagem += "\n" + erro;
    if (!mensagem.starts_with(kPrefixoFalhaDeEnvio)) {
      for (const auto& n : aLote) Conclui(n.Indice, "erro", "", mensagem);
      return {};
    }
    perdida = mensagem;
  }
  const std::string cStat = perdida.empty() ? mox::GetValueTag("cStat", resposta) : std::string();
  if (cStat == "103") {
    aTempoMedio = mox::GetValueTag("tMed", resposta);
    return mox::ObterNumRecibo(resposta);
  }
  if (cStat.empty()) {
    // Whether the batch arrived is unknown: SEFAZ is asked about each note, and only the notes
    // it does not know are sent again.
    const std::string motivo = perdida.empty() ? "Resposta da SEFAZ não reconhecida" : perdida;
    std::vector<size_t> indices;
    for (const auto& n : aLote) indices.push_back(n.Indice);
    const auto desconhecidas = ProcuraPelaChave(indices, motivo);
    for (const auto& n : aLote) {
      if (std::find(desconhecidas.begin(), desconhecidas.end(), n.Indice) == desconhecidas.end()) continue;
      const std::string logAnterior = mox::LogDoPendente(nfe_.DiretorioXmlDestinatario(), notas_[n.Indice].Chave);
      if (aReenviar)
        aReenviar->push_back({n.Indice, n.Xml, logAnterior});
      else
        Conclui(n.Indice, "pendente", "", motivo);
    }
    return {};
  }
  const std::string motivo = mox::GetValueTag("xMotivo", resposta);
  for (const auto& n : aLote) {
    Conclui(n.Indice, "rejeitada", cStat, motivo);
    mox::RemovePendente(nfe_.DiretorioXmlDestinatario(), notas_[n.Indice].Chave);
  }
  return {};
}

std::vector<size_t> Emissao::ProcuraPelaChave(const std::vector<size_t>& aIndices, const std::string& aMotivo) {
  std::vector<size_t> desconhecidas;
  for (size_t i : aIndices) {
    const std::string chave = notas_[i].Chave;
    std::string resposta;
    try {
      resposta = nfe_.ConsultarNF(chave);
    } catch (const std::exception& e) {
      Conclui(i, "pendente", "", aMotivo + "\n" + e.what());
      continue;
    }
    const std::string cStat = mox::GetValueTag("cStat", resposta);
    if (cStat == "217") {
      desconhecidas.push_back(i);
      continue;
    }
    const auto protocolos = Protocolos(resposta);
    const auto protocolo = std::find_if(protocolos.begin(), protocolos.end(),
                                        [&](const std::string& p) { return mox::GetValueTag("chNFe", p) == chave; });
    if (protocolo != protocolos.end() && Entre(mox::GetValueTag("cStat", *protocolo), {"100", "150", "110", "301", "302"}))
      RegistraProtocolo(*protocolo, 1);
    else
      Conclui(i, "pendente", cStat, mox::GetValueTag("xMotivo", resposta));
  }
  return desconhecidas;
}

void Emissao::ConsultaRecibo(const std::string& aRecibo, int aTempoMedio, int aProfundidade) {
  int esperado = 0;  // seconds slept for this receipt
  const std::string pasta = nfe_.DiretorioXmlDestinatario();
  // The notes of the receipt's batch still waiting for their answer.
  const auto doRecibo = [&] {
    const std::string log = mox::LogDoPendente(pasta, aRecibo);
    std::vector<size_t> indices;
    for (size_t i = 0; i < notas_.size() && !log.empty(); ++i)
      if (mox::LogDoPendente(pasta, notas_[i].Chave) == log) indices.push_back(i);
    return indices;
  };
  const auto pendentes = [&](const std::string& aCStat, const std::string& aMotivo) {
    for (size_t i : doRecibo()) Conclui(i, "pendente", aCStat, aMotivo + " (recibo " + aRecibo + ")");
  };
  for (;;) {
    std::string resposta;
    try {
      resposta = nfe_.ConsultarRecibo(aRecibo);
    } catch (const std::exception& e) {
      // The answer was lost: SEFAZ holds the batch, so its notes are asked by key; those it has
      // not decided yet wait for the receipt.
      const std::string motivo = std::string(e.what()) + " (recibo " + aRecibo + ")";
      for (size_t i : ProcuraPelaChave(doRecibo(), motivo)) Conclui(i, "pendente", "", motivo);
      if (doRecibo().empty()) mox::RemovePendente(pasta, aRecibo);
      return;
    }
    const std::string cStat = mox::GetValueTag("cStat", resposta);
    if (cStat == "105") {
      if (esperado + aTempoMedio > opcoes_.EsperaMaximaSegundos) {
        pendentes(cStat, mox::GetValueTag("xMotivo", resposta));
        return;
      }
      // SEFAZ asks to wait its average time before asking again.
      std::this_thread::sleep_for(std::chrono::seconds(aTempoMedio));
      esperado += aTempoMedio;
      continue;
    }
    if (cStat != "104") {
      pendentes(cStat, mox::GetValueTag("xMotivo", resposta));
      return;
    }
    for (const auto& infProt : Protocolos(resposta)) RegistraProtocolo(infProt, aProfundidade);
    // Every note has its answer: a receipt whose notes were all refused keeps no marker.
    mox::RemovePendente(nfe_.DiretorioXmlDestinatario(), aRecibo);
    return;
  }
}

void Emissao::RegistraProtocolo(const std::string& aInfProt, int aProfundidade) {
  const std::string chave = mox::GetValueTag("chNFe", aInfProt);
  const std::string cStat = mox::GetValueTag("cStat", aInfProt), motivo = mox::GetValueTag("xMotivo", aInfProt);
  const size_t i = IndiceDa(chave, {});
  const std::string pasta = nfe_.DiretorioXmlDestinatario();
  const bool autorizada = Entre(cStat, {"100", "150"}), denegada = Entre(cStat, {"110", "301", "302"});
  if (autorizada || denegada) {
    const std::string arquivo = pasta + chave + (autorizada ? "-nfe.xml" : "-den.xml");
    if (mox::FileExists(arquivo)) {
      notas_[i].Arquivo = arquivo;
      Conclui(i, autorizada ? "autorizada" : "denegada", cStat, motivo, mox::GetValueTag("nProt", aInfProt));
    } else {
      // The recipient document could not be assembled: its reason is in the error file.
      const std::string erro = pasta + "Erro-" + chave;
      Conclui(i, "erro", cStat, mox::FileExists(erro) ? mox::ReadFileBytes(erro) : motivo,
              mox::GetValueTag("nProt", aInfProt));
    }
    return;
  }
  if (cStat == "204" && aProfundidade == 0) {
    ResolveDuplicidade(i, motivo, aProfundidade + 1);
    return;
  }
  Conclui(i, "rejeitada", cStat, motivo);
  mox::RemovePendente(pasta, chave);
}

void Emissao::ResolveDuplicidade(size_t aIndice, const std::string& aMotivo, int aProfundidade) {
  const std::string chave = notas_[aIndice].Chave;
  const std::string pasta = nfe_.DiretorioXmlDestinatario();
  const std::string arquivo = pasta + chave + "-nfe.xml";
  if (mox::FileExists(arquivo)) {
    // Already authorized and written by the receipt of an earlier send.
    notas_[aIndice].Arquivo = arquivo;
    const std::string proc = mox::ReadFileBytes(arquivo);
    const std::string prot = proc.substr(std::min(proc.find("<infProt"), proc.size()));
    Conclui(aIndice, "autorizada", mox::GetValueTag("cStat", prot), mox::GetValueTag("xMotivo", prot),
            mox::GetValueTag("nProt", prot));
    mox::RemovePendente(pasta, chave);
    return;
  }
  const auto marca = aMotivo.find("[nRec:");
  const std::string recibo = marca == std::string::npos ? std::string() : aMotivo.substr(marca + 6, 15);
  const std::string log =
      !logsAnteriores_[aIndice].empty() ? logsAnteriores_[aIndice] : mox::LogDoPendente(pasta, chave);
  if (recibo.size() == 15 && !log.empty()) {
    // The receipt of the batch that first carried the note, tied to that batch's log.
    nfe_.SaveFileTemporario(recibo, log);
    ConsultaRecibo(recibo, 1, aProfundidade);
  }
  Conclui(aIndice, "rejeitada", "204", aMotivo);
  mox::RemovePendente(pasta, chave);
}

void Emissao::Retoma() {
  const std::string pasta = nfe_.DiretorioXmlDestinatario();
  std::map<std::string, std::string> reciboDoLog;
  const auto pendentes = mox::ListaPendentes(pasta);
  for (const auto& p : pendentes)
    if (p.Numero.size() == 15) reciboDoLog[p.LogEnvio] = p.Numero;
  std::vector<size_t> orfas;
  for (const auto& p : pendentes) {
    if (p.Numero.size() != 44) continue;
    const size_t i = IndiceDa(p.Numero, p.LogEnvio);
    if (!reciboDoLog.count(p.LogEnvio)) orfas.push_back(i);
  }
  for (const auto& [log, recibo] : reciboDoLog) ConsultaRecibo(recibo, 1);
  // Batches whose answer never came: SEFAZ is asked about each note first, and only the notes it
  // does not know are sent again, from their batch's log.
  std::vector<TNotaAssinada> reenviar;
  for (size_t i : ProcuraPelaChave(orfas, "Sem resposta ao lote")) {
    const std::string log = mox::LogDoPendente(pasta, notas_[i].Chave);
    const std::string nota = mox::TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(notas_[i].Chave, log, nfe_.DiretorioLog());
    if (nota.empty())
      Conclui(i, "erro", "", "A nota não está no log do lote " + log);
    else
      reenviar.push_back({i, nota, log});
  }
  EnviaEmLotes(std::move(reenviar));
}

}  // namespace moxcli
