// The readers of text and XML notes: the record layout, the blocked text with its mapping files
// and random notes, NF-e XML with its protocol, and the errors that name the line and the field.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "datasets/NotasDeTeste.h"
#include "datasets/TmoxNFeConvDic.h"
#include "datasets/TmoxNFeConverter.h"
#include "datasets/TmoxNFeRecToDs.h"
#include "datasets/TmoxRecParser.h"
#include "support/MensagemDe.h"
#include "support/NotaAssinada.h"

namespace {

using V = mox::TVersaoEsquema;
using mox::TLayoutConvKind;

const std::string kTemplates310 = std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/vm50a";

std::unique_ptr<mox::TmoxNFeConverter> Conversor310() {
  auto conversor = std::make_unique<mox::TmoxNFeConverter>();
  conversor->SetDiretorioTemplates(kTemplates310);
  return conversor;
}

// The notes of a batch text, one infNFe a line.
std::vector<std::string> Notas(const std::string& aLote) {
  std::vector<std::string> notas;
  size_t inicio = 0;
  for (size_t fim; (fim = aLote.find("\r\n", inicio)) != std::string::npos; inicio = fim + 2)
    notas.push_back(aLote.substr(inicio, fim - inicio));
  if (inicio < aLote.size()) notas.push_back(aLote.substr(inicio));
  return notas;
}

size_t Conta(const std::string& aTexto, const std::string& aTrecho) {
  size_t n = 0;
  for (size_t pos = 0; (pos = aTexto.find(aTrecho, pos)) != std::string::npos; pos += aTrecho.size()) ++n;
  return n;
}

std::string Esquema310() { return (moxtest::SchemasDir() / "PL_008i1" / "nfe_v3.10.xsd").string(); }

// A record-layout run over the delivered 3.10 dictionary.
struct Registros {
  std::unique_ptr<mox::TmoxNFeDataSets> ds = moxtest::DataSetsEntregues(V::pl_008i1);
  mox::TmoxNFeRecToDs conversor;
  explicit Registros(const std::string& aTexto) {
    conversor.SetTXT(aTexto);
    conversor.Converter(*ds);
  }
};

const std::string kNota310 =
    "A|3.10||\n"
    "B|35|00001234|VENDA|0|55|1|10|2016-08-01T10:00:00-03:00||1|1|3550308|1|1||2|1|0|1|0|moxnfe|||\n"
    "C|EMITENTE||111111111111||||3|\nC02|99999999000191|\n"
    "C05|RUA A|1||CENTRO|3550308|SAO PAULO|SP|01001000|||\n"
    "H|1||\n"
    "I|P1||PRODUTO|84581199||5102|UN|1.0000|10.00|10.00||UN|1.0000|10.00|||||1|||\n"
    "N|\nN06|0|41|||\nQ|\nQ04|07|\nS|\nS04|07|\n"
    "W02|0.00|0.00|0.00|0.00|0.00|10.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|10.00||\nX|9|\n";

// --- Record layout ------------------------------------------------------------------------------

TEST(RegistrosTXT, DuasNotasComGruposRepetidosETextoAcentuadoValidamAssinadas) {
  const std::string lote =
      Conversor310()->ConvertToXml(moxtest::Fixture("registros/duas-notas-310.txt").string(), "",
                                   TLayoutConvKind::lkTXTRec, V::pl_008i1, false);
  const auto notas = Notas(lote);
  ASSERT_EQ(notas.size(), 2u);
  const std::string& primeira = notas[0];
  // Accents survive; markup characters arrive escaped.
  EXPECT_NE(primeira.find("<xNome>INDÚSTRIA SÃO JOÃO &amp; FILHOS LTDA</xNome>"), std::string::npos);
  EXPECT_NE(primeira.find("<natOp>VENDA &amp; &quot;BRINDE&quot; D&apos;OURO</natOp>"), std::string::npos);
  EXPECT_NE(primeira.find("<infAdProd>Informação adicional do item: pão de queijo</infAdProd>"), std::string::npos);
  EXPECT_NE(primeira.find("<xTexto>A&amp;B &quot;1&quot;</xTexto>"), std::string::npos);
  // Every repeated record kept, each under its own parent.
  EXPECT_EQ(Conta(primeira, "<NFref>"), 2u);
  EXPECT_EQ(Conta(primeira, "<det "), 2u);
  EXPECT_EQ(Conta(primeira, "<DI>"), 2u);
  EXPECT_EQ(Conta(primeira, "<adi>"), 3u);
  EXPECT_NE(primeira.find("<cExportador>EXP-DE-001</cExportador><adi><nAdicao>1</nAdicao><nSeqAdic>1</nSeqAdic>"
                          "<cFabricante>FAB-1</cFabricante><vDescDI>100.00</vDescDI></adi><adi><nAdicao>2</nAdicao>"),
            std::string::npos);
  EXPECT_EQ(Conta(primeira, "<vol>"), 2u);
  EXPECT_NE(primeira.find("<lacres><nLacre>LACRE-001</nLacre></lacres><lacres><nLacre>LACRE-002</nLacre></lacres>"
                          "</vol><vol><qVol>1</qVol>"),
            std::string::npos);
  EXPECT_EQ(Conta(primeira, "<dup>"), 3u);
  EXPECT_NE(notas[1].find("<CPF>12345678909</CPF>"), std::string::npos);

  moxtest::AssinadorDeNotas assinador;
  for (const std::string& nota : notas) EXPECT_EQ(moxtest::ErrosDeEsquema(assinador.Assina(nota), Esquema310()), "");

  // Read back, the escaped values reach the data sets as they were and the note is unchanged.
  std::vector<std::string> tx2;
  auto lida = Conversor310()->ConvertXmlToDataSet(primeira, "", V::pl_008i1, false, &tx2);
  EXPECT_NE(std::find(tx2.begin(), tx2.end(), "natOp_B04=VENDA &amp; &quot;BRINDE&quot; D&apos;OURO"), tx2.end());
  EXPECT_NE(std::find(tx2.begin(), tx2.end(), "xCampo_Z05=Pedido"), tx2.end());
  EXPECT_EQ(lida->LoteNFe().front(), primeira);
}

TEST(RegistrosTXT, LinhasEspeciais) {
  // A line that is only its identifier, the ignore list in capitals, a line without the final
  // "|", an input that ends without a new note, and text kept in UTF-8 all the way: letters
  // outside any 8-bit code page reach the XML (the official schema itself then refuses them).
  Registros r("\r\nnota fiscal|1|\r\n" + kNota310 + "W|\r\n  Z||ŁÓDŹ ő € SEM BARRA FINAL  \r\n");
  EXPECT_TRUE(r.conversor.ErrorList().empty());
  ASSERT_EQ(r.ds->LoteNFe().size(), 1u);
  EXPECT_NE(r.ds->LoteNFe()[0].find("<infCpl>ŁÓDŹ ő € SEM BARRA FINAL</infCpl>"), std::string::npos);

  Registros duas(kNota310 + kNota310);
  EXPECT_EQ(duas.ds->LoteNFe().size(), 2u) << "o segundo A salva a primeira nota";
}

TEST(RegistrosTXT, ElementosDaLinha) {
  mox::TmoxRecParser parser;
  std::vector<std::vector<mox::TRecElements>> linhas;
  std::vector<std::string> grupos;
  parser.OnGroupSelected = [&](const std::string& aGrupo, const std::vector<mox::TRecElements>& aElementos) {
    grupos.push_back(aGrupo);
    linhas.push_back(aElementos);
  };
  parser.SetREC("x05|a & b|c|\r\nX05|a & b|c\r\nW|\rZ||");
  parser.Execute();
  ASSERT_EQ(linhas.size(), 4u);
  EXPECT_EQ(grupos[0], "X05");
  ASSERT_EQ(linhas[0].size(), 2u);
  EXPECT_EQ(linhas[0][0].Index, 2);
  EXPECT_EQ(linhas[0][0].Value, "a &amp; b");
  EXPECT_EQ(linhas[0][1].Index, 3);
  EXPECT_EQ(linhas[1][1].Value, linhas[0][1].Value) << "sem a barra final";
  EXPECT_EQ(grupos[2], "") << "W| sem valores";
  EXPECT_TRUE(linhas[2].empty());
  ASSERT_EQ(linhas[3].size(), 1u);
  EXPECT_EQ(linhas[3][0].Value, "");

  // A name of an existing file gives its text.
  moxtest::TempDir pasta;
  moxtest::WriteText(pasta.file("notas.txt"), "\xEF\xBB\xBF" "A|3.10||\n");
  parser.SetREC(pasta.file("notas.txt"));
  EXPECT_EQ(parser.REC(), "A|3.10||\n");

  struct Caso {
    int campo;
    const char* esperado;
  };
  for (const Caso& c : {Caso{0, "A"}, Caso{1, "A"}, Caso{2, "x"}, Caso{3, ""}, Caso{9, ""}})
    EXPECT_EQ(mox::TmoxRecParser::GetTag(c.campo, " A|x|y "), c.campo == 3 ? "y" : c.esperado) << c.campo;
}

TEST(RegistrosTXT, ErrosNomeiamLinhaGrupoECampo) {
  Registros r(kNota310 + "Q99|1|\nB|35|00001234|" + std::string(61, 'N') + "|\n");
  ASSERT_EQ(r.conversor.ErrorList().size(), 2u);
  EXPECT_EQ(r.conversor.ErrorList()[0],
            "EXCEPTION, EmoxDataSetFieldNotFoundException, Linha 16, grupo Q99, posição 2: Não foi encontrado campo "
            "configurado para o Grupo Q99 na posição 2");
  EXPECT_NE(r.conversor.ErrorList()[1].find("Linha 17, grupo B, posição 4: "), std::string::npos);
  EXPECT_NE(r.conversor.ErrorList()[1].find("natOp_B04"), std::string::npos);
  EXPECT_EQ(r.ds->LoteNFe().size(), 1u) << "um valor com erro não interrompe a conversão";

  Registros semNota("X26|1|CAIXA|\n" + kNota310);
  ASSERT_EQ(semNota.conversor.ErrorList().size(), 1u);
  EXPECT_EQ(semNota.conversor.ErrorList()[0],
            "EXCEPTION, EmoxNFeCheckTXT, Linha 1, grupo X26: Grupo fora de uma nota; falta a linha A que inicia a "
            "nota.");
  EXPECT_EQ(semNota.ds->LoteNFe().size(), 1u);
  EXPECT_EQ(semNota.ds->LoteNFe()[0].find("<vol>"), std::string::npos);

  // Through the front, a value that went nowhere fails the conversion.
  const std::string mensagem = moxtest::MensagemDe<mox::EmoxNFeCheckTXT>([&] {
    Conversor310()->ConvertToXml(kNota310 + "Q99|1|\n", "", TLayoutConvKind::lkTXTRec, V::pl_008i1, false);
  });
  EXPECT_NE(mensagem.find("Valores do arquivo não convertidos:\rEXCEPTION, EmoxDataSetFieldNotFoundException, Linha 16"),
            std::string::npos)
      << mensagem;
  // A failing command names its line: the second note starts before the first one is complete.
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeCheckTXT>([&] {
              Conversor310()->ConvertToXml("A|3.10||\nB|35|\nA|3.10||\n", "", TLayoutConvKind::lkTXTRec, V::pl_008i1, false);
            }).rfind("Linha 3: O Campo [cNF_B03]", 0),
            0u);
  // The last note is saved after the last line: the message names the line where it began.
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeCheckTXT>([&] {
              Conversor310()->ConvertToXml(kNota310 + "\nA|3.10||\nB|35|\n\n", "", TLayoutConvKind::lkTXTRec,
                                           V::pl_008i1, false);
            }).rfind("Nota iniciada na linha 17: O Campo [cNF_B03]", 0),
            0u);
}

