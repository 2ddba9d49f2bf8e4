#include "danfe/NotasDanfe.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeDataSets.h"
#include "external/moxPaths.h"
#include "support/NotaAssinada.h"
#include "utils/moxXmlLookup.h"

namespace moxtest {

std::string Tx2Exemplo(const std::string& aArquivo, const std::vector<std::pair<std::string, std::string>>& aTroca) {
  const std::string texto = ReadText(Fixture("tx2/" + aArquivo));
  std::string out, linha;
  std::istringstream in(texto);
  while (std::getline(in, linha)) {
    const std::string nome = linha.substr(0, linha.find('='));
    std::string nova = linha;
    for (const auto& [campo, valor] : aTroca)
      if (campo == nome) nova = campo + "=" + valor;
    out += nova + "\n";
    if (nome != "tpEmis_B22") continue;
    // Fields the example does not have go right after the emission type.
    for (const auto& [campo, valor] : aTroca)
      if (texto.find("\n" + campo + "=") == std::string::npos) out += campo + "=" + valor + "\n";
  }
  return out;
}

std::string Tx2ComItens(int aItens) {
  std::string tx2 = ReadText(Fixture("tx2/varios-itens-parcelas.tx2"));
  size_t inicio = tx2.find("INCLUIRITEM");
  size_t fim = tx2.find("SALVARITEM", inicio) + std::string("SALVARITEM\n").size();
  std::string bloco = tx2.substr(inicio, fim - inicio), itens;
  for (int i = 1; i <= aItens; ++i) {
    std::string b = bloco;
    b.replace(b.find("nItem_H02=1"), 11, "nItem_H02=" + std::to_string(i));
    b.replace(b.find("cProd_I02=CAN-010"), 17, "cProd_I02=P" + std::to_string(1000 + i));
    itens += b;
  }
  size_t ultimo = tx2.rfind("SALVARITEM") + std::string("SALVARITEM\n").size();
  return tx2.substr(0, inicio) + itens + tx2.substr(ultimo);
}

std::vector<std::string> NotasAssinadas(const std::string& aTx2) {
  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  conversor.SetXMLDicionario(std::string(MOXNFE_BINARY_DIR) + "/Templates/vm50a/Conversor/NFeDataSets.xml");
  TempDir dir;
  WriteText(dir.file("notas.tx2"), aTx2);
  conversor.SetTXT(dir.file("notas.tx2"));
  mox::TmoxNFeDataSets* ds = nullptr;
  conversor.Converter(ds);
  AssinadorDeNotas assinador;
  std::vector<std::string> notas;
  for (const auto& infNFe : ds->LoteNFe()) notas.push_back(assinador.Assina(infNFe));
  return notas;
}

std::string Chave(const std::string& aNFe) { return IdDe(aNFe).substr(3); }

std::string NotaEmEpec() {
  return NotasAssinadas(Tx2Exemplo("venda-simples.tx2",
                                   {{"tpEmis_B22", "4"},
                                    {"dhCont_B28", "2016-08-02T14:00:00-03:00"},
                                    {"xJust_B29", "Falha de comunicacao com a SEFAZ autorizadora"}}))
      .front();
}

void PreparaComponente(mox::TmoxNFe& aNFe, const TempDir& aDir) {
  aNFe.SetVersaoManual(mox::TVersaoManual::vm50a);
  aNFe.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
  aNFe.SetDiretorioLogErro(aDir.file("LogErro"));
}

std::string NotaAutorizada(const std::string& aNFe, const std::string& aCStat) {
  return "<nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">" + aNFe +
         "<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>SP_NFE_PL_008i2</verAplic><chNFe>" +
         Chave(aNFe) + "</chNFe><dhRecbto>2016-08-02T14:31:05-03:00</dhRecbto><nProt>" + kProtocolo +
         "</nProt><digVal>" + mox::GetValueTag("DigestValue", aNFe) + "</digVal><cStat>" + aCStat +
         "</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe></nfeProc>";
}

std::string Modelo(const std::string& aNome) { return std::string(MOXNFE_BINARY_DIR) + "/Templates/vm50a/Danfe/" + aNome; }

std::string ParametrosExportacao(const std::string& aSaida, const std::string& aExtra) {
  return aExtra + "VersaoManual=5.0a\r\nModeloRetrato=" + Modelo("retrato.rtm") + "\r\nModeloPaisagem=" +
         Modelo("paisagem.rtm") +
         "\r\nFraseContingencia=DANFE em Contingência - impresso em decorrência de problemas técnicos\r\n"
         "FraseHomologacao=SEM VALOR FISCAL\r\nLineDelimiter=|\r\nImprimirDuplicata=-1\r\nSalvarComo=" +
         aSaida + "\r\n";
}

std::string TextoDoPdf(const std::string& aPdf) {
  auto r = RunProgram("/usr/bin/pdftotext", {"-layout", aPdf, "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

std::string ExportaTexto(mox::TmoxNFeDanfe& aDanfe, const std::string& aXml, const TempDir& aDir,
                         const std::string& aExtra) {
  const std::string pdf = aDir.file("danfe.pdf");
  aDanfe.SetParams(ParametrosExportacao(pdf, aExtra));
  aDanfe.SetXML(aXml);
  aDanfe.Exportar();
  return TextoDoPdf(pdf);
}

std::string CodigosDeBarras(const std::string& aPdf) {
  TempDir dir;
  auto png = RunProgram("/usr/bin/pdftoppm", {"-png", "-r", "300", "-f", "1", "-l", "1", aPdf, dir.file("p")});
  EXPECT_EQ(png.status, 0) << png.err;
  std::string imagem = dir.file("p-1.png");
  if (!std::filesystem::exists(imagem)) imagem = dir.file("p-01.png");
  auto zbar = RunProgram("/usr/bin/zbarimg", {"--quiet", "--raw", "-Sdisable", "-Scode128.enable", imagem});
  return zbar.out;
}

}  // namespace moxtest
