#pragma once
// The business rules on the command line: switching them on for a command's data sets and
// reporting the rule a note broke.
#include <cstddef>

#include "cli/CliCommand.h"
#include "datasets/TmoxNFeDataSets.h"
#include "rules/moxNFeRules.h"

namespace moxcli {

// The options of a command that runs the rules: "--regras" and "--excecoes" (functions, so
// other units may use them while registering their commands).
CliOption OpcaoRegras();
CliOption OpcaoExcecoes();

// With --regras, the data sets check each saved note against the rejection rules of its
// schema package, skipping the rules named in --excecoes.
void LigaRegras(mox::TmoxNFeDataSets& aDataSets, const CliArgs& aArgs);

// "linha N: [código] mensagem" with the rule and field (or the same as JSON on standard
// output); exit status 1. aLinha counts from 1.
int ReportaFalhaDeRegra(const mox::EmoxNFeRegraException& aFalha, size_t aLinha, const CliArgs& aArgs, CliIo& aIo);

}  // namespace moxcli
