// moxnfe nfe emitir | pendentes: notes in, authorized nfeProc files out, and what a run left
// pending for the next one.
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <ostream>

#include "base/moxEnumTexts.h"
#include "cli/CliEmissao.h"
#include "cli/CliSefaz.h"
#include "webservices/moxLogsTransacao.h"

namespace moxcli {

namespace {

using nlohmann::json;

// The newest package of the manual version: the layout its TX2 dictionary writes.
mox::TVersaoEsquema EsquemaPadrao(mox::TVersaoManual aVersao) {
  switch (aVersao) {
    case mox::TVersaoManual::vm202a:
    case mox::TVersaoManual::vm30: return mox::TVersaoEsquema::pl_005f;
    case mox::TVersaoManual::vm40: return mox::TVersaoEsquema::pl_006j;
    case mox::TVersaoManual::vm50: return mox::TVersaoEsquema::pl_006v;
    case mox::TVersaoManual::vm50a: return mox::TVersaoEsquema::pl_008i1;
    case mox::TVersaoManual::vm60: return mox::TVersaoEsquema::pl_010;
  }
  return mox::TVersaoEsquema::pl_008i1;
}

int NumeroPositivo(const CliArgs& aArgs, const std::string& aOpcao, int aPadrao) {
  const std::string texto = aArgs.OptionOr(aOpcao, std::to_string(aPadrao));
  if (texto.empty() || texto.size() > 9 || texto.find_first_not_of("0123456789") != std::string::npos)
    throw CliUsageError{"--" + aOpcao + ": informe um número: " + texto};
  return std::stoi(texto);
}

// The component for the run: its configuration, the options, schema validation on, and the
// recipient and log folders the user chose.
void PreparaComponente(ClienteSefaz& aCliente, const CliArgs& aArgs) {
  mox::TmoxNFe& nfe = aCliente.NFe();
  nfe.SetValidarEsquemaAntesEnvio(true);
  if (auto destino = aArgs.Option("destino")) nfe.SetDiretorioXmlDestinatario(CaminhoDigitado(*destino) + "/");
  if (auto log = aArgs.Option("log")) nfe.SetDiretorioLog(CaminhoDigitado(*log) + "/");
  aCliente.EmitenteDoCertificado();
}

void MostraNotas(const Emissao& aEmissao, const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Json()) {
    json saida{{"notas", json::array()}};
    std::map<std::string, int> contagem;
    for (const auto& n : aEmissao.Notas()) {
      saida["notas"].push_back({{"chave", n.Chave}, {"situacao", n.Situacao}, {"cStat", n.CStat},
                                {"xMotivo", n.XMotivo}, {"protocolo", n.Protocolo}, {"arquivo", n.Arquivo},
                                {"origem", n.Origem}});
      ++contagem[n.Situacao];
    }
    for (const char* s : {"autorizada", "denegada", "rejeitada", "pendente", "erro"})
      saida[std::string(s) + "s"] = contagem[s];
    aIo.out << saida.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
    return;
  }
  std::map<std::string, int> contagem;
  for (const auto& n : aEmissao.Notas()) {
    aIo.out << n.Chave << ": " << n.Situacao;
    if (!n.CStat.empty()) aIo.out << " " << n.CStat;
    if (!n.XMotivo.empty()) aIo.out << " - " << ParaTerminal(n.XMotivo);
    if (!n.Protocolo.empty()) aIo.out << " (protocolo " << n.Protocolo << ")";
    aIo.out << "\n";
    if (!n.Arquivo.empty()) aIo.out << "  " << n.Arquivo << "\n";
    ++contagem[n.Situacao];
  }
  aIo.out << aEmissao.Notas().size() << " nota(s): " << contagem["autorizada"] << " autorizada(s), "
          << contagem["denegada"] << " denegada(s), " << contagem["rejeitada"] << " rejeitada(s), "
          << contagem["pendente"] << " pendente(s), " << contagem["erro"] << " com erro\n";
  if (contagem["pendente"] > 0)
    aIo.out << "Há notas pendentes: \"moxnfe nfe emitir --retomar\" (com a mesma configuração) as conclui.\n";
}

int Emitir(const CliArgs& aArgs, CliIo& aIo) {
  const bool retomar = aArgs.Flag("retomar");
  if (aArgs.Positional().empty() && !retomar) throw CliUsageError{"informe os arquivos das notas (TX2 ou XML)"};
  ClienteSefaz cliente(aArgs);
  PreparaComponente(cliente, aArgs);
  mox::TmoxNFe& nfe = cliente.NFe();
  TOpcoesEmissao opcoes;
  try {
    opcoes.Esquema = aArgs.Option("esquema") ? mox::StrToVersaoEsquema(*aArgs.Option("esquema"))
                                             : EsquemaPadrao(nfe.VersaoManual());
  } catch (const std::exception& e) {
    throw CliUsageError{e.what()};
  }
  nfe.ChecarVersaoEsquema(mox::VersaoEsquemaToStr(opcoes.Esquema));
  opcoes.PrimeiroLote = NumeroPositivo(aArgs, "lote", 0);
  opcoes.EsperaMaximaSegundos = NumeroPositivo(aArgs, "espera-maxima", 300);

  Emissao emissao(nfe, opcoes);
  const bool progresso = !aArgs.Json() && !aArgs.Flag("silencioso") && ::isatty(STDERR_FILENO);
  if (progresso)
    emissao.OnProgresso = [&](size_t aConcluidas, size_t aTotal) {
      aIo.err << "\rNotas concluídas: " << aConcluidas << " de " << aTotal << std::flush;
    };
  if (retomar) emissao.Retoma();
  if (!aArgs.Positional().empty()) {
    std::vector<std::string> arquivos;
    for (const auto& a : aArgs.Positional()) arquivos.push_back(CaminhoDigitado(a));
    emissao.Emite(arquivos);
  }
  if (progresso) aIo.err << "\n";
  MostraNotas(emissao, aArgs, aIo);
  for (const auto& n : emissao.Notas())
    if (n.Situacao != "autorizada") return 3;
  return 0;
}

int Pendentes(const CliArgs& aArgs, CliIo& aIo) {
  mox::TmoxNFe nfe;
  if (auto config = aArgs.Option("config")) nfe.LoadConfig(CaminhoDigitado(*config));
  if (auto destino = aArgs.Option("destino")) nfe.SetDiretorioXmlDestinatario(CaminhoDigitado(*destino) + "/");
  const auto pendentes = mox::ListaPendentes(nfe.DiretorioXmlDestinatario());
  if (aArgs.Json()) {
    json saida{{"pasta", nfe.DiretorioXmlDestinatario()}, {"pendentes", json::array()}};
    for (const auto& p : pendentes)
      saida["pendentes"].push_back(
          {{"tipo", p.Numero.size() == 15 ? "recibo" : "chave"}, {"numero", p.Numero}, {"lote", p.LogEnvio}});
    aIo.out << saida.dump(2) << "\n";
    return 0;
  }
  if (pendentes.empty()) aIo.out << "Nenhuma pendência em " << nfe.DiretorioXmlDestinatario() << "\n";
  for (const auto& p : pendentes)
    aIo.out << (p.Numero.size() == 15 ? "recibo " : "chave ") << p.Numero << " (lote " << p.LogEnvio << ")\n";
  return 0;
}

CliRegistrar emitir{{{"nfe", "emitir"},
                     "emite notas: converte, assina, valida, envia em lotes e grava o nfeProc de cada autorizada",
                     "[opções] ENTRADA...",
                     "ENTRADA é um arquivo TX2 ou um XML de NF-e (assinado ou não; várias notas por arquivo). As\n"
                     "notas vão em lotes de até 50 (e até MaxSizeLoteEnvio KB); cada recibo é consultado, esperando\n"
                     "o tempo médio que a SEFAZ pede enquanto o lote está em processamento (105). Cada nota\n"
                     "autorizada deixa CHAVE-nfe.xml (nfeProc: a nota com o protocolo) na pasta do destinatário\n"
                     "(DiretorioXmlDestinatario da configuração, ou --destino); uma denegada, CHAVE-den.xml.\n"
                     "Para cada nota mostra chave, situação, código e texto da SEFAZ e protocolo. Notas rejeitadas\n"
                     "não são reenviadas. Quando a resposta de um lote ou de um recibo se perde (queda, tempo\n"
                     "esgotado), cada nota é consultada pela chave: a que a SEFAZ já autorizou sai com o nfeProc\n"
                     "e só a que ela não conhece é reenviada. O que não se resolve fica pendente no disco:\n"
                     "\"moxnfe nfe pendentes\" lista e \"moxnfe nfe emitir --retomar\" conclui: consulta os recibos\n"
                     "pendentes e as chaves dos lotes sem recibo, e reenvia, do log, só o que a SEFAZ não recebeu.\n"
                     "Os pedidos são validados no esquema oficial: a pasta de esquemas\n"
                     "(--esquemas ou a da configuração) precisa dos XSD do pacote.\n"
                     "Sai com 0 quando todas as notas foram autorizadas e 3 quando alguma não foi.",
                     OpcoesSefaz({{"esquema", "PACOTE", "pacote de esquemas do TX2 (padrão: o mais novo da versão do Manual)"},
                                  {"destino", "PASTA", "pasta dos nfeProc e das pendências (padrão: a da configuração)"},
                                  {"log", "PASTA", "pasta dos logs de transação (padrão: a da configuração)"},
                                  {"lote", "NUMERO", "número do primeiro lote (padrão: tirado do relógio)"},
                                  {"retomar", "", "antes de tudo, conclui as pendências de execuções anteriores"},
                                  {"espera-maxima", "SEGUNDOS", "espera máxima por um lote em processamento (padrão 300)"},
                                  {"silencioso", "", "não mostra o progresso"}}),
                     Emitir}};

CliRegistrar pendentes{{{"nfe", "pendentes"},
                        "lista os recibos e as chaves enviados que ainda esperam resposta da SEFAZ",
                        "[opções]",
                        "Cada pendência liga um recibo ou uma chave ao log do lote que a levou.\n"
                        "\"moxnfe nfe emitir --retomar\" as conclui.",
                        {{"config", "ARQUIVO", "arquivo de configuração do componente (nfeConfig.ini)"},
                         {"destino", "PASTA", "pasta do destinatário (padrão: a da configuração)"}},
                        Pendentes}};

}  // namespace

}  // namespace moxcli
