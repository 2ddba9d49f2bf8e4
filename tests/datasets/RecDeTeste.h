#pragma once
// Record-layout text of a note, written from its TX2 replay and the record positions of the
// delivered dictionary, so every test invoice can also be entered in the record layout.
//
// The replay is cut into segments at its commands. Each segment's values are placed on record
// lines, choosing the groups that cover most of them; a group whose identifier runs a command
// (new note, new item, new repeated record) is used only where the replay runs that command.
// A line repeats every value of its segment at that line's positions, so no line clears what an
// earlier line of the segment stored.
#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "datasets/TmoxNFeDataSets.h"
#include "external/AsciiCase.h"

namespace moxtest {

class GeradorRec {
 public:
  explicit GeradorRec(const mox::TmoxNFeDataSets& aDS) {
    for (const auto& ds : aDS.ListDataSets())
      for (size_t i = 0; i < ds->FieldCount(); ++i) {
        const auto& campo = static_cast<const mox::TmoxNFeXMLField&>(ds->XmlField(i));
        if (!campo.Visible()) ocultos_.insert(campo.FieldName());
        std::stringstream itens(campo.Rec());
        for (std::string item; std::getline(itens, item, ',');) {
          const size_t igual = item.find('=');
          const std::string grupo = mox::UpperAscii(item.substr(0, igual));
          const int posicao = std::stoi(item.substr(igual + 1));
          posicoes_[campo.FieldName()].push_back({grupo, posicao});
          auto& linha = grupos_[grupo];
          if (static_cast<int>(linha.size()) < posicao + 1) linha.resize(static_cast<size_t>(posicao) + 1);
          linha[static_cast<size_t>(posicao)] = campo.FieldName();
        }
      }
  }

  std::string Gera(const std::vector<std::string>& aTX2) {
    std::vector<Segmento> segmentos(1);
    for (const std::string& linha : aTX2) {
      const size_t igual = linha.find('=');
      const std::string chave = linha.substr(0, igual);
      if (chave.find('_') == std::string::npos) {  // a command: field names hold an underscore
        segmentos.push_back({linha, {}});
        continue;
      }
      const std::string valor = linha.substr(igual + 1);
      if (ocultos_.count(chave)) continue;  // kept for the rules, never in the note
      Segmento* destino = &segmentos.back();
      if (valor.empty()) {  // a value cleared again
        auto& valores = destino->valores;
        valores.erase(std::remove_if(valores.begin(), valores.end(), [&](const auto& v) { return v.first == chave; }),
                      valores.end());
        continue;
      }
      const std::string exigido = ComandoExclusivo(chave);  // "INCLUIR" or "INCLUIRITEM"
      if (!exigido.empty() && destino->abertura != exigido)
        for (auto s = segmentos.rbegin(); s != segmentos.rend(); ++s)
          if (s->abertura == exigido) {
            destino = &*s;
            break;
          }
      destino->valores.push_back({chave, valor});
    }
    std::string texto;
    for (const Segmento& s : segmentos) texto += Linhas(s);
    return texto;
  }

 private:
  struct Posicao {
    std::string grupo;
    int posicao;
  };
  struct Segmento {
    std::string abertura;  // the command that opened it
    std::vector<std::pair<std::string, std::string>> valores;
  };

  // The command a group identifier runs: "NOTA", "ITEM", "SALVA", "PARTE=<part>" or empty.
  static std::string Comando(const std::string& aGrupo) {
    static const std::map<std::string, std::string> kComandos{
        {"A", "NOTA"},          {"H", "ITEM"},          {"W", "SALVA"},          {"B13", "PARTE=NREF"},
        {"B14", "PARTE=NREF"},  {"B20A", "PARTE=NREF"}, {"B20B", "PARTE=NREF"},  {"B20I", "PARTE=NREF"},
        {"B20J", "PARTE=NREF"}, {"BA02", "PARTE=NREF"}, {"BA03", "PARTE=NREF"},  {"BA10", "PARTE=NREF"},
        {"BA19", "PARTE=NREF"}, {"B19", "PARTE=NREF"},  {"BA20", "PARTE=NREF"},  {"GA02", "PARTE=AUTXML"},
        {"GA03", "PARTE=AUTXML"}, {"I", "PARTE=DI"},    {"I18", "PARTE=DI"},     {"I25", "PARTE=ADI"},
        {"I50", "PARTE=DETEXPORT"}, {"I52", "PARTE=EXPORTIND"}, {"I05A", "PARTE=NVE"}, {"K", "PARTE=K"},
        {"L", "PARTE=L"},       {"L01", "PARTE=L1"},    {"X22", "PARTE=REBOQUE"}, {"X26", "PARTE=VOL"},
        {"X33", "PARTE=LACRE"}, {"Y07", "PARTE=DUP"},   {"Z04", "PARTE=OBSCONT"}, {"Z07", "PARTE=OBSFISCO"},
        {"Z10", "PARTE=PROCREF"}, {"ZC01", "PARTE=CANA"}, {"ZC04", "PARTE=FORDIA"}, {"ZC10", "PARTE=DEDUC"}, {"YA", "PARTE=YA"},
        {"BA02A", "PARTE=NREF"}, {"BB01", "PARTE=BB"}, {"I05G", "PARTE=GCRED"}, {"I80", "PARTE=RASTRO"},
        {"LA18", "PARTE=ORIGCOMB"}, {"ZF02", "PARTE=DEFENSIVO"}};
    const auto c = kComandos.find(aGrupo);
    return c == kComandos.end() ? std::string() : c->second;
  }

