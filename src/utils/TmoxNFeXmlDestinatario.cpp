#include "utils/TmoxNFeXmlDestinatario.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/moxNFePaths.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

constexpr const char* kNaoEncontrada = "NFe Id: %s não encontrada no Log : %s ";

bool Entre(const std::string& aCStat, std::initializer_list<const char*> aCodigos) {
  return std::any_of(aCodigos.begin(), aCodigos.end(), [&](const char* c) { return aCStat == c; });
}

// Authorized, denied, or authorized late (150): the protocol closes the note's road.
bool ProtocoloFinal(const std::string& aCStat) { return Entre(aCStat, {"100", "110", "301", "302", "150"}); }

std::string Aparado(const std::string& aTexto) {
  const auto inicio = aTexto.find_first_not_of(" \t\r\n");
  if (inicio == std::string::npos) return {};
  return aTexto.substr(inicio, aTexto.find_last_not_of(" \t\r\n") - inicio + 1);
}

// Without the first default declaration of the NF-e namespace.
std::string RemoverNameSpace(std::string aXml) {
  const std::string declaracao = std::string(" xmlns=\"") + TmoxKivoUtils::kNFeNamespace + "\"";
  if (const auto p = aXml.find(declaracao); p != std::string::npos) aXml.erase(p, declaracao.size());
  return aXml;
}

}  // namespace

TmoxNFeXmlDestinatario::TmoxNFeXmlDestinatario() : Utils(std::make_unique<TmoxKivoUtils>()) {}

TmoxNFeXmlDestinatario::~TmoxNFeXmlDestinatario() = default;

std::string TmoxNFeXmlDestinatario::GerarXmlDestinatario() {
  const std::string xml = Aparado(MontarXmlDestinatario(FChaveNFe));
  if (!xml.empty() && FSalvarLogsEmDisco) {
    SalvarEmArquivo(xml);
    DeleteTempFile(FChaveNFe);
  }
  return xml;
}

bool TmoxNFeXmlDestinatario::GeraChavesDoRecibo(std::initializer_list<int> aCodigos, const char* aSufixo) {
  bool gerou = false;
  for (int codigo : aCodigos) {
    std::vector<std::string> chaves;
    TmoxNFeXMLLogs::ListaChavesLogRecibo(FLogConsRec, codigo, &chaves, FDiretorioLog);
    for (const auto& chave : chaves) {
      FChaveNFe = chave;
      FSalvarComo = FDiretorioXmlDestinatario + chave + aSufixo;
      GerarXmlDestinatario();
      gerou = true;
    }
  }
  return gerou;
}

void TmoxNFeXmlDestinatario::GerarXmlDestinatario(const std::string& aNumDoc) {
  const size_t tamanho = CodePointCount(aNumDoc);
  if (tamanho == 15) {
    FLogEnvio = GetTempNameLogEnv(aNumDoc);
    if (FLogEnvio.empty()) return;
    if (GeraChavesDoRecibo({100, 150}, "-nfe.xml")) DeleteTempFile(aNumDoc);
    if (GeraChavesDoRecibo({110, 301, 302}, "-den.xml")) DeleteTempFile(aNumDoc);
  } else if (tamanho == 44) {
    FLogEnvio = GetTempNameLogEnv(aNumDoc);
    if (FLogEnvio.empty()) return;
    FChaveNFe = aNumDoc;
    const std::string cStat =
        GetValueTag("cStat", TmoxNFeXMLLogs::AchaInfProtLogConsNF(aNumDoc, FLogConsChave, FDiretorioLog));
    FSalvarComo = FDiretorioXmlDestinatario + aNumDoc + (cStat == "100" || cStat == "150" ? "-nfe.xml" : "-den.xml");
    GerarXmlDestinatario();
  } else {
    throw EmoxNFeXmlDestinatario::CreateFmt(
        "O Número informado: %s não se refere nem a um Recibo e nem a uma Chave de NFe", {aNumDoc});
  }
}

std::string TmoxNFeXmlDestinatario::MontarXmlDestinatario(const std::string& aChaveNFe) {
  const std::string env = GetXmlLogEnvio(aChaveNFe);
  const std::string prot = RemoverNameSpace(Aparado(GetXmlInfProtocolo(aChaveNFe)));
  const std::string status = GetValueTag("cStat", prot);
  if (prot.empty()) return {};
  const std::string erro = WithTrailingSlash(ExpandPath(FDiretorioXmlDestinatario)) + "Erro-" + aChaveNFe;
  if (!CompareDigValLogsNFe(env, prot)) {
    FSalvarComo = erro;
    return moxFormat("O digVal encontrado no Xml de Envio %s difere do digVal de processamento %s ",
                     {GetValueTag("DigestValue", env), GetValueTag("digVal", prot)});
  }
  if (ProtocoloFinal(status)) return moxFormat(FTemplate, {env, prot});
  FSalvarComo = erro;
  return moxFormat("O xml não está autorizado, cstat de retorno: %s ", {status});
}

