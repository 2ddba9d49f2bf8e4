#pragma once
// The commands of moxnfe-sandbox.
#include <string>
#include <vector>

#include "sandbox/ArgumentosSandbox.h"

namespace mox::sandbox {

struct TComando {
  std::string Nome;
  std::string Resumo;  // one line for the program's help
  std::string Ajuda;   // the command's help: usage and options
  std::vector<std::string> Opcoes;
  int (*Executa)(const ArgumentosSandbox&);
};

int ComandoIniciar(const ArgumentosSandbox& aArgumentos);
int ComandoCertificados(const ArgumentosSandbox& aArgumentos);
int ComandoServidores(const ArgumentosSandbox& aArgumentos);

const std::vector<TComando>& Comandos();

}  // namespace mox::sandbox
