// moxnfe nfe enviar-destinatario CHAVE...: each authorized note of the recipient folder delivered
// through the component, by e-mail (the nfeProc and its DANFE) or into the custody archive.
#include <unistd.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <ostream>

#include "base/TmoxEmailSettings.h"
#include "base/moxEnumTexts.h"
#include "cli/CliCofre.h"
#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "utils/TmoxCofreXml.h"

namespace moxcli {

namespace {

using nlohmann::json;

int Porta(const std::string& aTexto) {
  if (aTexto.empty() || aTexto.size() > 5 || aTexto.find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(aTexto) < 1 || std::stoi(aTexto) > 65535)
    throw CliUsageError{"--smtp-porta: informe um número de 1 a 65535: " + aTexto};
  return std::stoi(aTexto);
}

// The configuration's mail settings with the options on top; the password only from the
// configuration or MOXNFE_SMTP_SENHA, never from the command line others can read.
void ConfiguraEmail(mox::TmoxNFe& aNFe, const CliArgs& aArgs) {
  mox::TmoxEmailSettings& e = aNFe.EmailSettings();
  if (auto v = aArgs.Option("smtp-servidor")) e.ServidorSmtp = *v;
  if (auto v = aArgs.Option("smtp-porta")) e.Porta = Porta(*v);
  if (auto v = aArgs.Option("smtp-usuario")) {
    e.Usuario = *v;
    e.Autenticacao = true;
  }
  if (const char* senha = std::getenv("MOXNFE_SMTP_SENHA"); senha && *senha) e.Senha = senha;
  if (auto v = aArgs.Option("smtp-seguranca")) {
    try {
      e.Seguranca = mox::StrToSegurancaEmail(*v);
    } catch (const std::exception& ex) {
      throw CliUsageError{ex.what()};
    }
  }
  if (auto v = aArgs.Option("smtp-ca")) e.ArquivoCA = CaminhoDigitado(*v);
  if (auto v = aArgs.Option("remetente")) e.EmailRemetente = *v;
  if (auto v = aArgs.Option("para")) e.EmailDestinatario = *v;
  if (auto v = aArgs.Option("assunto")) e.Assunto = *v;
  if (auto v = aArgs.Option("mensagem")) e.Mensagem = *v;
  if (aArgs.Flag("sem-danfe")) aNFe.SetAnexarDanfePDF(false);
}

bool ChaveValida(const std::string& aChave) {
  return aChave.size() == 44 && aChave.find_first_not_of("0123456789") == std::string::npos;
}

int EnviarDestinatario(const CliArgs& aArgs, CliIo& aIo) {
  const auto& chaves = aArgs.Positional();
  if (chaves.empty()) throw CliUsageError{"informe as chaves de acesso das notas"};
  for (const auto& c : chaves)
    if (!ChaveValida(c)) throw CliUsageError{"chave de acesso inválida (44 dígitos): " + c};
  const std::string entrega = aArgs.OptionOr("entrega", aArgs.Option("cofre") ? "cofre" : "email");
  if (entrega != "email" && entrega != "cofre") throw CliUsageError{"--entrega deve ser email ou cofre"};

  mox::TmoxNFe nfe;
  const std::string config = ArquivoDeConfiguracao(aArgs);
  if (!config.empty()) nfe.LoadConfig(config);
  else nfe.SetVersaoManual(mox::StrToVersaoManual(kVersaoManualPadrao));
  try {
    if (auto versao = aArgs.Option("versao-manual")) nfe.SetVersaoManual(mox::StrToVersaoManual(*versao));
  } catch (const std::exception& e) {
    throw CliUsageError{e.what()};
  }
  if (auto destino = aArgs.Option("destino")) nfe.SetDiretorioXmlDestinatario(CaminhoDigitado(*destino) + "/");
  if (auto templates = aArgs.Option("templates")) nfe.SetDiretorioTemplates(CaminhoDigitado(*templates) + "/");
  ConfiguraEmail(nfe, aArgs);

  std::unique_ptr<mox::TmoxCofreXml> cofre;
  if (entrega == "cofre") {
    cofre = std::make_unique<mox::TmoxCofreXml>(PastaDoCofre(aArgs, config), nfe.DiretorioLogErro());
    nfe.SetComponenteCofral(cofre.get());
    nfe.SetEntregaXML(mox::TEntregaXML::exCofral);
  } else if (nfe.EmailSettings().EmailDestinatario.empty()) {
    throw CliUsageError{"informe o endereço do destinatário (--para ou EmailDestinatario na seção [MAIL])"};
  }

  const bool progresso = !aArgs.Json() && !aArgs.Flag("silencioso") && chaves.size() > 1 && ::isatty(STDERR_FILENO);
  json saida{{"entrega", entrega}, {"notas", json::array()}};
  if (cofre) saida["cofre"] = cofre->Pasta();
  else saida["para"] = nfe.EmailSettings().EmailDestinatario;
  int falhas = 0;
  for (size_t i = 0; i < chaves.size(); ++i) {
    const std::string& chave = chaves[i];
    if (progresso) aIo.err << "\rEntregando: " << i + 1 << " de " << chaves.size() << std::flush;
    json nota{{"chave", chave}};
    try {
      const size_t antes = cofre ? cofre->Listar(chave).size() : 0;
      nfe.EnviarNotaDestinatario(chave, "", "");
      if (cofre) nota["situacao"] = cofre->Listar(chave).size() > antes ? "guardada" : "ja-guardada";
      else nota["situacao"] = "enviada";
    } catch (const std::exception& e) {
      ++falhas;
      nota["situacao"] = "erro";
      nota["mensagem"] = ParaTerminal(e.what());
    }
    saida["notas"].push_back(nota);
  }
  if (progresso) aIo.err << "\n";

  saida["entregues"] = chaves.size() - static_cast<size_t>(falhas);
  saida["erros"] = falhas;
  if (aArgs.Json()) {
    aIo.out << saida.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  } else {
    for (const auto& n : saida["notas"]) {
      const std::string situacao = n["situacao"];
      aIo.out << n["chave"].get<std::string>() << ": ";
      if (situacao == "enviada") aIo.out << "enviada por e-mail a " << saida["para"].get<std::string>();
      else if (situacao == "guardada") aIo.out << "guardada no cofre " << saida["cofre"].get<std::string>();
      else if (situacao == "ja-guardada") aIo.out << "já estava no cofre " << saida["cofre"].get<std::string>();
      else aIo.out << "não entregue - " << n["mensagem"].get<std::string>();
      aIo.out << "\n";
    }
    aIo.out << chaves.size() << " nota(s): " << saida["entregues"].get<size_t>() << " entregue(s), " << falhas
            << " com erro\n";
  }
  return falhas ? 1 : 0;
}

CliRegistrar enviarDestinatario{
    {{"nfe", "enviar-destinatario"},
     "entrega ao destinatário as notas autorizadas: por e-mail (XML e DANFE) ou no cofre",
     "[opções] CHAVE...",
     "Cada CHAVE é procurada na pasta do destinatário (DiretorioXmlDestinatario da configuração, ou\n"
     "--destino) como CHAVE.xml ou CHAVE-nfe.xml, o nfeProc que \"moxnfe nfe emitir\" grava.\n"
     "Por e-mail vão o XML e, salvo --sem-danfe (ou AnexarDanfePDF=0), o DANFE em PDF, com o\n"
     "servidor, o remetente, o assunto e a mensagem da seção [MAIL] da configuração; as opções\n"
     "prevalecem. A senha do SMTP vem da configuração ou da variável MOXNFE_SMTP_SENHA.\n"
     "No cofre (--entrega cofre ou --cofre PASTA) a nota é guardada uma vez só: entregar de novo\n"
     "não a duplica (veja \"moxnfe cofre\").\n"
     "Uma nota só conta como entregue quando o servidor aceitou a mensagem. Sai com 0 quando todas\n"
     "foram entregues e 1 quando alguma não foi.",
     {{"config", "ARQUIVO", "arquivo de configuração (padrão: ~/.config/moxnfe/nfeConfig.ini, quando existe)"},
      {"versao-manual", "VERSAO", "versão do Manual: 2.0.2a, 3.0, 4.0, 5.0, 5.0a ou 6.0 (padrão: a da configuração, ou 6.0)"},
      {"destino", "PASTA", "pasta do destinatário, onde estão os nfeProc (padrão: a da configuração)"},
      {"templates", "PASTA", "pasta de templates e modelos do DANFE (padrão: a instalada)"},
      {"entrega", "MODO", "email ou cofre (padrão: email; cofre quando --cofre é informado)"},
      {"cofre", "PASTA", "pasta do cofre (padrão: Pasta da seção [COFRE], ou ~/.local/share/moxnfe/Cofre)"},
      {"para", "ENDERECOS", "e-mail do destinatário (vários separados por vírgula)"},
      {"remetente", "ENDERECO", "e-mail do remetente"},
      {"assunto", "TEXTO", "assunto da mensagem"},
      {"mensagem", "TEXTO", "texto da mensagem"},
      {"smtp-servidor", "HOST", "servidor SMTP"},
      {"smtp-porta", "PORTA", "porta do servidor (padrão: 465 com TLS, 587 com usuário, senão 25)"},
      {"smtp-usuario", "USUARIO", "usuário do SMTP (liga a autenticação)"},
      {"smtp-seguranca", "MODO", "automatica, nenhuma, starttls ou tls (padrão: automatica)"},
      {"smtp-ca", "ARQUIVO", "autoridades que emitiram o certificado do servidor SMTP (PEM)"},
      {"sem-danfe", "", "envia só o XML"},
      {"silencioso", "", "não mostra o progresso"}},
     EnviarDestinatario}};

}  // namespace

}  // namespace moxcli