  // A field whose every group starts a note or an item belongs to the segment of that command.
  std::string ComandoExclusivo(const std::string& aCampo) const {
    const auto p = posicoes_.find(aCampo);
    if (p == posicoes_.end()) return {};
    std::string exigido;
    for (const Posicao& pos : p->second) {
      const std::string c = Comando(pos.grupo);
      if (c != "NOTA" && c != "ITEM") return {};
      exigido = c == "NOTA" ? "INCLUIR" : "INCLUIRITEM";
    }
    return exigido;
  }

  bool Permitido(const std::string& aGrupo, const std::string& aAbertura) const {
    const std::string c = Comando(aGrupo);
    if (c.empty()) return true;
    if (c == "NOTA") return aAbertura == "INCLUIR";
    if (c == "ITEM") return aAbertura == "INCLUIRITEM";
    if (c == "SALVA") return false;
    const std::string parte = c.substr(6);
    if (aAbertura.rfind("INCLUIRPARTE=", 0) == 0) return aAbertura == "INCLUIRPARTE=" + parte;
    return parte != "NREF";  // a single part opened by its first line (fuel, the item's first DI)
  }

  size_t Cobertos(const std::string& aGrupo, const std::vector<std::string>& aCampos) const {
    const auto& campos = grupos_.at(aGrupo);
    return static_cast<size_t>(std::count_if(aCampos.begin(), aCampos.end(), [&](const std::string& c) {
      return std::find(campos.begin(), campos.end(), c) != campos.end();
    }));
  }

  // The group that opens what the segment's command opens, the one holding most of its values.
  std::string GrupoDeAbertura(const std::string& aAbertura, const std::vector<std::string>& aCampos) const {
    std::string procurado;
    if (aAbertura == "INCLUIR") procurado = "NOTA";
    else if (aAbertura == "INCLUIRITEM") procurado = "ITEM";
    else if (aAbertura.rfind("INCLUIRPARTE=", 0) == 0) procurado = "PARTE=" + aAbertura.substr(13);
    std::string melhor;
    for (const auto& [grupo, campos] : grupos_)
      if (!procurado.empty() && Comando(grupo) == procurado && (melhor.empty() || Cobertos(grupo, aCampos) > Cobertos(melhor, aCampos)))
        melhor = grupo;
    return melhor;
  }

  std::string Linhas(const Segmento& aSegmento) const {
    std::map<std::string, std::string> atuais;
    std::vector<std::string> restantes;
    for (const auto& [campo, valor] : aSegmento.valores) {
      atuais[campo] = valor;
      if (std::find(restantes.begin(), restantes.end(), campo) == restantes.end()) restantes.push_back(campo);
    }
    std::vector<std::string> escolhidos;
    const std::string abertura = GrupoDeAbertura(aSegmento.abertura, restantes);
    auto cobre = [&](const std::string& aGrupo) {
      const auto& campos = grupos_.at(aGrupo);
      restantes.erase(std::remove_if(restantes.begin(), restantes.end(),
                                     [&](const std::string& c) {
                                       return std::find(campos.begin(), campos.end(), c) != campos.end();
                                     }),
                      restantes.end());
      escolhidos.push_back(aGrupo);
    };
    if (!abertura.empty()) cobre(abertura);
    while (!restantes.empty()) {
      std::string melhor;
      size_t melhorQtde = 0;
      const auto posicoes = posicoes_.find(restantes.front());
      if (posicoes == posicoes_.end()) throw std::runtime_error("campo sem posição nos registros: " + restantes.front());
      for (const Posicao& pos : posicoes->second) {
        if (!Permitido(pos.grupo, aSegmento.abertura)) continue;
        const size_t qtde = Cobertos(pos.grupo, restantes);
        if (qtde > melhorQtde) melhor = pos.grupo, melhorQtde = qtde;
      }
      if (melhor.empty()) throw std::runtime_error("campo sem grupo possível: " + restantes.front());
      cobre(melhor);
    }
    // Lines that open something come first; the others follow in the order of their values.
    std::stable_partition(escolhidos.begin(), escolhidos.end(),
                          [](const std::string& g) { return !Comando(g).empty(); });
    std::string texto;
    for (const std::string& grupo : escolhidos) {
      texto += grupo;
      const auto& campos = grupos_.at(grupo);
      for (size_t p = 2; p < campos.size(); ++p) {
        const auto atual = campos[p].empty() ? atuais.end() : atuais.find(campos[p]);
        texto += "|" + (atual == atuais.end() ? std::string() : atual->second);
      }
      texto += "|\r\n";
    }
    return texto;
  }

  std::map<std::string, std::vector<Posicao>> posicoes_;
  std::map<std::string, std::vector<std::string>> grupos_;  // group -> field at each position
  std::set<std::string> ocultos_;
};

}  // namespace moxtest
