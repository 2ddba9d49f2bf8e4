#include "component/TmoxNFe.h"

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConverter.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxNFePaths.h"
#include "external/AsciiCase.h"

namespace mox {

TmoxNFe::TmoxNFe() : FXmlUtil(std::make_unique<TmoxNFeXmlUtils>()) {
  SetDiretorioXmlDestinatario("");
  fMaxSizeLoteEnvio = 500;
  SetAnexarDanfePDF(true);
}

TmoxNFe::~TmoxNFe() {
  FNFeEventos.reset();
  FXmlUtil.reset();
}

TmoxNFeConverter& TmoxNFe::GetConversor() {
  if (!FConversor) FConversor = std::make_unique<TmoxNFeConverter>();
  FConversor->SetDiretorioTemplates(DiretorioTemplates());
  FConversor->SetDiretorioLogErro(DiretorioLogErro());
  return *FConversor;
}

void TmoxNFe::SetVersaoManual(TVersaoManual aValue) {
  TmoxCustomNFe::SetVersaoManual(aValue);
  UpdateNFeData();
}

std::string TmoxNFe::DiretorioXmlDestinatario() {
  return PastaCriada(PastaGravavel(fDiretorioXmlDestinatario, "XmlDestinatario/"));
}

void TmoxNFe::SetDiretorioXmlDestinatario(const std::string& aValue) {
  fDiretorioXmlDestinatario = WithTrailingSlash(aValue);
}

std::string TmoxNFe::DiretorioDownloads() {
  SetDiretorioDownloads(FDiretorioDownloads);
  return FDiretorioDownloads;
}

void TmoxNFe::SetDiretorioDownloads(const std::string& aValue) {
  FDiretorioDownloads = PastaCriada(PastaGravavel(aValue, "Downloads/"));
}

void TmoxNFe::SecaoPadrao() {
  if (SectionINI().empty()) SetSectionINI("NFE");
}

void TmoxNFe::LoadConfig(const std::string& aConfigFile) {
  SecaoPadrao();
  TmoxCustomNFe::LoadConfig(aConfigFile);
}

void TmoxNFe::LoadConfig(TmoxIniFile* aIniContent) {
  SecaoPadrao();
  TmoxCustomNFe::LoadConfig(aIniContent);
}

void TmoxNFe::SaveConfig(const std::string& aConfigFile) {
  SecaoPadrao();
  TmoxCustomNFe::SaveConfig(aConfigFile);
}

void TmoxNFe::SaveConfig(TmoxIniFile* aIniContent) {
  SecaoPadrao();
  TmoxCustomNFe::SaveConfig(aIniContent);
}

void TmoxNFe::LerConfiguracoes(TmoxIniFile& aIni) {
  TmoxCustomNFe::LerConfiguracoes(aIni);
  fMaxSizeLoteEnvio = static_cast<int>(aIni.ReadInteger(SectionINI(), "MaxSizeLoteEnvio", 500));
  SetDiretorioXmlDestinatario(aIni.ReadString(SectionINI(), "DiretorioXmlDestinatario", ""));
  SetDiretorioDownloads(aIni.ReadString(SectionINI(), "DiretorioDownloads", ""));
}

void TmoxNFe::EscreverConfiguracoes(TmoxIniFile& aIni) {
  TmoxCustomNFe::EscreverConfiguracoes(aIni);
  aIni.WriteInteger(SectionINI(), "MaxSizeLoteEnvio", fMaxSizeLoteEnvio);
  aIni.WriteString(SectionINI(), "DiretorioXmlDestinatario", fDiretorioXmlDestinatario);
  aIni.WriteString(SectionINI(), "DiretorioDownloads", FDiretorioDownloads);
}

void TmoxNFe::CheckConfig() {
  TmoxCustomNFe::CheckConfig();
  const std::string pasta = DiretorioXmlDestinatario();
  if (!DirectoryExists(pasta) && !(SomenteLeitura() && CanCreateDirectories(pasta)))
    throw EmoxNFeCheckParams::CreateFmt("O caminho configurado para salvar o XMLDestinatario é inválido. %s", {pasta},
                                        DiretorioLogErro());
  if (fMaxSizeLoteEnvio <= 0)
    throw EmoxNFeCheckParams("O tamanho máximo para o lote está com valor menor que um.", DiretorioLogErro());
}

void TmoxNFe::UpdateNFeData() {
  TNFeData& d = fNFeData;
  d.ArquivoServidoresHom = ArquivoServidoresHom();
  d.ArquivoServidoresProd = ArquivoServidoresProd();
  const bool producao = Ambiente() == TAmbienteKind::akProducao;
  if (FileExists(producao ? d.ArquivoServidoresProd : d.ArquivoServidoresHom)) d.ServersIni = &GetServersIni();
  d.Ambiente = Ambiente();
  d.AmbienteStr = GetTipoAmbiente(Ambiente());
  d.DiretorioLog = DiretorioLog();
  d.ValidarEsquemaAntesEnvio = ValidarEsquemaAntesEnvio();
  d.IgnoreInvalidCertificates = IgnoreInvalidCertificates();
  d.TimeOut = TimeOut();
  d.DiretorioEsquemas = DiretorioEsquemas();
  d.DiretorioTemplates = DiretorioTemplates();
  d.NomeCeritificado = NomeCertificado().Text();
  d.VersaoManual = VersaoManual();
  d.LocalCode = GetLocalCode();
  d.UF = UF();
  d.CNPJ = CNPJ();
  d.ModoOperacao = ModoOperacao();
}

namespace {

struct PacotesDoManual {
  TVersaoManual versao;
  std::vector<const char*> aceitos;
  const char* mensagem;
};

const std::vector<PacotesDoManual>& TabelaDePacotes() {
  static const std::vector<PacotesDoManual> tabela = {
      {TVersaoManual::vm30,
       {"pl_005a", "pl_005b", "pl_005c", "pl_005d", "pl_005f"},
       "Versão esquema não condiz com a versão manual definida, utilize ( pl_005a, pl_005b, pl_005c, pl_005d, "
       "pl_005f )."},
      {TVersaoManual::vm40,
       {"pl_006e", "pl_006f", "pl_006g", "pl_006i", "pl_006j"},
       "Versão esquema não condiz com a versão manual definida, utilize ( pl_006e, pl_006f, pl_006g, pl_006i, "
       "pl_006j )."},
      {TVersaoManual::vm50,
       {"pl_006m", "pl_006n", "pl_006p", "pl_006q", "pl_006r", "pl_006s", "pl_006t", "pl_006u", "pl_006v"},
       "Versão esquema não condiz com a versão manual definida, utilize ( pl_006m, pl_006n, pl_006p, pl_006q, "
       "pl_006r, pl_006s, pl_006v )."},
      {TVersaoManual::vm50a,
       {"pl_008a", "pl_008b", "pl_008c", "pl_008d", "pl_008e", "pl_008f", "pl_008g", "pl_008h", "pl_008i",
        "pl_008i1"},
       "Versão esquema não condiz com a versão manual definida, utilize ( "
       "pl_008a,pl_008b,pl_008c,pl_008d,pl_008e,pl_008f,pl_008g,pl_008h,pl_008i,pl_008i1 )."},
      // Layout 4.00, with the reform groups from pl_010 on.
      {TVersaoManual::vm60,
       {"pl_009", "pl_010"},
       "Versão esquema não condiz com a versão manual definida, utilize ( pl_009, pl_010 )."},
  };
  return tabela;
}

}  // namespace

void TmoxNFe::ChecarVersaoEsquema(const std::string& aVersaoEsquema) {
  for (const auto& linha : TabelaDePacotes()) {
    if (linha.versao != VersaoManual()) continue;
    for (const char* aceito : linha.aceitos)
      if (EqualsIgnoreCase(aVersaoEsquema, aceito)) return;
    throw EmoxNFeVersaoEsquemaException(linha.mensagem, DiretorioLogErro());
  }
}

std::string TmoxNFe::GetVersaoNota() {
  const std::string modelo = LoadTemplate("pedido_enviarnota.xml");
  const std::string marca = "versao=\"";
  const auto inicio = modelo.find(marca);
  const auto fim = inicio == std::string::npos ? inicio : modelo.find('"', inicio + marca.size());
  if (fim == std::string::npos)
    throw EmoxNFeException("Não foi encontrado o atributo \"versao\" no template: pedido_enviarnota.xml",
                           DiretorioLogErro());
  return modelo.substr(inicio + marca.size(), fim - inicio - marca.size());
}

}  // namespace mox