std::string TmoxNFeXmlDestinatario::GetXmlLogEnvio(const std::string& aChave) {
  const std::string nota = TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(aChave, FLogEnvio, FDiretorioLog);
  if (nota.empty()) throw EmoxNFeXmlDestinatario::CreateFmt(kNaoEncontrada, {aChave, FLogEnvio});
  return TrataXmlAssinado(nota);
}

std::string TmoxNFeXmlDestinatario::GetXmlInfProtocolo(const std::string& aChave) {
  if (!FLogConsRec.empty()) {
    const std::string infProt = TmoxNFeXMLLogs::AchaInfProtLogConsRec(aChave, FLogConsRec, FDiretorioLog);
    if (infProt.empty()) throw EmoxNFeXmlDestinatario::CreateFmt(kNaoEncontrada, {aChave, FLogConsRec});
    return infProt;
  }
  const std::string i = TmoxNFeXMLLogs::AchaInfProtLogConsNF(aChave, FLogConsChave, FDiretorioLog);
  if (i.empty()) throw EmoxNFeXmlDestinatario::CreateFmt(kNaoEncontrada, {aChave, FLogConsChave});
  const std::string cStat = GetValueTag("cStat", i);
  if (!ProtocoloFinal(cStat)) return {};
  FmtArgs campos;
  for (const char* tag : {"tpAmb", "verAplic", "chNFe", "dhRecbto", "nProt", "digVal", "cStat", "xMotivo"})
    campos.emplace_back(GetValueTag(tag, i));
  if (FSalvarComo.empty())
    FSalvarComo = FDiretorioXmlDestinatario + FChaveNFe + (cStat == "100" || cStat == "150" ? "-nfe.xml" : "-den.xml");
  return moxFormat(
      "<infProt><tpAmb>%s</tpAmb><verAplic>%s</verAplic><chNFe>%s</chNFe><dhRecbto>%s</dhRecbto><nProt>%s</nProt>"
      "<digVal>%s</digVal><cStat>%s</cStat><xMotivo>%s</xMotivo></infProt>",
      campos);
}

std::string TmoxNFeXmlDestinatario::TrataXmlAssinado(const std::string& aXMLAssinado) {
  const auto p = aXMLAssinado.find(" Id=");
  if (p == std::string::npos) return aXMLAssinado;
  const auto versao = aXMLAssinado.find("versao=");
  if (versao != std::string::npos && versao < p) return aXMLAssinado;
  const auto id = aXMLAssinado.find("Id=");
  // Without versao after the Id there is nothing to reorder.
  if (versao == std::string::npos) return aXMLAssinado;
  return aXMLAssinado.substr(0, p + 1) + aXMLAssinado.substr(id, 52) + " " + aXMLAssinado.substr(versao, 13) +
         aXMLAssinado.substr(std::min(versao + 13, aXMLAssinado.size()));
}

std::string TmoxNFeXmlDestinatario::GetTempNameLogEnv(const std::string& aFileName) {
  const std::string marca = WithTrailingSlash(FDiretorioXmlDestinatario) + aFileName;
  if (!FileExists(marca)) return {};
  return WithTrailingSlash(FDiretorioLog) + Utils->GetValueParam(Utils->LoadFromFileUTF8(marca), "env-lot");
}

void TmoxNFeXmlDestinatario::SalvarEmArquivo(const std::string& aXml) {
  if (FSalvarComo.empty()) return;
  WriteFileAtomic(FSalvarComo, WithCrLf(aXml));
  DoOnXmlDestinatario(FSalvarComo);
}

void TmoxNFeXmlDestinatario::DeleteTempFile(const std::string& aFileName) {
  const std::string marca = FDiretorioXmlDestinatario + aFileName;
  std::error_code erro;
  std::filesystem::remove(marca, erro);
}

void TmoxNFeXmlDestinatario::DoOnXmlDestinatario(const std::string& aFileName) {
  if (OnXmlDestinatario) OnXmlDestinatario(aFileName);
}

}  // namespace mox
