// moxnfe dicionario verificar: loads a field dictionary as the invoice data sets would and
// reports its groups, links and the mistakes that would only show up while entering a note.
#include <nlohmann/json.hpp>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "datasets/TmoxXMLDataSetNFe.h"
#include "external/moxPaths.h"

namespace {

using moxcli::CliArgs;
using moxcli::CliIo;
using moxcli::CliUsageError;
using nlohmann::json;

size_t CamposNoXml(const mox::TXmlDataSetNFe& aDs) {
  size_t visiveis = 0;
  for (const auto& f : aDs.Fields()) visiveis += f->Visible() ? 1 : 0;
  return visiveis;
}

// Mistakes the loader accepts but data entry would trip over.
std::vector<std::string> Problemas(const mox::TXmlDataSetNFe& aDs) {
  std::vector<std::string> problemas;
  const mox::TmoxField* handle = aDs.FindField("handle");
  if (!handle)
    problemas.push_back("o grupo " + aDs.Name() + " não tem o campo handle");
  else if (handle->Visible())
    problemas.push_back("o campo handle do grupo " + aDs.Name() + " é visível e iria para o XML");
  if (!aDs.XMLMasterSource().empty()) {
    const mox::TmoxField* chave = aDs.FindField(aDs.XMLKeyField());
    if (chave && chave->Visible())
      problemas.push_back("o campo de ligação " + chave->FieldName() + " do grupo " + aDs.Name() +
                          " é visível e iria para o XML");
  }
  if (aDs.Name() != mox::AsciiUpperCase(aDs.Name()))
    problemas.push_back("o grupo " + aDs.Name() + " tem letras minúsculas no nome e nunca será encontrado");
  return problemas;
}

// The file given, or the dictionary installed for a manual version.
std::string Dicionario(const CliArgs& aArgs) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só arquivo de dicionário"};
  if (!aArgs.Positional().empty()) return aArgs.Positional().front();
  const mox::TVersaoManual versao =
      mox::StrToVersaoManual(aArgs.OptionOr("versao-manual", moxcli::kVersaoManualPadrao));
  return mox::FindDataFile("Templates/" + mox::PastaVersaoManual(versao) + "/Conversor/" +
                           (aArgs.Flag("exportacao") ? "NFeDataSets_Exportacao.xml" : "NFeDataSets.xml"));
}

int Verificar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string arquivo = Dicionario(aArgs);
  mox::TmoxXMLDataSetNFe dicionario;
  std::vector<std::string> problemas;
  try {
    dicionario.SetXMLDicionario(arquivo);
    dicionario.SetActiveMasterSource(true);  // every master and link field must exist
  } catch (const mox::EmoxException& e) {
    if (dicionario.ListDataSets().empty()) throw std::runtime_error(e.what());
    problemas.push_back(e.what());
  }
  json grupos = json::array();
  size_t campos = 0;
  for (const auto& ds : dicionario.ListDataSets()) {
    campos += ds->FieldCount();
    for (auto& p : Problemas(*ds)) problemas.push_back(std::move(p));
    json grupo = {{"nome", ds->Name()}, {"campos", ds->FieldCount()}, {"camposNoXml", CamposNoXml(*ds)}};
    if (!ds->XMLMasterSource().empty()) {
      grupo["mestre"] = ds->XMLMasterSource();
      grupo["campoMestre"] = ds->XMLMasterField();
      grupo["campoChave"] = ds->XMLKeyField();
    }
    grupos.push_back(std::move(grupo));
  }
  if (aArgs.Json()) {
    json saida = {{"arquivo", arquivo}, {"grupos", grupos}, {"problemas", problemas}};
    aIo.out << saida.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  } else {
    aIo.out << "Dicionário: " << arquivo << "\n" << grupos.size() << " grupos, " << campos << " campos\n";
    for (const auto& g : grupos) {
      aIo.out << "  " << g["nome"].get<std::string>() << ": " << g["campos"].get<size_t>() << " campos, "
              << g["camposNoXml"].get<size_t>() << " no XML";
      if (g.contains("mestre"))
        aIo.out << "; detalhe de " << g["mestre"].get<std::string>() << " (" << g["campoChave"].get<std::string>()
                << " = " << g["mestre"].get<std::string>() << "." << g["campoMestre"].get<std::string>() << ")";
      aIo.out << "\n";
    }
    if (problemas.empty())
      aIo.out << "Nenhum problema encontrado.\n";
    else
      for (const auto& p : problemas) aIo.out << "Problema: " << p << "\n";
  }
  return problemas.empty() ? 0 : 1;
}

const moxcli::CliRegistrar kVerificar{{
    {"dicionario", "verificar"},
    "carrega um dicionário de campos e confere grupos, campos e ligações mestre-detalhe",
    "[opções] [ARQUIVO]",
    "Lista os grupos do dicionário com seus campos e ligações e aponta o que impediria a digitação\n"
    "das notas: erros de carga, mestre ou campo de ligação inexistente, grupo sem o campo handle,\n"
    "campos de controle visíveis. Sem ARQUIVO, confere o dicionário instalado da versão do Manual.\n"
    "Sai com 1 quando encontra algum problema.",
    {{"versao-manual", "VERSAO", "sem ARQUIVO: versão do Manual do dicionário instalado (padrão 6.0, leiaute 4.00)"},
     {"exportacao", "", "sem ARQUIVO: o dicionário de exportação (NFeDataSets_Exportacao.xml)"}},
    Verificar,
}};

}  // namespace