// --- XML ----------------------------------------------------------------------------------------

TEST(LeituraXml, NfeProcELoteDaoAsNotasEOsDadosDaAutorizacao) {
  auto entrada = moxtest::DataSetsEntregues(V::pl_008i1);
  moxtest::PreencheNota(*entrada, moxtest::NotaDeTeste("310/consumidor-final.txt"));
  moxtest::AssinadorDeNotas assinador;
  const std::string nfe = assinador.Assina(entrada->LoteNFe().front());
  const std::string chave = moxtest::IdDe(entrada->LoteNFe().front()).substr(3);
  const std::string protocolo =
      "<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>SP_NFE_PL_008i2</verAplic><chNFe>" + chave +
      "</chNFe><dhRecbto>2016-08-01T10:16:00-03:00</dhRecbto><nProt>135160000000001</nProt><digVal>abc=</digVal>"
      "<cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe>";
  const std::string proc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" "
                           "versao=\"3.10\">" + nfe.substr(nfe.find("<NFe")) + protocolo + "</nfeProc>";
  std::vector<std::string> autorizacao;
  auto ds = Conversor310()->ConvertXmlToDataSet("\xEF\xBB\xBF" + proc, "", V::pl_008i1, false, nullptr, &autorizacao);
  ASSERT_EQ(ds->LoteNFe().size(), 1u);
  EXPECT_EQ(ds->LoteNFe().front(), entrada->LoteNFe().front());
  EXPECT_EQ(autorizacao, (std::vector<std::string>{"tpAmb=2", "verAplic=SP_NFE_PL_008i2", "chNFe=" + chave,
                                                   "dhRecbto=2016-08-01T10:16:00-03:00", "nProt=135160000000001",
                                                   "digVal=abc=", "cStat=100", "xMotivo=Autorizado o uso da NF-e"}));

  // A batch of two signed notes without protocol.
  const std::string nota = nfe.substr(nfe.find("<NFe"));
  const std::string lote = "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><idLote>1</idLote>"
                           "<indSinc>0</indSinc>" + nota + nota + "</enviNFe>";
  ds = Conversor310()->ConvertXmlToDataSet(lote, "", V::pl_008i1, false, nullptr, &autorizacao);
  EXPECT_EQ(ds->LoteNFe().size(), 2u);
  ASSERT_EQ(autorizacao.size(), 16u);
  EXPECT_EQ(autorizacao[2], "chNFe=");
}

