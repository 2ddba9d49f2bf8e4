// moxnfe sefaz consultar-nfe | consultar-cadastro: the situation of a note at SEFAZ and the
// registry of a taxpayer.
#include "cli/CliSefaz.h"
#include "external/AsciiCase.h"

namespace moxcli {

namespace {

int ConsultarNFe(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1 || aArgs.Positional().front().size() != 44)
    throw CliUsageError{"informe a chave de acesso (44 dígitos)"};
  ClienteSefaz cliente(aArgs);
  return MostraResposta(cliente.NFe().ConsultarNF(aArgs.Positional().front()), aArgs, aIo,
                        {{"100", "101", "110", "150", "151", "301", "302"}});
}

int ConsultarCadastro(const CliArgs& aArgs, CliIo& aIo) {
  std::string tipo, documento;
  for (const char* t : {"cnpj", "cpf", "ie"})
    if (auto valor = aArgs.Option(t)) tipo = t, documento = *valor;
  if (tipo.empty()) throw CliUsageError{"informe --cnpj, --cpf ou --ie"};
  ClienteSefaz cliente(aArgs);
  const std::string resposta =
      cliente.NFe().ConsultarCadastro(documento, mox::UpperAscii(tipo), mox::UpperAscii(aArgs.OptionOr("uf-cadastro", "")));
  return MostraResposta(resposta, aArgs, aIo, {{"111", "112"}});
}

CliRegistrar consultar{{{"sefaz", "consultar-nfe"},
                        "consulta a situação de uma NF-e pela chave: protocolo, cancelamento e eventos",
                        "[opções] CHAVE",
                        "Sai com 0 quando a nota consta na SEFAZ (autorizada, cancelada ou denegada) e 3 quando não.",
                        OpcoesSefaz({}),
                        ConsultarNFe}};

CliRegistrar cadastro{{{"sefaz", "consultar-cadastro"},
                       "consulta o cadastro de contribuintes da UF",
                       "[opções] (--cnpj CNPJ | --cpf CPF | --ie IE)",
                       "Sai com 0 quando o contribuinte é encontrado (111 ou 112), 3 quando não.",
                       OpcoesSefaz({{"cnpj", "CNPJ", "CNPJ do contribuinte"},
                                    {"cpf", "CPF", "CPF do contribuinte"},
                                    {"ie", "IE", "inscrição estadual do contribuinte"},
                                    {"uf-cadastro", "UF", "UF do cadastro consultado (padrão: a de --uf)"}}),
                       ConsultarCadastro}};

}  // namespace

}  // namespace moxcli
