#pragma once
// A small invoice layout for the tests: simple group converters over the test dictionary
// tests/fixtures/datasets/nfe-teste.xml, built only from the container's primitives.
#include <memory>
#include <string>

#include "datasets/TmoxNFeCustomDataSet.h"
#include "datasets/TmoxNFeDataSets.h"
#include "support/TestSupport.h"

namespace moxtest {

class LayoutDeTeste : public mox::TmoxNFeCustomDataSet {
 public:
  using TmoxNFeCustomDataSet::TmoxNFeCustomDataSet;

  std::string ConvPartB() override {
    return "<ide>" +
           ConvertFieldsParaXML(*B(), {"cUF_B02", "cNF_B03", "natOp_B04", "mod_B06", "serie_B07", "nNF_B08",
                                       "dhEmi_B09", "tpEmis_B22", "cDV_B23", "verProc_B27"}) +
           "</ide>";
  }
  std::string ConvPartC() override { return ParserConverter("<emit>@c(CNPJ_C02)@c(CPF_C02a)@c(xNome_C03)</emit>"); }
  std::string ConvPartD() override { return Tagged(*D(), "avulsa"); }
  std::string ConvPartE() override {
    return "<dest>" + ConvertFieldsParaXML(*E(), {"CNPJ_E02", "CPF_E03", "idEstrangeiro_E03a", "xNome_E04"}) +
           "</dest>";
  }
  std::string ConvPartF() override { return Tagged(*F(), "retirada"); }
  std::string ConvPartG() override { return Tagged(*G(), "entrega"); }
  std::string ConvAutXML() override { return {}; }  // this layout has no autXML group
  std::string ConvPartItens() override {
    std::string xml;
    mox::TXmlDataSetNFe& di = FindDataSet("DI");
    mox::TXmlDataSetNFe& adi = FindDataSet("ADI");
    for (H()->First(); !H()->Eof(); H()->Next()) {
      xml += ParserConverter("<det @h(nItem_H02)><prod>@i(cProd_I02)@i(xProd_I04)");
      for (di.First(); !di.Eof(); di.Next()) {
        const std::string declaracao = ConvertDataSetParaXML(di);
        if (declaracao.empty()) continue;
        xml += "<DI>" + declaracao;
        for (adi.First(); !adi.Eof(); adi.Next()) xml += Tagged(adi, "adi");
        xml += "</DI>";
      }
      xml += "</prod><imposto>" + Tagged(*N(), "ICMS") + "</imposto></det>";
    }
    return xml;
  }
  std::string ConvPartW() override { return ParserConverter("<total>@w(vNF_W16)</total>"); }
  std::string ConvPartX() override {
    std::string xml = ParserConverter("<transp>@x(modFrete_X02)");
    mox::TXmlDataSetNFe& vol = FindDataSet("VOL");
    mox::TXmlDataSetNFe& lacre = FindDataSet("LACRE");
    for (vol.First(); !vol.Eof(); vol.Next()) {
      const std::string volume = ConvertDataSetParaXML(vol);
      if (volume.empty()) continue;
      xml += "<vol>" + volume;
      for (lacre.First(); !lacre.Eof(); lacre.Next()) xml += Tagged(lacre, "lacres");
      xml += "</vol>";
    }
    return xml + "</transp>";
  }
  std::string ConvPartY() override {
    std::string dups;
    mox::TXmlDataSetNFe& dup = FindDataSet("DUP");
    for (dup.First(); !dup.Eof(); dup.Next()) {
      const std::string campos = ConvertFieldsParaXML(dup, {"nDup_Y08", "vDup_Y10"});
      if (!campos.empty()) dups += "<dup>" + campos + "</dup>";
    }
    return dups.empty() ? std::string() : "<cobr>" + dups + "</cobr>";
  }
  std::string ConvPartZ() override {
    const std::string adicionais = ParserConverter("@z(infCpl_Z03)");
    return adicionais.empty() ? std::string() : "<infAdic>" + adicionais + "</infAdic>";
  }

 private:
  std::string Tagged(mox::TXmlDataSetNFe& aDataSet, const std::string& aTag) {
    aDataSet.SetTagXML(aTag);
    return ConvertDataSetParaXML(aDataSet);
  }
};

inline std::string DicionarioDeTeste() { return Fixture("datasets/nfe-teste.xml").string(); }

inline mox::TmoxNFeDataSets::TLayoutFactory FabricaDeTeste() {
  return [](mox::TVersaoEsquema aVersao) { return std::make_unique<LayoutDeTeste>(aVersao); };
}

// A facade with the test layout and the test dictionary loaded.
inline std::unique_ptr<mox::TmoxNFeDataSets> DataSetsDeTeste(mox::TVersaoEsquema aVersao) {
  auto ds = std::make_unique<mox::TmoxNFeDataSets>(FabricaDeTeste());
  ds->SetVersaoEsquema(aVersao);
  ds->SetXMLDicionario(DicionarioDeTeste());
  return ds;
}

// Fills the note-level fields the access key needs, with sample issuer data.
inline void PreencheIdentificacao(mox::TmoxNFeDataSets& aDS, const std::string& aCodigo = "12345678") {
  aDS.A()->FieldByName("versao_A02").SetAsString("3.10");
  const std::pair<const char*, const char*> valores[] = {{"cUF_B02", "35"},
                                                         {"cNF_B03", aCodigo.c_str()},
                                                         {"natOp_B04", "Venda"},
                                                         {"mod_B06", "55"},
                                                         {"serie_B07", "1"},
                                                         {"nNF_B08", "124"},
                                                         {"tpEmis_B22", "1"},
                                                         {"dEmi_B09", "2014-03-15"},
                                                         {"dhEmi_B09", "2014-03-15T10:00:00-03:00"},
                                                         {"CNPJ_C02", "12345678000195"},
                                                         {"xNome_C03", "Emitente de Teste"}};
  for (const auto& [campo, valor] : valores) aDS.Campo(campo).SetAsString(valor);
}

}  // namespace moxtest
