// The note-level fields of "Dados": parties, identification, totals, transport, volumes, key,
// additional information; and the note's duplicates and invoice.
#include <cmath>
#include <cstdio>

#include "danfe/TmoxNFeDanfeDados.h"
#include "external/TmoxKivoUtils.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxDataHoraNFe.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

// A value already in Brazilian notation ("1.234,5") as a number, whatever the machine's locale.
double NumeroBrasileiro(const std::string& aTexto) {
  std::string t;
  for (char c : aTexto) {
    if (c == '.') continue;
    t += c == ',' ? '.' : c;
  }
  try {
    return t.empty() ? 0 : std::stod(t);
  } catch (const std::exception&) {
    return 0;
  }
}

// The general number-to-text conversion in Brazilian notation: no trailing zeros.
std::string NumeroParaTexto(double aValor) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", aValor);
  std::string s = buf;
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

// "#.##0": rounded to a whole number with dots between thousands.
std::string InteiroComMilhar(double aValor) {
  long long n = std::llround(aValor);
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
    out += digits[i];
  }
  return (n < 0 ? "-" : "") + out;
}

// Each "<aTag>...</aTag>" inside aTexto, by its literal tags; aFim receives the position just
// after each closing tag.
std::vector<std::string> Elementos(const std::string& aTexto, const std::string& aTag,
                                   std::vector<size_t>* aFim = nullptr, size_t aDesde = 0, size_t aAte = std::string::npos) {
  std::vector<std::string> out;
  const std::string abre = "<" + aTag + ">", fecha = "</" + aTag + ">";
  size_t p = aDesde;
  for (;;) {
    size_t a = aTexto.find(abre, p);
    if (a == std::string::npos || a >= aAte) break;
    size_t f = aTexto.find(fecha, a);
    if (f == std::string::npos || f > aAte) break;
    out.push_back(aTexto.substr(a + abre.size(), f - a - abre.size()));
    if (aFim) aFim->push_back(f);
    p = f + fecha.size();
  }
  return out;
}

std::string DataDeVencimento(const std::string& aData) {
  if (aData.size() < 10) return aData;
  return aData.substr(8, 2) + "/" + aData.substr(5, 2) + "/" + aData.substr(0, 4);
}

}  // namespace

void TmoxNFeDanfeDados::GetDadosParte(const std::string& aPrefixo, const std::string& aGrupo) {
  auto set = [&](const char* aCampo, const std::string& aValor) { SetDados((aPrefixo + aCampo).c_str(), aValor); };
  static const std::pair<const char*, const char*> endereco[] = {
      {"Logradouro", "xLgr"}, {"Numero", "nro"}, {"Complemento", "xCpl"}, {"Bairro", "xBairro"},
      {"Mun", "xMun"},        {"UF", "UF"},      {"Cep", "CEP"},          {"Pais", "xPais"}};
  for (const auto& [campo, tag] : endereco) set(campo, Valor(aGrupo, tag));
  set("End", Valor(aGrupo, "xLgr") + ", " + Valor(aGrupo, "nro"));
  set("Nome", Valor(aGrupo, "xNome"));
  set("IE", Valor(aGrupo, "IE"));
}

std::string TmoxNFeDanfeDados::CnpjOuCpf(const std::string& aGrupo) {
  std::string cnpj = Valor(aGrupo, "CNPJ");
  return cnpj.empty() ? Valor(aGrupo, "CPF") : cnpj;
}

void TmoxNFeDanfeDados::GetDadosEmitente() {
  GetDadosParte("Emit", "emit");
  static const std::pair<const char*, const char*> campos[] = {
      {"EmitFantasia", "xFant"}, {"EmitCNPJ", "CNPJ"}, {"EmitIEST", "IEST"},
      {"EmitIM", "IM"},          {"EmitFone", "fone"}, {"EmitCRT", "CRT"}};
  for (const auto& [campo, tag] : campos) SetDados(campo, Valor("emit", tag));
}

void TmoxNFeDanfeDados::GetDadosDestinatario() {
  GetDadosParte("Dest", "dest");
  SetDados("DestIndIE", Valor("dest", "indIEDest"));
  SetDados("DestFoneFax", Valor("dest", "fone"));
  SetDados("DestEmail", Valor("dest", "email"));
  SetDados("DestCNPJ", CnpjOuCpf("dest"));
}