TEST(LeituraXml, TextoQueNaoENFeNomeiaLinhaEElemento) {
  const auto ler = [](const std::string& aXml) {
    return moxtest::MensagemDe<mox::EmoxConvXmlException>(
        [&] { Conversor310()->ConvertXmlToDataSet(aXml, "", V::pl_008i1, false); });
  };
  EXPECT_EQ(ler("<?xml version=\"1.0\"?>\n<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\">\n<infCte/></CTe>"),
            "O XML informado não é uma NF-e: o elemento raiz <CTe> (linha 2) não contém infNFe no namespace "
            "http://www.portalfiscal.inf.br/nfe.");
  const std::string malformado = ler("<NFe>\n<infNFe>\n</NFe>");
  EXPECT_EQ(malformado.rfind("O texto informado não é um XML válido: ", 0), 0u) << malformado;
  EXPECT_NE(malformado.find("linha 3"), std::string::npos) << malformado;
}

// --- Blocked text -------------------------------------------------------------------------------

TEST(BlocosTXT, ExemploENotasAleatoriasValidamAssinadas) {
  auto conversor = Conversor310();
  const std::string exemplo = conversor->ConvertToXml(moxtest::Fixture("blocos/dois-itens-310.txt").string(), "3.10",
                                                      TLayoutConvKind::lkTXTDic, V::pl_008i1, false);
  EXPECT_NE(exemplo.find("<xNome>CONFEITARIA &quot;DOCES &amp; SALGADOS&quot; LTDA</xNome>"), std::string::npos);
  EXPECT_NE(exemplo.find("<xProd>PÃO DE QUEIJO CONGELADO</xProd>"), std::string::npos);
  const std::string id = moxtest::IdDe(exemplo);
  // The issuer's CNPJ, not the recipient's, and the key's check digit in cDV.
  EXPECT_EQ(id.substr(0, 28), "NFe3516089999999900019155001");
  EXPECT_NE(exemplo.find("<cDV>" + id.substr(46) + "</cDV>"), std::string::npos);
  EXPECT_EQ(exemplo.rfind("<infNFe Id=\"" + id + "\" versao=\"3.10\" >", 0), 0u) << exemplo.substr(0, 80);

  moxtest::AssinadorDeNotas assinador;
  EXPECT_EQ(moxtest::ErrosDeEsquema(assinador.Assina(exemplo), Esquema310()), "") << exemplo;

  const std::string aleatorias = conversor->GeraNFs_Random(3, "035", "99999999000191", "3.10");
  EXPECT_EQ(Conta(aleatorias, "<infNFe "), 3u);
  for (size_t inicio = 0; (inicio = aleatorias.find("<infNFe ", inicio)) != std::string::npos;) {
    const size_t fim = aleatorias.find("</infNFe>", inicio) + 9;
    const std::string nota = aleatorias.substr(inicio, fim - inicio);
    EXPECT_NE(nota.find("<cUF>35</cUF>"), std::string::npos);
    EXPECT_NE(nota.find("<CNPJ>99999999000191</CNPJ>"), std::string::npos);
    EXPECT_EQ(moxtest::ErrosDeEsquema(assinador.Assina(nota), Esquema310()), "") << nota;
    inicio = fim;
  }
}

