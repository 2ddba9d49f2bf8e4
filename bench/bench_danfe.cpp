// DANFE PDF of an authorized note of 10 and of 100 items through the DANFE front (extraction,
// serialized data, model, layout, PDF written to disk), in milliseconds per document. The floor
// is raw cairo + pango writing a PDF with the same number of text runs, unlaid out, in memory.
#include <cairo-pdf.h>
#include <pango/pangocairo.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "BenchRatio.h"
#include "danfe/TmoxNFeDanfe.h"

namespace {

std::string Nota(int aItens) {
  std::string det;
  for (int i = 1; i <= aItens; ++i) {
    const std::string n = std::to_string(i);
    det += "<det nItem=\"" + n + "\"><prod><cProd>P" + n + "</cProd><cEAN/><xProd>PRODUTO DE EXEMPLO NUMERO " + n +
           " COM DESCRICAO LONGA</xProd><NCM>96081000</NCM><CFOP>5102</CFOP><uCom>UN</uCom><qCom>10.0000</qCom>"
           "<vUnCom>45.00</vUnCom><vProd>450.00</vProd><uTrib>UN</uTrib><qTrib>10.0000</qTrib><vUnTrib>45.00</vUnTrib>"
           "<indTot>1</indTot></prod><imposto><ICMS><ICMS00><orig>0</orig><CST>00</CST><modBC>3</modBC>"
           "<vBC>450.00</vBC><pICMS>18.00</pICMS><vICMS>81.00</vICMS></ICMS00></ICMS><PIS><PISAliq><CST>01</CST>"
           "<vBC>450.00</vBC><pPIS>1.65</pPIS><vPIS>7.43</vPIS></PISAliq></PIS><COFINS><COFINSAliq><CST>01</CST>"
           "<vBC>450.00</vBC><pCOFINS>7.60</pCOFINS><vCOFINS>34.20</vCOFINS></COFINSAliq></COFINS></imposto></det>";
  }
  const std::string chave = "35160812345678000195550010000000021100000027";
  return "<nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><NFe><infNFe Id=\"NFe" + chave +
         "\" versao=\"3.10\"><ide><cUF>35</cUF><natOp>VENDA DE MERCADORIA</natOp><indPag>1</indPag><mod>55</mod>"
         "<serie>1</serie><nNF>2</nNF><dhEmi>2016-08-02T14:30:00-03:00</dhEmi><tpNF>1</tpNF><tpImp>1</tpImp>"
         "<tpEmis>1</tpEmis><tpAmb>2</tpAmb></ide><emit><CNPJ>12345678000195</CNPJ><xNome>EMPRESA EXEMPLO LTDA</xNome>"
         "<enderEmit><xLgr>RUA DAS FLORES</xLgr><nro>100</nro><xBairro>CENTRO</xBairro><xMun>SAO PAULO</xMun>"
         "<UF>SP</UF><CEP>01001000</CEP></enderEmit><IE>111111111111</IE><CRT>3</CRT></emit><dest><CPF>11144477735"
         "</CPF><xNome>CLIENTE</xNome><enderDest><xLgr>AVENIDA PAULISTA</xLgr><nro>1000</nro><xBairro>BELA VISTA"
         "</xBairro><xMun>SAO PAULO</xMun><UF>SP</UF><CEP>01310100</CEP></enderDest></dest>" +
         det +
         "<total><ICMSTot><vBC>4500.00</vBC><vICMS>810.00</vICMS><vProd>4500.00</vProd><vNF>4500.00</vNF></ICMSTot>"
         "</total><transp><modFrete>0</modFrete><vol><qVol>4</qVol><esp>CAIXA</esp></vol></transp><cobr><dup><nDup>001"
         "</nDup><dVenc>2016-09-01</dVenc><vDup>4500.00</vDup></dup></cobr><infAdic><infCpl>PEDIDO 2016-0815</infCpl>"
         "</infAdic></infNFe></NFe><protNFe versao=\"3.10\"><infProt><chNFe>" + chave +
         "</chNFe><dhRecbto>2016-08-02T14:31:05-03:00</dhRecbto><nProt>135160000012345</nProt><cStat>100</cStat>"
         "</infProt></protNFe></nfeProc>";
}

const std::string& Pasta() {
  static const std::string pasta = [] {
    auto p = std::filesystem::temp_directory_path() / ("moxnfe-bench-danfe-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p.string();
  }();
  return pasta;
}

void Danfe(benchmark::State& state) {
  mox::TmoxNFeDanfe danfe;
  const std::string xml = Nota(static_cast<int>(state.range(0)));
  const std::string modelos = std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/vm50a/Danfe/";
  danfe.SetParams("VersaoManual=5.0a\r\nModeloRetrato=" + modelos + "retrato.rtm\r\nFraseHomologacao=SEM VALOR FISCAL\r\n"
                  "SalvarComo=" + Pasta() + "/danfe.pdf\r\n");
  for (auto _ : state) {
    danfe.SetXML(xml);
    danfe.Exportar();
  }
}
BENCHMARK(Danfe)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

cairo_status_t Descarta(void*, const unsigned char*, unsigned int) { return CAIRO_STATUS_SUCCESS; }

// The floor: one PDF of the same pages with as many short text runs as the DANFE draws
// (about 190 on the first page and 14 per item), each laid out by pango once.
void CairoPango(benchmark::State& state) {
  const int textos = 190 + 14 * static_cast<int>(state.range(0));
  for (auto _ : state) {
    cairo_surface_t* pdf = cairo_pdf_surface_create_for_stream(Descarta, nullptr, 595.28, 841.89);
    cairo_t* cr = cairo_create(pdf);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* fonte = pango_font_description_from_string("Nimbus Sans 6");
    pango_layout_set_font_description(layout, fonte);
    for (int i = 0; i < textos; ++i) {
      if (i > 0 && i % 260 == 0) cairo_show_page(cr);
      const std::string texto = "PRODUTO " + std::to_string(i);
      pango_layout_set_text(layout, texto.c_str(), -1);
      cairo_move_to(cr, 20 + (i % 14) * 40, 20 + (i / 14 % 18) * 44);
      pango_cairo_show_layout(cr, layout);
    }
    pango_font_description_free(fonte);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(pdf);
  }
}
BENCHMARK(CairoPango)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  int rc = moxbench::RunWithRatios(argc, argv,
                                   {{"DANFE 10 itens", {"Danfe/10", "CairoPango/10"}},
                                    {"DANFE 100 itens", {"Danfe/100", "CairoPango/100"}}});
  std::filesystem::remove_all(Pasta());
  return rc;
}
