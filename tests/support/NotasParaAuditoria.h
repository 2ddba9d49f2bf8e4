#pragma once
// Notes of layouts 4.00 and 3.10 made from the fixtures, as an audit receives them (unsigned,
// signed, authorized), and a schema folder with the official packages of those layouts.
#include <filesystem>
#include <string>

#include "base/moxTypes.h"
#include "external/moxDateTime.h"

namespace moxtest {

// A note of the fixtures: its text, the package it is converted to and whether the export
// dictionary reads it.
struct FonteDeNota {
  const char* arquivo;  // under tests/fixtures
  mox::TVersaoEsquema versao;
  bool exportacao;
};

inline const FonteDeNota kVenda400{"tx2/venda-simples-400.tx2", mox::TVersaoEsquema::pl_009, false};
inline const FonteDeNota kVenda310{"tx2/venda-simples.tx2", mox::TVersaoEsquema::pl_008i1, false};
inline const FonteDeNota kExportacao310{"leiautes/310/exportacao.txt", mox::TVersaoEsquema::pl_008i1, true};

std::string NotaSemAssinatura(const FonteDeNota& aFonte);
std::string NotaAssinadaDe(const FonteDeNota& aFonte);
// The signed 4.00 note with SEFAZ's protocol, received at aRecebimento (by default a minute
// after the emission of the 4.00 example).
std::string NotaAutorizada(const FonteDeNota& aFonte, const std::string& aRecebimento = "2026-03-02T10:01:00-03:00");

// A minute after the note's emission: the instant it is checked at.
mox::TDateTime NaEmissao(const FonteDeNota& aFonte);

// aXml with the first aDe replaced by aPara (a test failure when aDe is not there).
std::string Troca(std::string aXml, const std::string& aDe, const std::string& aPara);

// aPasta/vm60 and aPasta/vm50a with the official packages of layouts 4.00 and 3.10 and the
// installed Mapping.txt of each.
void InstalaEsquemas(const std::filesystem::path& aPasta);

}  // namespace moxtest
