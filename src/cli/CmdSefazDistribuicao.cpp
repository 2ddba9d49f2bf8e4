// moxnfe sefaz distribuicao-dfe | download: the documents of interest of a CNPJ or CPF from the
// national environment, by NSU (walking to the last one and remembering where it stopped), and
// the download of authorized notes by key.
#include <filesystem>
#include <ostream>
#include <unistd.h>

#include "cli/CliSefaz.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"

namespace moxcli {

namespace {

std::string QuinzeDigitos(const std::string& aNSU) {
  if (aNSU.empty() || aNSU.size() > 15 || aNSU.find_first_not_of("0123456789") != std::string::npos)
    throw CliUsageError{"NSU inválido: " + aNSU};
  return std::string(15 - aNSU.size(), '0') + aNSU;
}

// Where the last NSU received for the party is kept between runs.
std::filesystem::path ArquivoDoNSU(const std::string& aDocumento) {
  return std::filesystem::path(mox::UserDataDir()) / "dfe" / (aDocumento + ".nsu");
}

std::string NSUSalvo(const std::string& aDocumento) {
  const auto arquivo = ArquivoDoNSU(aDocumento);
  if (!std::filesystem::exists(arquivo)) return "0";
  return QuinzeDigitos(mox::ReadFileBytes(arquivo.string()).substr(0, 15));
}

void SalvaNSU(const std::string& aDocumento, const std::string& aNSU) {
  std::filesystem::create_directories(ArquivoDoNSU(aDocumento).parent_path());
  mox::WriteFileAtomic(ArquivoDoNSU(aDocumento).string(), aNSU + "\n");
}

// Writes each document of the answer, unpacked, as "NSU-schema.xml" in the folder.
void GravaDocumentos(const std::string& aRet, const std::string& aPasta, CliIo& aIo) {
  mox::TmoxKivoUtils utils;
  std::vector<std::string> nsus, esquemas, conteudos;
  utils.XPathSelectNodes(aRet, "//*[local-name()='docZip']/@NSU", nsus, {}, true);
  utils.XPathSelectNodes(aRet, "//*[local-name()='docZip']/@schema", esquemas, {}, true);
  utils.XPathSelectNodes(aRet, "//*[local-name()='docZip']/text()", conteudos, {}, true);
  std::filesystem::create_directories(aPasta);
  for (size_t i = 0; i < nsus.size() && i < esquemas.size() && i < conteudos.size(); ++i) {
    const std::string arquivo =
        (std::filesystem::path(aPasta) / (nsus[i] + "-" + std::filesystem::path(esquemas[i]).stem().string() + ".xml"))
            .string();
    mox::WriteFileAtomic(arquivo, utils.DecompressBase64Gz(conteudos[i]));
    aIo.err << "Documento gravado: " << arquivo << "\n";
  }
}

// Asks from the saved NSU (or --ultimo-nsu) until SEFAZ has nothing after it, saving every
// document and the NSU after each answer, so an interrupted walk resumes without gaps.
int Percorre(mox::TmoxNFe& aNFe, const std::string& aDocumento, const std::string& aPasta, const CliArgs& aArgs,
             CliIo& aIo) {
  mox::TmoxKivoUtils utils;
  std::string ultimo = aArgs.Option("ultimo-nsu") ? QuinzeDigitos(*aArgs.Option("ultimo-nsu")) : NSUSalvo(aDocumento);
  const bool terminal = isatty(STDERR_FILENO);
  for (;;) {
    const std::string ret = aNFe.ConsultarDistribuicaoDFe(aNFe.GetLocalCode(), aDocumento, ultimo, mox::TNSUKind::nkUltimo);
    const std::string status = utils.GetValueTag("cStat", ret);
    if (status != "138" && status != "137") return MostraResposta(ret, aArgs, aIo, {{"137", "138"}});
    GravaDocumentos(ret, aPasta, aIo);
    const std::string ult = utils.GetValueTag("ultNSU", ret), max = utils.GetValueTag("maxNSU", ret);
    if (!ult.empty()) ultimo = QuinzeDigitos(ult);
    SalvaNSU(aDocumento, ultimo);
    if (terminal) aIo.err << "\rNSU " << ultimo << " de " << max << std::flush;
    if (status == "137" || ult.empty() || ult == max) {
      if (terminal) aIo.err << "\n";
      return MostraResposta(ret, aArgs, aIo, {{"137", "138"}});
    }
  }
}

int Distribuicao(const CliArgs& aArgs, CliIo& aIo) {
  ClienteSefaz cliente(aArgs);
  std::string documento = aArgs.OptionOr("cnpj", "");
  if (documento.empty()) documento = cliente.DocumentoDoCertificado();
  mox::TmoxNFe& nfe = cliente.NFe();
  if (aArgs.Flag("todos")) return Percorre(nfe, documento, aArgs.OptionOr("saida", "."), aArgs, aIo);
  const auto especifico = aArgs.Option("nsu");
  const std::string nsu = QuinzeDigitos(especifico ? *especifico : aArgs.OptionOr("ultimo-nsu", "0"));
  const std::string ret = nfe.ConsultarDistribuicaoDFe(nfe.GetLocalCode(), documento, nsu,
                                                       especifico ? mox::TNSUKind::nkEspecifico : mox::TNSUKind::nkUltimo);
  const int status = MostraResposta(ret, aArgs, aIo, {{"137", "138"}});
  if (auto pasta = aArgs.Option("saida")) GravaDocumentos(ret, *pasta, aIo);
  return status;
}

int Download(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().empty()) throw CliUsageError{"informe as chaves de acesso (até 10)"};
  ClienteSefaz cliente(aArgs);
  mox::TmoxNFe& nfe = cliente.NFe();
  nfe.SetCNPJ(aArgs.OptionOr("cnpj", cliente.DocumentoDoCertificado()));
  if (auto pasta = aArgs.Option("saida")) nfe.SetDiretorioDownloads(std::filesystem::absolute(*pasta).string() + "/");
  nfe.OnDownloadNFe = [&aIo](const std::string& aArquivo) { aIo.err << "NF-e gravada: " << aArquivo << "\n"; };
  std::string chaves;
  for (const auto& chave : aArgs.Positional()) chaves += chave + " ";
  return MostraResposta(nfe.DownloadNFe(chaves, "91"), aArgs, aIo, {{"139"}, {"140"}});
}

CliRegistrar distribuicao{{{"sefaz", "distribuicao-dfe"},
                           "busca no ambiente nacional os documentos de interesse de um CNPJ ou CPF",
                           "[opções] [--ultimo-nsu N | --nsu N | --todos] [--saida PASTA]",
                           "O interessado é o CNPJ (ou CPF) do certificado, ou o de --cnpj. Com --saida cada documento é\n"
                           "descompactado e gravado como NSU-esquema.xml. Com --todos percorre os NSU até o último,\n"
                           "gravando cada documento (na pasta atual sem --saida) e guardando o último NSU recebido\n"
                           "de cada CNPJ na pasta de dados do usuário: a próxima execução continua dali.",
                           OpcoesSefaz({{"cnpj", "CNPJ", "CNPJ ou CPF interessado (padrão: o do certificado)"},
                                        {"ultimo-nsu", "N", "último NSU já recebido (padrão 0, ou o guardado com --todos)"},
                                        {"nsu", "N", "um NSU específico"},
                                        {"todos", "", "percorre todos os NSU até o último"},
                                        {"saida", "PASTA", "grava os documentos descompactados na pasta"}}),
                           Distribuicao}};

CliRegistrar download{{{"sefaz", "download"},
                       "baixa do ambiente nacional as NF-e autorizadas destinadas ao CNPJ (até 10 chaves)",
                       "[opções] CHAVE... [--saida PASTA]",
                       "Cada nota disponível é gravada como CHAVE-NFe.xml (nfeProc). A nota só fica disponível\n"
                       "depois da manifestação do destinatário (moxnfe sefaz manifestar).",
                       OpcoesSefaz({{"cnpj", "CNPJ", "CNPJ destinatário (padrão: o do certificado)"},
                                    {"saida", "PASTA", "pasta das notas baixadas (padrão: a pasta de downloads)"}}),
                       Download}};

}  // namespace

}  // namespace moxcli
