// What each manual version adds to the DANFE data.
#include "base/EmoxException.h"
#include "danfe/TmoxNFeDanfeDados.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxDataHoraNFe.h"
#include "utils/moxXmlLookup.h"

namespace mox {

// --------------------------------------------------------------------------- 2.0.2a

void TmoxNFeDanfeDados202::GetDadosTransp() {
  SetDados("TraModFrete", Valor("transp", "modFrete"));
  SetDados("TraCNPJ", CnpjOuCpf("transp"));
  SetDados("TraNome", Valor("transp", "xNome"));
  SetDados("TraIE", Valor("transp", "IE"));
  SetDados("TraEnd", Valor("transp", "xEnder"));
  SetDados("TraMun", Valor("transp", "xMun"));
  SetDados("TraUF", Valor("transp", "UF"));
}

void TmoxNFeDanfeDados202::GetDadosIdNF() {
  TmoxNFeDanfeDados::GetDadosIdNF();
  std::string tpNF = Valor("ide", "tpNF");
  SetDados("nTpNF", tpNF == "0" ? "1" : tpNF == "1" ? "2" : "");
}

void TmoxNFeDanfeDados202::ValidarXmlEntrada() {
  if (fXml.find("Signature") == std::string::npos)
    throw EmoxNFeReportException("A Nota não possui Assinatura", fDiretorioLogErro);
}

// --------------------------------------------------------------------------- 3.0

int TmoxNFeDanfeDados30::GetTpEmis() { return TpEmisNumero(GetValueTag("tpEmis", fXml)); }

void TmoxNFeDanfeDados30::ValidarXmlEntrada() {
  int tpEmis = GetTpEmis();
  if (tpEmis != 1 && tpEmis != 3) return;
  int n = GetNumNotas();
  for (int i = 0; i < n; ++i) {
    std::string nota = TmoxNFeXmlUtils::getNotaXPath(i, fXml, true);
    if (nota.find("protNFe") == std::string::npos)
      throw EmoxNFeReportException("O Xml não é válido para impressão em modo Normal / SCAN", fDiretorioLogErro);
    // 150 is the authorization granted after the deadline: the note is as authorized as with 100.
    std::string cStat = GetValueTag("cStat", nota);
    if (cStat != "100" && cStat != "150")
      throw EmoxNFeReportException("Danfe não autorizada para Impressão.", fDiretorioLogErro);
    if (GetValueTag("nProt", nota).empty())
      throw EmoxNFeReportException("Número de Protocolo não encontrado.", fDiretorioLogErro);
  }
}

void TmoxNFeDanfeDados30::GetDadosIdNF() {
  TmoxNFeDanfeDados202::GetDadosIdNF();
  SetDados("nTpNF", Valor("ide", "tpNF"));
  std::string tpEmis = Primeiro("tpEmis");
  if (tpEmis == "1" || tpEmis == "3" || tpEmis == "6" || tpEmis == "7") {
    SetDados("nProt", Primeiro("nProt"));
    SetDados("dhRecbto", Primeiro("dhRecbto"));
  } else if (tpEmis == "2" || tpEmis == "4" || tpEmis == "5") {
    if (!fProtocoloDPEC.empty() && FProtocoloEPEC.empty()) {
      SetDados("nProt", fProtocoloDPEC);
      SetDados("dhRecbto", fDataHoraDPEC);
    } else if (!FProtocoloEPEC.empty()) {
      SetDados("nProtEpec", FProtocoloEPEC);
      SetDados("dhRecbto", FDataHoraEPEC);
    } else {
      SetDados("nProt", "");
      SetDados("dhRecbto", "");
    }
  }
}

void TmoxNFeDanfeDados30::GetDadosChaveNF() {
  TmoxNFeDanfeDados::GetDadosChaveNF();
  std::string tpEmis = Primeiro("tpEmis");
  if (tpEmis != "2" && tpEmis != "5") {
    SetDados("CodBarraDadosNFe", "");
    return;
  }
  std::string vNF = Primeiro("vNF");
  if (size_t ponto = vNF.find('.'); ponto != std::string::npos) vNF.erase(ponto, 1);
  std::string dest = Dados("DestCNPJ");
  if (dest.size() < 14) dest.insert(0, 14 - dest.size(), '0');
  std::string data = NotaVersao310OuMaior() ? Primeiro("dhEmi") : Primeiro("dEmi");
  SetDados("CodBarraDadosNFe",
           CalculaDadosDaNFe(GetUFCode(Dados("DestUF")), tpEmis, dest, vNF, Primeiro("vBC") != "0.00" ? "1" : "2",
                             Primeiro("vBCST") != "0.00" ? "1" : "2", data.size() >= 10 ? data.substr(8, 2) : ""));
}

// --------------------------------------------------------------------------- 4.0

void TmoxNFeDanfeDados40::GetDadosIdNF() {
  TmoxNFeDanfeDados30::GetDadosIdNF();
  std::string hSaida = Primeiro("hSaiEnt");
  if (hSaida.empty() && NotaVersao310OuMaior()) hSaida = ConverteHora(Primeiro("dhSaiEnt"));
  SetDados("hSaida", hSaida);
  if (GetTpEmis() > 1) {
    SetDados("FraseContingencia", fFraseContingencia + " [" + Primeiro("xJust") + "]");
    SetDados("JustContingencia", Primeiro("xJust"));
    SetDados("dhContingencia", Primeiro("dhCont"));
  }
}

void TmoxNFeDanfeDados40::GetDadosTransp() {
  TmoxNFeDanfeDados202::GetDadosTransp();
  std::string mod = Valor("transp", "modFrete");
  const char* descricao = mod == "0" ? "-Emitente" : mod == "1" ? "-Dest/Rem" : mod == "2" ? "-Terceiros" : mod == "9" ? "-Sem Frete" : nullptr;
  SetDados("TraDescMod", descricao ? mod + descricao : std::string());
}

void TmoxNFeDanfeDados40::GetDadosItem(const std::string& aXmlItem, const std::string& aNumItem) {
  TmoxNFeDanfeDados::GetDadosItem(aXmlItem, aNumItem);
  std::string csosn = GetValueTag("CSOSN", aXmlItem);
  if (!csosn.empty()) Set(fDataSetItens, "ItemCST", csosn);
  if (aXmlItem.find("<ISSQN>") != std::string::npos) Set(fDataSetItens, "ItemCST", "");
}

}  // namespace mox
