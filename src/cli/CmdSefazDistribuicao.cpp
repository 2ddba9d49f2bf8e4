// moxnfe sefaz distribuicao-dfe: the documents of interest of a CNPJ or CPF from the national
// environment, by NSU, optionally unpacked into a folder.
#include <filesystem>
#include <ostream>

#include "cli/CliSefaz.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"

namespace moxcli {

namespace {

std::string QuinzeDigitos(const std::string& aNSU) {
  if (aNSU.empty() || aNSU.size() > 15 || aNSU.find_first_not_of("0123456789") != std::string::npos)
    throw CliUsageError{"NSU inválido: " + aNSU};
  return std::string(15 - aNSU.size(), '0') + aNSU;
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

int Distribuicao(const CliArgs& aArgs, CliIo& aIo) {
  ClienteSefaz cliente(aArgs);
  std::string documento = aArgs.OptionOr("cnpj", "");
  if (documento.empty()) documento = cliente.DocumentoDoCertificado();
  const auto especifico = aArgs.Option("nsu");
  const std::string nsu = QuinzeDigitos(especifico ? *especifico : aArgs.OptionOr("ultimo-nsu", "0"));
  const std::string pedido =
      cliente.Modelo(especifico ? "pedido_distdfe_nsu.xml" : "pedido_distdfe.xml",
                     {cliente.Ambiente(), cliente.NFe().GetLocalCode(), ElementoDocumento(documento), nsu});
  cliente.Valida(pedido, "DISTRIBUICAODFE");
  const std::string ret = cliente.Construtor().ConsultarDFe(pedido);
  const int status = MostraResposta(ret, aArgs, aIo, {{"137", "138"}});
  if (auto pasta = aArgs.Option("saida")) GravaDocumentos(ret, *pasta, aIo);
  return status;
}

CliRegistrar distribuicao{{{"sefaz", "distribuicao-dfe"},
                           "busca no ambiente nacional os documentos de interesse de um CNPJ ou CPF",
                           "[opções] [--ultimo-nsu N | --nsu N] [--saida PASTA]",
                           "O interessado é o CNPJ (ou CPF) do certificado, ou o de --cnpj. Com --saida cada documento é\n"
                           "descompactado e gravado como NSU-esquema.xml.",
                           OpcoesSefaz({{"cnpj", "CNPJ", "CNPJ ou CPF interessado (padrão: o do certificado)"},
                                        {"ultimo-nsu", "N", "último NSU já recebido (padrão 0)"},
                                        {"nsu", "N", "um NSU específico"},
                                        {"saida", "PASTA", "grava os documentos descompactados na pasta"}}),
                           Distribuicao}};

}  // namespace

}  // namespace moxcli