void TmoxNFeDanfeDados::GetDadosEntrega() {
  SetDados("EntCNPJ", Valor("entrega", "CNPJ"));
  SetDados("EntEnd", Valor("entrega", "xLgr"));
  SetDados("EntNumero", Valor("entrega", "nro"));
  SetDados("EntComplemento", Valor("entrega", "xCpl"));
  SetDados("EntBairro", Valor("entrega", "xBairro"));
  SetDados("EntMun", Valor("entrega", "xMun"));
  SetDados("EntUF", Valor("entrega", "UF"));
}

void TmoxNFeDanfeDados::GetDadosIdNF() {
  SetDados("NatOper", Valor("ide", "natOp"));
  SetDados("Serie", Valor("ide", "serie"));
  SetDados("indPag", Valor("ide", "indPag"));
  SetDados("tpEmis", Valor("ide", "tpEmis"));
  if (NotaVersao310OuMaior()) {
    std::string versao = TmoxNFeXmlUtils::GetXMLAttribute(fXmlNF, "infNFe", "versao");
    SetDados("DtEmissao", ConverteDataComVersaoNFe(Valor("ide", "dhEmi"), versao));
    SetDados("DtSaida", ConverteDataComVersaoNFe(Valor("ide", "dhSaiEnt"), versao));
  } else {
    SetDados("DtEmissao", ConverteData(Valor("ide", "dEmi")));
    SetDados("DtSaida", ConverteData(Valor("ide", "dSaiEnt")));
  }
  SetDados("nNF", GetKivoUtils().Czro(Valor("ide", "nNF"), 9));
  SetDados("nTpNF", Valor("ide", "tpNF"));
  SetDados("imprimirDuplicata", fImprimirDuplicata ? "1" : "0");
  if (Valor("ide", "tpAmb") == "2") SetDados("FraseHomologacao", fFraseHomologacao);
  if (Valor("ide", "tpEmis") != "1") SetDados("FraseContingencia", fFraseContingencia);
}

void TmoxNFeDanfeDados::GetDadosTotais() {
  static const std::pair<const char*, const char*> totais[] = {
      {"BaseCalcIcms", "vBC"},   {"ValorIcms", "vICMS"},  {"BaseCalcIcmsSubs", "vBCST"}, {"ValorIcmsSubs", "vST"},
      {"ValorIcmsDeson", "vICMSDeson"}, {"ValorTotProd", "vProd"}, {"ValorFrete", "vFrete"},
      {"ValorSeguro", "vSeg"},   {"Desconto", "vDesc"},   {"OutrasDesp", "vOutro"},      {"ValorII", "vII"},
      {"ValorIPI", "vIPI"},      {"ValorTotNota", "vNF"}, {"ValorTotCOFINS", "vCOFINS"}, {"ValorTotPIS", "vPIS"},
      {"ValorTotTrib", "vTotTrib"}};
  for (const auto& [campo, tag] : totais) SetDados(campo, VirgulaDecimal(Valor("total", tag)));
  if (FMensagemPartilhaAutomatica)
    for (const char* tag : {"vICMSUFDest", "vFCPUFDest", "vICMSUFRemet"}) SetDados(tag, VirgulaDecimal(Valor("total", tag)));
  GetDadosTotaisReforma();
}

void TmoxNFeDanfeDados::GetDadosTotaisReforma() {
  // Grupo rebuilds an element even for an absent tag: ask for the tags' contents.
  if (Primeiro("IBSCBSTot").empty() && Primeiro("ISTot").empty()) return;
  SetDados("ReformaTributaria", "1");
  // Inside IBSCBSTot the first vIBS and vCBS are the totals of gIBS and gCBS; the UF and
  // municipal shares have tags of their own.
  static const std::pair<const char*, const char*> totais[] = {{"BaseCalcIBSCBS", "vBCIBSCBS"},
                                                               {"ValorIBSUF", "vIBSUF"},
                                                               {"ValorIBSMun", "vIBSMun"},
                                                               {"ValorTotIBS", "vIBS"},
                                                               {"ValorTotCBS", "vCBS"}};
  for (const auto& [campo, tag] : totais) SetDados(campo, VirgulaDecimal(Valor("IBSCBSTot", tag)));
  SetDados("ValorTotIS", VirgulaDecimal(Valor("ISTot", "vIS")));
  SetDados("ValorTotNFTot", VirgulaDecimal(Valor("total", "vNFTot")));
}

