#pragma once
// Notes checked by the rule engine: the delivered dictionaries, the test invoices replayed as TX2
// lines, and the rules run on Salvar with a clock set at the note's own emission.
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "datasets/NotasDeTeste.h"
#include "external/moxDateTime.h"
#include "rules/TmoxControllerRulesNFe.h"
#include "rules/moxNFeRules.h"

namespace moxtest {

// The value of the first "campo=valor" line of a note text; empty when there is none.
inline std::string ValorNaNota(const std::string& aTexto, const std::string& aCampo) {
  const std::string chave = "\n" + aCampo + "=";
  const size_t pos = ("\n" + aTexto).find(chave);
  if (pos == std::string::npos) return {};
  const size_t inicio = pos + chave.size() - 1;
  return aTexto.substr(inicio, aTexto.find_first_of("\r\n", inicio) - inicio);
}

// "YYYY-MM-DDThh:mm" as a local date-time.
inline mox::TDateTime Instante(const std::string& aTexto) {
  mox::DateTimeParts p;
  p.year = std::stoi(aTexto.substr(0, 4));
  p.month = std::stoi(aTexto.substr(5, 2));
  p.day = std::stoi(aTexto.substr(8, 2));
  p.hour = std::stoi(aTexto.substr(11, 2));
  p.minute = std::stoi(aTexto.substr(14, 2));
  return mox::EncodeDateTime(p);
}

// One minute after the note's emission (dhEmi_B09, or noon of dEmi_B09), as the clock of a
// note checked on the day it was issued.
inline mox::TDateTime MomentoDaEmissao(const std::string& aTexto) {
  std::string emissao = ValorNaNota(aTexto, "dhEmi_B09");
  if (emissao.empty()) emissao = ValorNaNota(aTexto, "dEmi_B09") + "T12:00";
  return Instante(emissao) + std::chrono::minutes(1);
}

// A note text with one field set: its first line replaced, or the line added to the note (or
// to its first item, for the item groups H to V) when the text has none.
inline std::string ComCampo(std::string aTexto, const std::string& aCampo, const std::string& aValor) {
  if (aCampo == "@nota" || aCampo == "@item")
    return aTexto.insert(aTexto.find(aCampo == "@item" ? "\nSALVARITEM" : "\nINCLUIRITEM") + 1, aValor + "\n");
  const std::string linha = aCampo + "=" + aValor;
  const std::string chave = "\n" + aCampo + "=";
  size_t pos = aTexto.find(chave);
  if (pos != std::string::npos) {
    const size_t fim = aTexto.find('\n', pos + 1);
    return aTexto.replace(pos + 1, fim - pos - 1, linha);
  }
  const char grupo = aCampo[aCampo.rfind('_') + 1];
  const bool doItem = grupo >= 'H' && grupo <= 'V';
  pos = aTexto.find(doItem ? "\nSALVARITEM" : "\nINCLUIRITEM");
  return aTexto.insert(pos + 1, linha + "\n");
}

using Mudancas = std::vector<std::pair<std::string, std::string>>;

// Fields set on a note; "@nota" and "@item" add raw lines to the note or to its first item.
inline std::string Aplica(std::string aTexto, const Mudancas& aMudancas) {
  for (const auto& [campo, valor] : aMudancas) aTexto = ComCampo(aTexto, campo, valor);
  return aTexto;
}

// aVezes copies of a part, one after another: the notes with many parts are built, not written.
inline std::string Repete(int aVezes, const std::string& aParte) {
  std::string texto;
  for (int i = 0; i < aVezes; ++i) texto += (i ? "\n" : "") + aParte;
  return texto;
}

// An import declaration of the item with its fields aCampos ("campo=valor" lines) and aAdicoes
// additions, each with the fields aCamposAdicao.
inline std::string DeclaracaoImportacao(const std::string& aCampos = {}, int aAdicoes = 1,
                                        const std::string& aCamposAdicao = {}) {
  return "INCLUIRPARTE=DI\nnDI_I19=1620123456\ndDI_I20=2016-07-20\nxLocDesemb_I21=SANTOS\nUFDesemb_I22=SP\n"
         "cExportador_I24=EXP-001\n" + aCampos +
         Repete(aAdicoes, "INCLUIRPARTE=ADI\nnAdicao_I26=1\nnSeqAdic_I27=1\ncFabricante_I28=FAB-01\n" + aCamposAdicao +
                              "SALVARPARTE=ADI") +
         "\nSALVARPARTE=DI";
}

// A bill's instalment of the note.
inline std::string Duplicata() {
  return "INCLUIRCOBRANCA\nnDup_Y08=001\ndVenc_Y09=2016-09-01\nvDup_Y10=1.00\nSALVARCOBRANCA";
}

struct FalhaDeRegra {
  std::string regra, codigo, mensagem, campo, texto;
};

inline void PrintTo(const FalhaDeRegra& aFalha, std::ostream* aSaida) { *aSaida << aFalha.texto; }

struct OpcoesDaVerificacao {
  bool exportacao = false;
  std::string excecoes;
  bool zelto = true;                         // the fix-up rules run before the save
  std::optional<mox::TDateTime> agora;       // the note's emission when not given
};

// Replays the note on a facade of the package with the rule switches on and the clock at the
// note's emission; the first rule that fails, or nothing.
inline std::optional<FalhaDeRegra> RegraQueFalha(mox::TVersaoEsquema aVersao, const std::string& aTexto,
                                                 const OpcoesDaVerificacao& aOpcoes) {
  auto ds = DataSetsEntregues(aVersao, aOpcoes.exportacao);
  ds->SetAplicadorRegras(
      mox::AplicadorRegrasNFe([agora = aOpcoes.agora.value_or(MomentoDaEmissao(aTexto))] { return agora; }));
  ds->SetValidaRegrasNegocio(true);
  ds->SetValidaRegrasNegocioZelto(aOpcoes.zelto);
  ds->SetExcecoesDeRegras(aOpcoes.excecoes);
  try {
    PreencheNota(*ds, aTexto);
  } catch (const mox::EmoxNFeRegraException& e) {
    return FalhaDeRegra{e.Regra(), e.Codigo(), e.MensagemRegra(), e.Campo(), e.what()};
  }
  return std::nullopt;
}

inline std::optional<FalhaDeRegra> RegraQueFalha(mox::TVersaoEsquema aVersao, const std::string& aTexto,
                                                 bool aExportacao = false, const std::string& aExcecoes = {}) {
  OpcoesDaVerificacao opcoes;
  opcoes.exportacao = aExportacao;
  opcoes.excecoes = aExcecoes;
  return RegraQueFalha(aVersao, aTexto, opcoes);
}

// How a table case checks its note, written compactly.
struct OpcoesDoCaso {
  std::string excecoes;
  bool zelto = true;
  const char* agora = nullptr;  // the clock, "YYYY-MM-DDThh:mm"; the note's emission otherwise
};

// A rule of a set and the smallest change of a valid note that makes the rule reject it.
struct CasoDeRegra {
  const char* regra;
  const char* codigo;
  const char* mensagem;
  Mudancas mudancas;
  OpcoesDoCaso opcoes;
};

inline void PrintTo(const CasoDeRegra& aCaso, std::ostream* aSaida) { *aSaida << aCaso.regra << " " << aCaso.codigo; }

// A note changed from the base in a way the set must still accept, and why.
struct NotaAceita {
  const char* porque;
  Mudancas mudancas;
  const char* excecoes;
};

inline void PrintTo(const NotaAceita& aCaso, std::ostream* aSaida) { *aSaida << aCaso.porque; }

inline OpcoesDaVerificacao Opcoes(const OpcoesDoCaso& aCaso) {
  OpcoesDaVerificacao opcoes;
  opcoes.excecoes = aCaso.excecoes;
  opcoes.zelto = aCaso.zelto;
  if (aCaso.agora) opcoes.agora = Instante(aCaso.agora);
  return opcoes;
}

// The failure of a changed note is the expected rule with its code and message.
inline void EsperaFalha(const std::optional<FalhaDeRegra>& aFalha, const std::string& aRegra,
                        const std::string& aCodigo, const std::string& aMensagem) {
  ASSERT_TRUE(aFalha) << aRegra;
  EXPECT_EQ(aFalha->regra, aRegra) << aFalha->texto;
  EXPECT_EQ(aFalha->codigo, aCodigo);
  EXPECT_EQ(aFalha->mensagem, aMensagem);
  EXPECT_EQ(aFalha->texto, "[" + aRegra + "]: " + aCodigo + " - " + aMensagem + ".\r\nVerifique o Campo: " + aFalha->campo);
}

}  // namespace moxtest
