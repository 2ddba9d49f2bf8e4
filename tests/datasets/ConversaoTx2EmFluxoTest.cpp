// A TX2 file replayed as it is read: the same notes, line numbers and messages as the whole text
// given to SetTXT, for every line end and encoding a file may have, with at most one note held.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "datasets/NotasDeTeste.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/moxLinhasTexto.h"
#include "external/Utf8Text.h"
#include <algorithm>
#include "support/MensagemDe.h"
#include "support/TestSupport.h"

namespace {

using mox::TVersaoEsquema;

std::unique_ptr<mox::TmoxNFeConvTXTDataSet> Conversor() {
  auto c = std::make_unique<mox::TmoxNFeConvTXTDataSet>();
  c->SetVersaoEsquema(TVersaoEsquema::pl_008i1);
  c->SetXMLDicionario(moxtest::DicionarioEntregue(TVersaoEsquema::pl_008i1));
  return c;
}

// The batch as Converter gives it, from the bytes decoded whole.
std::string Inteiro(const std::string& aBytes) {
  auto c = Conversor();
  c->SetTXT(mox::DecodeToUtf8(aBytes));
  return c->Converter();
}

// The same from the file, each note as it is saved; also the most notes the batch held.
std::string EmFluxo(const std::string& aArquivo, size_t& aMaiorLote) {
  auto c = Conversor();
  c->SetArquivoTX2(aArquivo);
  std::string lote;
  aMaiorLote = 0;
  c->ConverterArquivo([&](const std::string& aNota) {
    lote += aNota + "\r\n";
    aMaiorLote = std::max(aMaiorLote, c->DataSets().LoteNFe().size());
  });
  return lote;
}

std::string Troca(std::string aTexto, const std::string& aDe, const std::string& aPara) {
  for (size_t p = aTexto.find(aDe); p != std::string::npos; p = aTexto.find(aDe, p + aPara.size()))
    aTexto.replace(p, aDe.size(), aPara);
  return aTexto;
}

// The code points of a text of ASCII and Latin-1 letters (one or two bytes each).
std::vector<unsigned> Letras(const std::string& aUtf8) {
  std::vector<unsigned> letras;
  for (size_t i = 0; i < aUtf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(aUtf8[i]);
    if (b < 0x80) letras.push_back(b);
    else letras.push_back(((b & 0x1Fu) << 6) | (static_cast<unsigned char>(aUtf8[++i]) & 0x3Fu));
  }
  return letras;
}

std::string Latin1(const std::string& aUtf8) {
  std::string out;
  for (unsigned c : Letras(aUtf8)) out += static_cast<char>(c);
  return out;
}

std::string Utf16Le(const std::string& aUtf8) {
  std::string out = "\xFF\xFE";
  for (unsigned c : Letras(aUtf8)) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

TEST(LeitorDeLinhas, MesmasLinhasQueOTextoInteiro) {
  const auto confere = [](const std::string& texto) {
    std::istringstream entrada(texto);
    mox::TLeitorDeLinhas leitor(entrada);
    std::vector<std::string> linhas;
    for (std::string l; leitor.Proxima(l);) linhas.push_back(l);
    EXPECT_EQ(linhas, mox::LinhasDoTexto(texto)) << "\"" << texto.substr(0, 40) << "\" (" << texto.size() << " bytes)";
  };
  for (const std::string texto : {"", "a", "a\n", "a\r\n", "a\r", "a\rb", "a\r\r\nb", "\n\n", "a\n\rb\r\n\r\nc",
                                  "\r", "\r\n", "linha sem fim", "x\r\n\r", "a\n\n\nb\n"})
    confere(texto);
  // Across the blocks the stream is read in (64 KiB): a CR LF split between two blocks, a CR
  // ending one, lines longer than a block, a text ending where a block does.
  const size_t bloco = 64 * 1024;
  for (const std::string& texto :
       {std::string(bloco - 1, 'a') + "\r\nb", std::string(bloco - 1, 'a') + "\rb\n", std::string(bloco - 1, 'a') + "\r",
        std::string(2 * bloco + 5, 'x') + "\r\n\ry\n" + std::string(bloco, 'z'), std::string(bloco - 1, 'a') + "\n",
        std::string(bloco - 2, 'a') + "\n\r\n" + std::string(bloco - 1, 'b') + "\r\r"})
    confere(texto);
}

// Each line end, with and without CRs in the text (the split takes a faster road without any),
// gives the same lines, and the count reported as the total matches them.
TEST(LinhasDoTexto, CadaFimDeLinhaEOTotalContado) {
  const struct {
    std::string texto;
    std::vector<std::string> linhas;
  } casos[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"\n\n", {"", ""}},
      {"a\n\nb", {"a", "", "b"}},
      {"ab=c\nd", {"ab=c", "d"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\n", {"a", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\rb\r\n\r\nc", {"a", "", "b", "", "c"}},
      {"x\r\n\r", {"x", ""}},
      // Long enough for the count's wide blocks and the bytes left after them.
      {std::string(300, 'a') + "\n" + std::string(600, '\n'), std::vector<std::string>(601, "")},
  };
  std::vector<std::string> longa = casos[std::size(casos) - 1].linhas;
  longa.front() = std::string(300, 'a');
  for (auto caso : casos) {
    if (caso.texto.size() > 300) caso.linhas = longa;
    EXPECT_EQ(mox::LinhasDoTexto(caso.texto), caso.linhas) << "\"" << caso.texto << "\"";
    EXPECT_EQ(mox::ContaLinhas(caso.texto), caso.linhas.size()) << "\"" << caso.texto << "\"";
  }
}

// Each line split at its first "=", the value marked when it holds a byte of the set: the same
// lines as the plain walk, whatever the line ends, "=" in values, NULs or the set's bytes in keys.
TEST(LinhasDoTexto, AtribuicoesDivididasNoPrimeiroIgualEMarcadas) {
  const struct {
    std::string texto;
    std::vector<std::tuple<std::string, size_t, bool>> linhas;
  } casos[] = {
      {"a=1\nb=2", {{"a=1", 1, false}, {"b=2", 1, false}}},
      {"INCLUIR\r\nx=a&b\r\n", {{"INCLUIR", std::string::npos, false}, {"x=a&b", 1, true}}},
      {"a&<b=c\rk=v=w,\n", {{"a&<b=c", 4, false}, {"k=v=w,", 1, true}}},
      {"=\n\nk=\"", {{"=", 0, false}, {"", std::string::npos, false}, {"k=\"", 1, true}}},
      {std::string("n\0m=x\0>y", 9), {{std::string("n\0m=x\0>y", 9), 3, true}}},
      {"k='\r\r\nsem igual &", {{"k='", 1, true}, {"", std::string::npos, false}, {"sem igual &", std::string::npos, false}}},
  };
  const mox::TDivisorDeAtribuicoes divisor("&<>\"',");
  for (const auto& caso : casos) {
    mox::TCursorDeAtribuicoes cursor(caso.texto, divisor);
    std::vector<std::tuple<std::string, size_t, bool>> obtidas;
    for (mox::TAtribuicao a; cursor.Proxima(a);) obtidas.emplace_back(std::string(a.linha), a.igual, a.valorMarcado);
    EXPECT_EQ(obtidas, caso.linhas) << "\"" << caso.texto << "\"";
    EXPECT_EQ(cursor.Lidos(), caso.texto.size());
  }
}

// The cursor reads the text in windows of bit masks; each line must come out as the plain walk
// splits it, wherever the windows fall: lines shorter and longer than a window, "=" and marked
// bytes before and after a window's edge, CR LF across it, a text ending on it.
TEST(LinhasDoTexto, AtribuicoesIguaisADivisaoLinhaALinhaEmQualquerJanela) {
  const std::string longa(70, 'x'), muitoLonga(150, 'y');
  const std::vector<std::string> linhas = {
      "a=1", "", "INCLUIR", "nome=valor&outro", "ch&ve=sem marca", "k=" + longa, longa + "=v",
      longa + "&=" + longa + "<", "k=" + muitoLonga + "'", muitoLonga, std::string(63, 'c'), std::string(64, 'd') + "=,",
      "=\"", "x=a=b>"};
  const mox::TDivisorDeAtribuicoes divisor("&<>\"',");
  for (const std::string fim : {"\n", "\r\n", "\r"})
    for (size_t deslocamento = 0; deslocamento <= 70; ++deslocamento) {
      std::string texto = std::string(deslocamento, 'p') + fim;
      for (const std::string& l : linhas) texto += l + fim;
      // The windows after a long line fall alike whatever came before: shift the last lines too.
      texto += std::string(deslocamento, 'q') + "=1" + fim + "a=1" + fim + "k=&" + fim;
      for (const size_t corte : {texto.size(), texto.size() - fim.size(), texto.size() - 1 - fim.size()}) {
        const std::string_view trecho(texto.data(), corte);
        std::vector<std::tuple<std::string, size_t, bool>> esperadas, obtidas;
        for (const std::string_view l : mox::TrechosDasLinhas(trecho)) {
          const mox::TAtribuicao a = divisor.Divide(l);
          esperadas.emplace_back(std::string(a.linha), a.igual, a.valorMarcado);
        }
        mox::TCursorDeAtribuicoes cursor(trecho, divisor);
        for (mox::TAtribuicao a; cursor.Proxima(a);) obtidas.emplace_back(std::string(a.linha), a.igual, a.valorMarcado);
        ASSERT_EQ(obtidas, esperadas) << "deslocamento " << deslocamento << ", " << corte << " bytes";
        EXPECT_EQ(cursor.Lidos(), corte);
        EXPECT_EQ(mox::ContaLinhas(trecho), esperadas.size());
      }
    }
  // The line count sums its byte-wide counters before any can overflow.
  EXPECT_EQ(mox::ContaLinhas(std::string(5000, '\n')), 5000u);
}

TEST(LinhasDoTexto, OProgressoDaConversaoTemOTotalDeLinhas) {
  const std::string lf = moxtest::ReadText(moxtest::Fixture("tx2/duas-notas.tx2"));
  std::string crlf;
  for (const char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& texto : {lf, crlf}) {
    auto c = Conversor();
    c->SetTXT(texto);
    std::vector<size_t> vistas;
    size_t total = 0;
    c->OnProgresso = [&](size_t aLinha, size_t aTotal) {
      vistas.push_back(aLinha);
      total = aTotal;
    };
    c->Converter();
    ASSERT_FALSE(vistas.empty());
    EXPECT_EQ(total, c->Lines().size());
    EXPECT_EQ(vistas.size(), total);
    EXPECT_EQ(vistas.back() + 1, total);
  }
}

TEST(ConversaoTx2EmFluxo, MesmoLoteParaCadaFimDeLinhaECodificacao) {
  moxtest::TempDir pasta;
  const std::string lf = moxtest::ReadText(moxtest::Fixture("tx2/duas-notas.tx2")) +
                         moxtest::ReadText(moxtest::Fixture("tx2/venda-simples.tx2"));
  const std::string acentuado = Troca(lf, "natOp_B04=VENDA", "natOp_B04=VENDA DE ÁGUA E AÇÚCAR");
  ASSERT_NE(acentuado, lf);
  std::string semFimFinal = lf;
  semFimFinal.pop_back();
  const struct {
    const char* nome;
    std::string bytes;
  } casos[] = {
      {"LF", lf},
      {"CR LF", Troca(lf, "\n", "\r\n")},
      {"CR", Troca(lf, "\n", "\r")},
      {"sem fim de linha no fim", semFimFinal},
      {"linhas vazias", Troca(lf, "SALVAR\n", "SALVAR\n\n\r\n")},
      {"UTF-8", acentuado},
      {"UTF-8 com BOM", "\xEF\xBB\xBF" + acentuado},
      {"Latin-1", Latin1(acentuado)},
      {"UTF-16 com BOM", Utf16Le(acentuado)},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    const std::string arquivo = pasta.file("notas.tx2");
    moxtest::WriteText(arquivo, caso.bytes);
    size_t maiorLote = 0;
    const std::string esperado = Inteiro(caso.bytes);
    EXPECT_EQ(EmFluxo(arquivo, maiorLote), esperado);
    EXPECT_NE(esperado.find("<natOp>"), std::string::npos);
    EXPECT_EQ(maiorLote, 1u);
  }
}

TEST(ConversaoTx2EmFluxo, FalhasComAsMensagensELinhasDoTextoInteiro) {
  moxtest::TempDir pasta;
  const std::string exemplo = moxtest::ReadText(moxtest::Fixture("tx2/venda-simples.tx2"));
  const struct {
    const char* nome;
    std::string texto;
  } casos[] = {
      {"campo desconhecido", Troca(exemplo, "natOp_B04=", "natOpx_B04=")},
      {"nota sem SALVAR", exemplo + "INCLUIR\ncUF_B02=35\n"},
      {"só linhas vazias", "\n\r\n\n"},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    moxtest::WriteText(pasta.file("notas.tx2"), caso.texto);
    const std::string esperado = moxtest::MensagemDe<mox::EmoxException>([&] { Inteiro(caso.texto); });
    auto c = Conversor();
    const std::string obtido = moxtest::MensagemDe<mox::EmoxException>([&] {
      c->SetArquivoTX2(pasta.file("notas.tx2"));
      c->ConverterArquivo([](const std::string&) {});
    });
    EXPECT_EQ(obtido, esperado);
    EXPECT_NE(obtido, "nenhuma exceção");
  }
  // The line being replayed and the start of the open note, for the command line's messages.
  auto c = Conversor();
  moxtest::WriteText(pasta.file("aberta.tx2"), exemplo + "INCLUIR\ncUF_B02=35\n");
  c->SetArquivoTX2(pasta.file("aberta.tx2"));
  EXPECT_THROW(c->ConverterArquivo([](const std::string&) {}), mox::EmoxNFeDataSetException);
  EXPECT_EQ(c->LinhaDoUltimoIncluir(), mox::LinhasDoTexto(exemplo).size());
  EXPECT_EQ(c->LinhaAtual(), "cUF_B02=35");
}

}  // namespace