void TmoxNFeDanfeDados::GetDadosISSQN() {
  SetDados("ValorTotServ", VirgulaDecimal(Valor("ISSQNtot", "vServ")));
  SetDados("BaseCalcISSQN", VirgulaDecimal(Valor("ISSQNtot", "vBC")));
  SetDados("ValorTotISSQN", VirgulaDecimal(Valor("ISSQNtot", "vISS")));
}

void TmoxNFeDanfeDados::GetDadosVeiculo() {
  SetDados("VeiCodigoANTT", Valor("veicTransp", "RNTC"));
  SetDados("VeiPlaca", Valor("veicTransp", "placa"));
  SetDados("VeiUF", Valor("veicTransp", "UF"));
}

void TmoxNFeDanfeDados::GetDadosVolumes() {
  size_t inicio = fXmlNF.find("<transp>");
  size_t fim = fXmlNF.find("</transp>");
  if (inicio != std::string::npos && fim != std::string::npos && fim > inicio) {
    for (const std::string& vol : Elementos(fXmlNF, "vol", nullptr, inicio, fim)) {
      std::string pesoL = GetValueTag("pesoL", vol), pesoB = GetValueTag("pesoB", vol);
      fVolumes.push_back({GetValueTag("qVol", vol), GetValueTag("esp", vol), GetValueTag("marca", vol),
                          GetValueTag("nVol", vol), VirgulaDecimal(pesoL), VirgulaDecimal(pesoB)});
    }
  }
  if (fVolumes.empty()) return;
  if (fImprimirVolume && fVolumes.size() >= 2) {
    double qtde = 0, bruto = 0, liquido = 0;
    for (const Volume& v : fVolumes) {
      qtde += NumeroBrasileiro(v.qVol);
      bruto += NumeroBrasileiro(v.pesoB);
      liquido += NumeroBrasileiro(v.pesoL);
    }
    for (const char* campo : {"VolEspecie", "VolMarca", "VolNumeracao"}) SetDados(campo, "VER INF. COMP.");
    SetDados("VolQuantidade", NumeroParaTexto(qtde));
    if (bruto > 0) SetDados("VolPesoBruto", InteiroComMilhar(bruto));
    if (liquido > 0) SetDados("VolPesoLiquido", InteiroComMilhar(liquido));
    return;
  }
  // One volume, or the switch off: the fields of the first (switch on) or last volume read.
  const Volume& v = fImprimirVolume ? fVolumes.front() : fVolumes.back();
  SetDados("VolQuantidade", v.qVol);
  SetDados("VolEspecie", v.esp);
  SetDados("VolMarca", v.marca);
  SetDados("VolNumeracao", v.nVol);
  SetDados("VolPesoBruto", v.pesoB);
  SetDados("VolPesoLiquido", v.pesoL);
}

void TmoxNFeDanfeDados::GetDadosChaveNF() { SetDados("CodBarra", TmoxNFeXmlUtils::getIDNotaXPath(fXmlNF, false)); }