// The random notes of every manual version's template, against the schema of its layout.
struct LeiauteDeBlocos {
  const char* pasta;  // manual version under data/Templates
  const char* pacote;
  const char* esquema;
  const char* versao;
};

class BlocosPorVersao : public ::testing::TestWithParam<LeiauteDeBlocos> {};

TEST_P(BlocosPorVersao, NotasAleatoriasValidamNoEsquemaDoLeiaute) {
  const LeiauteDeBlocos& leiaute = GetParam();
  mox::TmoxNFeConverter conversor;
  conversor.SetDiretorioTemplates(std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/" + leiaute.pasta);
  const std::string notas = conversor.GeraNFs_Random(2, "35", "99999999000191", leiaute.versao);
  EXPECT_EQ(Conta(notas, "<infNFe "), 2u);
  moxtest::AssinadorDeNotas assinador;
  const std::string esquema = (moxtest::SchemasDir() / leiaute.pacote / leiaute.esquema).string();
  for (size_t inicio = 0; (inicio = notas.find("<infNFe ", inicio)) != std::string::npos;) {
    const size_t fim = notas.find("</infNFe>", inicio) + 9;
    const std::string nota = notas.substr(inicio, fim - inicio);
    EXPECT_NE(nota.find(std::string("versao=\"") + leiaute.versao + "\""), std::string::npos);
    EXPECT_EQ(moxtest::ErrosDeEsquema(assinador.Assina(nota), esquema), "") << nota;
    inicio = fim;
  }
}

INSTANTIATE_TEST_SUITE_P(Versoes, BlocosPorVersao,
                         ::testing::Values(LeiauteDeBlocos{"vm30", "PL_005f", "nfe_v1.10.xsd", "1.10"},
                                           LeiauteDeBlocos{"vm40", "PL_006j", "nfe_v2.00.xsd", "2.00"},
                                           LeiauteDeBlocos{"vm50", "PL_006v", "nfe_v2.00.xsd", "2.00"},
                                           LeiauteDeBlocos{"vm50a", "PL_008i1", "nfe_v3.10.xsd", "3.10"}),
                         [](const auto& aInfo) { return std::string(aInfo.param.pasta); });

TEST(BlocosTXT, ErrosDeOrdemDosBlocosESeparadores) {
  moxtest::TempDir pasta;
  const auto converte = [&](const std::string& aTexto) {
    moxtest::WriteText(pasta.file("nota.txt"), aTexto);
    mox::TmoxNFeConvDic conversor;
    conversor.SetDiretorioTemplates(kTemplates310);
    conversor.SetArquivo(pasta.file("nota.txt"));
    return moxtest::MensagemDe<mox::EmoxNFeCheckTXT>([&] { conversor.Converter(false, "3.10"); });
  };
  EXPECT_EQ(converte("D|\n1|\n"), "O Arquivo deve ser iniciado com cabecalho - C.");
  EXPECT_EQ(converte("C|\nR|\n"), "O Cabecalho deve possuir pelo menos um registro de detalhe - D.");
  EXPECT_EQ(converte("1|\n"), "Arquivo TXT inválido. Não foi possível identificar início de Bloco (C/D/R).");
  EXPECT_EQ(converte("C|\nNFe||\n"), "NFe||\rPossui 2.\rQuando deveria ter: 1");
  // The file must end after a footer.
  EXPECT_EQ(converte(""), "O Arquivo deve ser iniciado com cabecalho - C.");
  EXPECT_EQ(converte("C|\nNFe|\n"), "O Cabecalho deve possuir pelo menos um registro de detalhe - D.");
  EXPECT_EQ(converte("C|\nNFe|\nD|\n"), "A NF:  não foi finalizada com o registro de Rodape - R");

  // Through the front the message also names the line.
  moxtest::WriteText(pasta.file("nota.txt"), "C|\nNFe|\nide|35|\n");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeCheckTXT>([&] {
              Conversor310()->ConvertToXml(pasta.file("nota.txt"), "3.10", TLayoutConvKind::lkTXTDic, V::pl_008i1,
                                           false);
            }),
            "Linha 3: ide|35|\rPossui 2.\rQuando deveria ter: 13");
}

