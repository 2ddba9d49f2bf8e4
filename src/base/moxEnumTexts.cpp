#include "base/moxEnumTexts.h"

#include <array>
#include <cctype>
#include <utility>

#include "base/EmoxException.h"
#include "external/AsciiCase.h"

namespace mox {

namespace {

constexpr std::array<const char*, 6> kVersoesManual = {"2.0.2a", "3.0", "4.0", "5.0", "5.0a", "6.0"};

constexpr std::array<const char*, 31> kVersoesEsquema = {
    "pl_005a", "pl_005b", "pl_005c", "pl_005d", "pl_005f", "pl_006e", "pl_006f", "pl_006g",
    "pl_006i", "pl_006j", "pl_006m", "pl_006n", "pl_006p", "pl_006q", "pl_006r", "pl_006s",
    "pl_006t", "pl_006u", "pl_006v", "pl_008a", "pl_008b", "pl_008c", "pl_008d", "pl_008e",
    "pl_008f", "pl_008g", "pl_008h", "pl_008i", "pl_008i1", "pl_009",  "pl_010"};

constexpr std::array<std::pair<TCertificadoKind, const char*>, 5> kTiposCertificado = {{
    {TCertificadoKind::ckMemory, "MEMORY"},
    {TCertificadoKind::ckLocalMachine, "LOCALMACHINE"},
    {TCertificadoKind::ckFile, "FILE"},
    {TCertificadoKind::ckActiveDiretory, "ACTIVEDIRECTORY"},
    {TCertificadoKind::ckSmartCard, "SMARTCARD"},
}};


}  // namespace

std::string VersaoManualToStr(TVersaoManual aVersao) {
  auto i = static_cast<size_t>(aVersao);
  if (i >= kVersoesManual.size())
    throw EmoxNFeVersaoManualException::CreateFmt("Versão do Manual desconhecida: %d", {static_cast<int>(i)});
  return kVersoesManual[i];
}

TVersaoManual StrToVersaoManual(const std::string& aVersao) {
  for (size_t i = 0; i < kVersoesManual.size(); ++i)
    if (aVersao == kVersoesManual[i]) return static_cast<TVersaoManual>(i);
  throw EmoxNFeVersaoManualException::CreateFmt(
      "Versão do Manual informada: %s não é suportada. \rUtilize: 2.0.2a, 3.0, 4.0, 5.0, 5.0a ou 6.0", {aVersao});
}

std::string VersaoEsquemaToStr(TVersaoEsquema aVersao) {
  auto i = static_cast<size_t>(aVersao);
  if (i >= kVersoesEsquema.size())
    throw EmoxNFeVersaoEsquemaException::CreateFmt("Versão de Esquema desconhecida: %d", {static_cast<int>(i)});
  return kVersoesEsquema[i];
}

std::string PastaVersaoManual(TVersaoManual aVersao) {
  switch (aVersao) {
    case TVersaoManual::vm202a:
    case TVersaoManual::vm30: return "vm30";
    case TVersaoManual::vm40: return "vm40";
    case TVersaoManual::vm50: return "vm50";
    case TVersaoManual::vm50a: return "vm50a";
    case TVersaoManual::vm60: return "vm60";
  }
  throw EmoxNFeVersaoManualException::CreateFmt("Versão do Manual desconhecida: %d", {static_cast<int>(aVersao)});
}

TVersaoEsquema StrToVersaoEsquema(const std::string& aVersao) {
  const std::string lower = LowerAscii(aVersao);
  for (size_t i = 0; i < kVersoesEsquema.size(); ++i)
    if (lower == kVersoesEsquema[i]) return static_cast<TVersaoEsquema>(i);
  throw EmoxNFeVersaoEsquemaException::CreateFmt(
      "Versão de Esquema informada: %s não é suportada. \rUtilize um pacote de pl_005a a pl_010.", {aVersao});
}

TVersaoManual GetVersaoManualDoEsquema(TVersaoEsquema aVersao) {
  using E = TVersaoEsquema;
  auto in = [aVersao](E aFirst, E aLast) { return aVersao >= aFirst && aVersao <= aLast; };
  if (in(E::pl_005a, E::pl_005f)) return TVersaoManual::vm30;
  if (in(E::pl_006e, E::pl_006j)) return TVersaoManual::vm40;
  if (in(E::pl_006m, E::pl_006v)) return TVersaoManual::vm50;
  if (in(E::pl_008a, E::pl_008i1)) return TVersaoManual::vm50a;
  if (in(E::pl_009, E::pl_010)) return TVersaoManual::vm60;
  throw EmoxNFeVersaoManualException("A Versão de Esquema não está referenciada a nenhuma versão de Manual de Integração.");
}

std::string ModoOperacaoToString(TModoOperacao aModo) {
  switch (aModo) {
    case TModoOperacao::moSVCAN: return "SVCAN";
    case TModoOperacao::moSVCRS: return "SVCRS";
    case TModoOperacao::moEPEC: return "EPEC";
    default: return "NORMAL";
  }
}

TModoOperacao StrToModoOperacao(const std::string& aModo) {
  const std::string modo = UpperAscii(aModo);
  if (modo == "NORMAL") return TModoOperacao::moNormal;
  if (modo == "SVCAN") return TModoOperacao::moSVCAN;
  if (modo == "SVCRS") return TModoOperacao::moSVCRS;
  if (modo == "EPEC") return TModoOperacao::moEPEC;
  throw EmoxNFeModoOperacaoException::CreateFmt(
      "Modo Operação informado: %s não é suportado. \rUtilize: Normal, EPEC, SVCAN ou SVCRS", {aModo});
}

namespace {

constexpr std::array<std::pair<TMailSecurity, const char*>, 4> kSegurancasEmail{{
    {TMailSecurity::Automatic, "automatica"},
    {TMailSecurity::None, "nenhuma"},
    {TMailSecurity::StartTls, "starttls"},
    {TMailSecurity::Implicit, "tls"},
}};

}  // namespace

std::string SegurancaEmailToStr(TMailSecurity aSeguranca) {
  for (const auto& [seguranca, texto] : kSegurancasEmail)
    if (seguranca == aSeguranca) return texto;
  return "automatica";
}

TMailSecurity StrToSegurancaEmail(const std::string& aSeguranca) {
  const std::string texto = LowerAscii(aSeguranca);
  if (texto.empty()) return TMailSecurity::Automatic;
  for (const auto& [seguranca, nome] : kSegurancasEmail)
    if (texto == nome) return seguranca;
  throw EmoxCheckParams::CreateFmt(
      "Segurança do e-mail informada: %s não é suportada. Utilize: automatica, nenhuma, starttls ou tls", {aSeguranca});
}

std::string TipoCertificadoToString(TCertificadoKind aTipo) {
  for (const auto& [tipo, texto] : kTiposCertificado)
    if (tipo == aTipo) return texto;
  return "FILE";
}

TCertificadoKind StrToTipoCertificado(const std::string& aTipo) {
  const std::string tipo = UpperAscii(aTipo);
  for (const auto& [kind, texto] : kTiposCertificado)
    if (tipo == texto) return kind;
  return TCertificadoKind::ckFile;
}

std::string GetTipoAmbiente(TAmbienteKind aAmbiente) {
  return aAmbiente == TAmbienteKind::akProducao ? "1" : "2";
}

std::string GetDescricaoManifestacao(TTipoManifestacaoDestinatario aTipo) {
  switch (aTipo) {
    case TTipoManifestacaoDestinatario::tmdConfirmacaoOperacao: return "Confirmacao da Operacao";
    case TTipoManifestacaoDestinatario::tmdCienciaOperacao: return "Ciencia da Operacao";
    case TTipoManifestacaoDestinatario::tmdDesconhecimentoOperacao: return "Desconhecimento da Operacao";
    case TTipoManifestacaoDestinatario::tmdOperacaoNaoRealizada: return "Operacao nao Realizada";
  }
  return {};
}

std::string tpEvePedProrrogacaoToStr(TTipoPedidoProrrogacao aTipo) {
  return aTipo == TTipoPedidoProrrogacao::tEPP1 ? "111500" : "111501";
}

std::string tpEveCanPedProrrogacaoToStr(TTipoCancelamentoPedidoProrrogacao aTipo) {
  return aTipo == TTipoCancelamentoPedidoProrrogacao::tECPP1 ? "111502" : "111503";
}

}  // namespace mox