void TmoxNFeDanfeDados::GetDadosAdicionais() {
  std::string fcp, ufDest, ufRemet;
  if (FMensagemPartilhaAutomatica) {
    auto mensagem = [this](const char* aTag, const char* aTexto) {
      std::string v = Valor("total", aTag);
      if (v.empty() || v == "0.00") return std::string();
      return std::string(aTexto) + VirgulaDecimal(v);
    };
    fcp = mensagem("vFCPUFDest", "\r\nTotal do ICMS relativo Fundo de Combate à Pobreza para a UF do destinatário: ");
    ufDest = mensagem("vICMSUFDest", "\r\nTotal do ICMS interestadual para a UF do destinatário: ");
    ufRemet = mensagem("vICMSUFRemet", "\r\nTotal do ICMS interestadual para a UF do remetente: ");
  }
  std::string infAdic = GetValueTagTratado("infAdic", fXmlNF, true);
  std::string infCpl = GetValueTag("infCpl", infAdic);
  std::string infAdFisco = GetValueTag("infAdFisco", infAdic);

  std::string obsCont;
  if (infAdic.find("obsCont") != std::string::npos) {
    // The texts were unescaped above; escaped again, the group is XML once more.
    std::string copia = infAdic;
    auto reescapa = [&copia](const std::string& aTag, const std::string& aValor) {
      if (aValor.empty()) return;
      size_t p = copia.find("<" + aTag + ">");
      if (p != std::string::npos) copia.replace(p + aTag.size() + 2, aValor.size(), EscapeCaracteres(aValor));
    };
    reescapa("infCpl", infCpl);
    reescapa("infAdFisco", infAdFisco);
    std::vector<std::string> nos;
    try {
      GetKivoUtils().XPathSelectNodes(copia, "//*[local-name()=\"obsCont\"]", nos);
    } catch (const std::exception&) {
      nos.clear();
    }
    for (const std::string& no : nos)
      obsCont.append(" ")
          .append(TmoxNFeXmlUtils::GetXMLAttribute(no, "obsCont", "xCampo"))
          .append(": ")
          .append(GetKivoUtils().Unescape(GetValueTag("xTexto", no)))
          .append("\r\n");
  }

  std::string duplicatas;
  if (fImprimirDuplicata && !Primeiro("nDup").empty()) {
    for (const std::string& dup : Elementos(fXmlNF, "dup"))
      duplicatas += "Duplicata Num.: " + GetValueTag("nDup", dup) + ", Venc.: " +
                    DataDeVencimento(GetValueTag("dVenc", dup)) + ", Valor: " + VirgulaDecimal(GetValueTag("vDup", dup)) +
                    "\r\n";
  }
  std::string volumes;
  if (fImprimirVolume && fVolumes.size() > 1) {
    for (const Volume& v : fVolumes) volumes += "Esp.: " + v.esp + " Marca: " + v.marca + " Num.: " + v.nVol + "\r\n";
  }
  std::string fisco = infAdFisco.empty() ? std::string() : "\r\n Observações destinadas ao Fisco:\r\n" + infAdFisco;
  std::string completo = volumes + duplicatas + infCpl + fisco + fcp + ufDest + ufRemet + obsCont;
  std::string parte1, parte2;
  SeparaObservacoes(completo, parte1, parte2, fInfCplMaxRow, fInfCplMaxCol);
  SetDados("ObsContribuinte", parte1);
  SetDados("ContinuaObsContribuinte", parte2);
}

void TmoxNFeDanfeDados::GetDuplicatas() {
  size_t inicio = fXmlNF.find("<cobr>"), fim = fXmlNF.find("</cobr>");
  if (inicio == std::string::npos || fim == std::string::npos || fim < inicio) return;
  std::vector<size_t> fechos;
  std::vector<std::string> dups = Elementos(fXmlNF, "dup", &fechos, inicio, fim);
  std::string nNF = Dados("nNF");
  for (size_t i = 0; i < dups.size(); ++i) {
    fDataSetCobranca.Append();
    Set(fDataSetCobranca, "Handle_Duplicata", std::to_string(fechos[i] + 1));
    Set(fDataSetCobranca, "nNF", nNF);
    Set(fDataSetCobranca, "NumDuplicata", GetValueTag("nDup", dups[i]));
    Set(fDataSetCobranca, "DtVencimento", DataDeVencimento(GetValueTag("dVenc", dups[i])));
    Set(fDataSetCobranca, "ValorDuplicata", VirgulaDecimal(GetValueTag("vDup", dups[i])));
    fDataSetCobranca.Post();
  }
}

void TmoxNFeDanfeDados::GetFatura() {
  size_t inicio = fXmlNF.find("<cobr>"), fim = fXmlNF.find("</cobr>");
  if (inicio == std::string::npos || fim == std::string::npos || fim < inicio) return;
  std::string cobr = fXmlNF.substr(inicio, fim - inicio);
  for (size_t n = Elementos(fXmlNF, "fat", nullptr, inicio, fim).size(); n > 0; --n) {
    fDataSetFatura.Append();
    Set(fDataSetFatura, "NumeroFatura", VirgulaDecimal(Primeiro("nFat")));
    Set(fDataSetFatura, "valorOriginalFatura", VirgulaDecimal(Primeiro("vOrig")));
    Set(fDataSetFatura, "ValorDesconto", VirgulaDecimal(GetValueTag("vDesc", cobr)));
    Set(fDataSetFatura, "ValorLiquido", VirgulaDecimal(Primeiro("vLiq")));
    fDataSetFatura.Post();
  }
}

}  // namespace mox
