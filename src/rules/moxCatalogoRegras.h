#pragma once
// The rule classes of the catalogue, found by class name, so that the rule sets can be written
// as tables of names (moxConjuntosRegras.cpp).
#include <memory>
#include <span>
#include <string_view>

#include "base/moxTypes.h"
#include "rules/moxNFeRules.h"

namespace mox {

// What a registration gives a rule: its name, field, code, message and manual version.
struct TDadosRegra {
  std::string_view nome;
  std::string_view campo;
  std::string_view codigo;
  std::string_view mensagem;
  TVersaoManual versao;
};

using TCriaRegra = std::unique_ptr<TmoxNFeRule> (*)(const TDadosRegra&);

struct TClasseRegra {
  std::string_view classe;
  TCriaRegra cria;
};

template <class TRegra>
std::unique_ptr<TmoxNFeRule> CriaRegra(const TDadosRegra& aDados) {
  return std::make_unique<TRegra>(std::string(aDados.nome), std::string(aDados.campo), std::string(aDados.codigo),
                                  std::string(aDados.mensagem), aDados.versao);
}

// One entry of a class table: the class's own name and its constructor.
#define MOX_CLASSE_REGRA(Classe) \
  ::mox::TClasseRegra { #Classe, &::mox::CriaRegra<Classe> }

// The class tables of the catalogue, one per group of the note.
std::span<const TClasseRegra> ClassesRegrasIdentificacao();
std::span<const TClasseRegra> ClassesRegrasParticipantes();
std::span<const TClasseRegra> ClassesRegrasProdutos();
std::span<const TClasseRegra> ClassesRegrasImpostos();
std::span<const TClasseRegra> ClassesRegrasTotais();

// The class of that name; null when the catalogue has none.
const TClasseRegra* ProcuraClasseRegra(std::string_view aClasse);

}  // namespace mox
