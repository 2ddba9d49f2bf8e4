// Saving a 20-item invoice of the 3.10 layout: the commands that enter it field by field and
// Salvar, which checks every record, computes the access key and converts the note to its infNFe
// text. The reference writes the same elements straight into a string, with the same key
// computation and no data sets or checks: the floor of any converter. Prints notes per second.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <string_view>

#include "BenchRatio.h"
#include "datasets/TmoxNFeDataSets.h"
#include "utils/moxChaveNFe.h"

namespace {

constexpr int kItens = 20;

struct TCampo {
  const char* nome;
  const char* valor;
};

// Identification, issuer, recipient, totals and transport.
const TCampo kNota[] = {
    {"versao_A02", "3.10"},
    {"cUF_B02", "35"},
    {"cNF_B03", "12345678"},
    {"natOp_B04", "VENDA DE MERCADORIA"},
    {"indPag_B05", "0"},
    {"mod_B06", "55"},
    {"serie_B07", "1"},
    {"nNF_B08", "1001"},
    {"dhEmi_B09", "2016-08-01T10:00:00-03:00"},
    {"tpNF_B11", "1"},
    {"idDest_B11a", "1"},
    {"cMunFG_B12", "3550308"},
    {"tpImp_B21", "1"},
    {"tpEmis_B22", "1"},
    {"tpAmb_B24", "2"},
    {"finNFe_B25", "1"},
    {"indFinal_B25a", "0"},
    {"indPres_B25b", "9"},
    {"procEmi_B26", "0"},
    {"verProc_B27", "moxnfe"},
    {"CNPJ_C02", "99999999000191"},
    {"xNome_C03", "EMITENTE DE TESTE LTDA"},
    {"xLgr_C06", "RUA DAS FLORES"},
    {"nro_C07", "100"},
    {"xBairro_C09", "CENTRO"},
    {"cMun_C10", "3550308"},
    {"xMun_C11", "SAO PAULO"},
    {"UF_C12", "SP"},
    {"CEP_C13", "01001000"},
    {"IE_C17", "111111111111"},
    {"CRT_C21", "3"},
    {"CNPJ_E02", "11222333000181"},
    {"xNome_E04", "DESTINATARIO DE TESTE SA"},
    {"xLgr_E06", "AVENIDA PAULISTA"},
    {"nro_E07", "1000"},
    {"xBairro_E09", "BELA VISTA"},
    {"cMun_E10", "3550308"},
    {"xMun_E11", "SAO PAULO"},
    {"UF_E12", "SP"},
    {"indIEDest_E16a", "1"},
    {"IE_E17", "222222222222"},
    {"vBC_W03", "2000.00"},
    {"vICMS_W04", "360.00"},
    {"vICMSDeson_W04a", "0.00"},
    {"vBCST_W05", "0.00"},
    {"vST_W06", "0.00"},
    {"vProd_W07", "2000.00"},
    {"vFrete_W08", "0.00"},
    {"vSeg_W09", "0.00"},
    {"vDesc_W10", "0.00"},
    {"vII_W11", "0.00"},
    {"vIPI_W12", "0.00"},
    {"vPIS_W13", "33.00"},
    {"vCOFINS_W14", "152.00"},
    {"vOutro_W15", "0.00"},
    {"vNF_W16", "2000.00"},
    {"modFrete_X02", "9"},
};

// One item: the product, then ICMS, PIS and COFINS.
const TCampo kProduto[] = {
    {"cProd_I02", "PRODUTO-0001"},
    {"cEAN_I03", "7891234567895"},
    {"xProd_I04", "PRODUTO DE TESTE COM DESCRICAO"},
    {"NCM_I05", "61091000"},
    {"CFOP_I08", "5102"},
    {"uCom_I09", "UN"},
    {"qCom_I10", "1.0000"},
    {"vUnCom_I10a", "100.00"},
    {"vProd_I11", "100.00"},
    {"cEANTrib_I12", "7891234567895"},
    {"uTrib_I13", "UN"},
    {"qTrib_I14", "1.0000"},
    {"vUnTrib_I14a", "100.00"},
    {"indTot_I17b", "1"},
};
const TCampo kImpostos[] = {
    {"orig_N11", "0"},       {"CST_N12", "00"},       {"modBC_N13", "3"}, {"vBC_N15", "100.00"},
    {"pICMS_N16", "18.00"},  {"vICMS_N17", "18.00"},  {"CST_Q06", "01"},  {"vBC_Q07", "100.00"},
    {"pPIS_Q08", "1.65"},    {"vPIS_Q09", "1.65"},    {"CST_S06", "01"},  {"vBC_S07", "100.00"},
    {"pCOFINS_S08", "7.60"}, {"vCOFINS_S11", "7.60"},
};

std::unique_ptr<mox::TmoxNFeDataSets> DataSets() {
  auto ds = std::make_unique<mox::TmoxNFeDataSets>();
  ds->SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  ds->SetXMLDicionario(MOXNFE_SOURCE_DIR "/data/Templates/vm50a/Conversor/NFeDataSets.xml");
  return ds;
}

void BM_Salvar20Itens(benchmark::State& state) {
  auto ds = DataSets();
  size_t bytes = 0;
  for (auto _ : state) {
    ds->Incluir();
    for (const TCampo& campo : kNota) ds->Campo(campo.nome).SetAsString(campo.valor);
    for (int item = 1; item <= kItens; ++item) {
      ds->IncluirItem();
      ds->Campo("nItem_H02").SetAsString(std::to_string(item));
      for (const TCampo& campo : kProduto) ds->Campo(campo.nome).SetAsString(campo.valor);
      for (const TCampo& campo : kImpostos) ds->Campo(campo.nome).SetAsString(campo.valor);
      ds->SalvarItem();
    }
    ds->Salvar();
    bytes = ds->LoteNFe().back().size();
    ds->LoteNFe().clear();  // the batch only grows; one note at a time keeps the run comparable
  }
  state.counters["notas/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bytes/nota"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Salvar20Itens)->Unit(benchmark::kMicrosecond);

// The tag of a field name: the text before the underscore.
void Elemento(std::string& aXml, std::string_view aCampo, std::string_view aValor) {
  const std::string_view tag = aCampo.substr(0, aCampo.find('_'));
  aXml.append("<").append(tag).append(">").append(aValor).append("</").append(tag).append(">");
}

void BM_ReferenciaTextoDireto(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    std::string xml;
    xml.reserve(16384);
    const std::string chave =
        mox::CalculaChave("2016-08-01T10:00:00-03:00", "35", "99999999000191", "55", "1", "1001", "1", "12345678");
    xml.append("<infNFe Id=\"NFe").append(chave).append("\" versao=\"3.10\"><ide>");
    for (const TCampo& campo : kNota) Elemento(xml, campo.nome, campo.valor);
    for (int item = 1; item <= kItens; ++item) {
      xml.append("<det nItem=\"").append(std::to_string(item)).append("\"><prod>");
      for (const TCampo& campo : kProduto) Elemento(xml, campo.nome, campo.valor);
      xml.append("</prod><imposto>");
      for (const TCampo& campo : kImpostos) Elemento(xml, campo.nome, campo.valor);
      xml.append("</imposto></det>");
    }
    xml.append("</infNFe>");
    bytes = xml.size();
    benchmark::DoNotOptimize(xml.data());
  }
  state.counters["notas/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bytes/nota"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ReferenciaTextoDireto)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"Salvar de nota com 20 itens", {"BM_Salvar20Itens", "BM_ReferenciaTextoDireto"}}});
}