TEST(BlocosTXT, NotasAleatoriasConferemOsParametros) {
  auto conversor = Conversor310();
  const auto gera = [&](int aQtde, const std::string& aUF, const std::string& aCNPJ) {
    return moxtest::MensagemDe<mox::EmoxNFeCheckTXT>([&] { conversor->GeraNFs_Random(aQtde, aUF, aCNPJ, "3.10"); });
  };
  EXPECT_EQ(gera(0, "35", "99999999000191"), "Quantidade de Nfs Inválido ");
  EXPECT_EQ(gera(1, "SP", "99999999000191"), "Valor para UF inválido. ");
  EXPECT_EQ(gera(1, "35", "9999999900019"), "CNPJ deve conter 14 dígitos. ");
}

TEST(ConversorFrente, TemplateAusenteELeiauteInvalido) {
  mox::TmoxNFeConverter conversor;
  conversor.SetDiretorioTemplates("/nao/existe");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxTemplateNotFoundException>(
                [&] { conversor.GetTemplateCompletePath("NFeDataSets.xml"); }),
            "Arquivo de template do conversor não encontrado: /nao/existe/Conversor/NFeDataSets.xml");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFEConvertDateException>([&] {
              conversor.ConvertToXml("x", "3.10", static_cast<TLayoutConvKind>(7), V::pl_008i1, false);
            }),
            "Layout de Conversão Inválido.");
}

}  // namespace
