// The delivered servers files: the generator's current output for the published address tables,
// with an https address for every UF and every service key the request builders ask for.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "external/TmoxIniFile.h"
#include "support/TestSupport.h"
#include "webservices/moxServicosSefaz.h"

namespace {

using O = mox::TOperacaoSefaz;
using V = mox::TVersaoManual;

const char* const kArquivos[] = {"nfeServidoresHom.ini", "nfeServidoresProd.ini"};
const char* const kUFs[] = {"AC", "AL", "AM", "AP", "BA", "CE", "DF", "ES", "GO", "MA", "MG", "MS", "MT", "PA",
                            "PB", "PE", "PI", "PR", "RJ", "RN", "RO", "RR", "RS", "SC", "SE", "SP", "TO"};
const std::vector<V> kVersoes = {V::vm202a, V::vm30, V::vm40, V::vm50, V::vm50a};

std::string Entregue(const char* aArquivo) { return std::string(MOXNFE_SOURCE_DIR) + "/data/" + aArquivo; }

bool EnderecoHttps(const std::string& aEndereco) {
  static const std::regex kForma(R"(https://[A-Za-z0-9.-]+\.[A-Za-z]{2,}(:[0-9]+)?/[^\s]*)");
  return std::regex_match(aEndereco, kForma);
}

// Checks the key of the operation under every manual version in the section.
void ConfereSecao(const mox::TmoxIniFile& aIni, const std::string& aSecao, std::initializer_list<O> aOperacoes,
                  const std::vector<V>& aVersoes) {
  for (V versao : aVersoes)
    for (O operacao : aOperacoes) {
      const std::string chave = mox::ServicoSefaz(operacao, versao).Chave;
      const std::string endereco = aIni.ReadString(aSecao, chave, "");
      EXPECT_TRUE(EnderecoHttps(endereco)) << aIni.FileName() << " [" << aSecao << "] " << chave << "=" << endereco;
    }
}

TEST(ServidoresEntregues, SaoASaidaAtualDoGerador) {
  moxtest::TempDir saida;
  const auto referencia = moxtest::SchemasDir().parent_path() / "reference";
  const auto r = moxtest::RunProgram(
      "/usr/bin/env", {"python3", std::string(MOXNFE_SOURCE_DIR) + "/tools/servidores/gerar_servidores.py",
                       "--referencia", referencia.string(), "--saida", saida.str()});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* arquivo : kArquivos)
    EXPECT_EQ(moxtest::ReadText(saida.file(arquivo)), moxtest::ReadText(Entregue(arquivo))) << arquivo;
}

TEST(ServidoresEntregues, CadaUFTemEnderecoHttpsDeCadaServicoDeCadaVersao) {
  for (const char* arquivo : kArquivos) {
    const mox::TmoxIniFile ini(Entregue(arquivo));
    for (const char* uf : kUFs) {
      ConfereSecao(ini, uf, {O::Status, O::EnvioLote, O::ConsultaRecibo, O::ConsultaNF, O::Cancelamento, O::Inutilizacao},
                   kVersoes);
      // The synchronous and compressed batches go to the same address as the plain one.
      ConfereSecao(ini, uf, {O::EnvioLoteCompactado, O::EnvioSincrono, O::EnvioSincronoCompactado}, {V::vm50a});
      ConfereSecao(ini, uf, {O::RecepcaoEvento, O::DistribuicaoDFe, O::ConsultaDestinadas, O::DownloadNFe}, {V::vm50a});
    }
  }
}

// Not every SEFAZ offers the registry query; those that do have it under every version.
TEST(ServidoresEntregues, ConsultaCadastroDasUFsQueAOferecem) {
  for (const char* arquivo : kArquivos) {
    const mox::TmoxIniFile ini(Entregue(arquivo));
    for (const char* uf : {"SP", "BA", "GO", "MT"}) ConfereSecao(ini, uf, {O::ConsultaCadastro}, kVersoes);
    // AL has none in any table: the key stays out, and the component says it is not defined.
    EXPECT_EQ(ini.ReadString("AL", "CadConsulta3", ""), "");
  }
}

// Contingency: SVC-AN (and SCAN before it) and SVC-RS receive batches and answer their queries.
TEST(ServidoresEntregues, SecoesDeContingencia) {
  for (const char* arquivo : kArquivos) {
    const mox::TmoxIniFile ini(Entregue(arquivo));
    ConfereSecao(ini, "SVCAN", {O::Status, O::EnvioLote, O::ConsultaRecibo, O::ConsultaNF}, kVersoes);
    ConfereSecao(ini, "SVCRS", {O::Status, O::EnvioLote, O::ConsultaRecibo, O::ConsultaNF, O::Inutilizacao},
                 {V::vm50a});
    ConfereSecao(ini, "AN", {O::RecepcaoEvento, O::DistribuicaoDFe, O::ConsultaDestinadas, O::DownloadNFe}, {V::vm50a});
  }
}

}  // namespace
