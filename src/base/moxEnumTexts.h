#pragma once
// The texts of the component's enumerations, both ways.
#include <string>

#include "base/moxTypes.h"
#include "external/MailSender.h"

namespace mox {

// "2.0.2a", "3.0", "4.0", "5.0", "5.0a", "6.0".
std::string VersaoManualToStr(TVersaoManual aVersao);
// Exact, case-sensitive match of the texts above; anything else raises
// EmoxNFeVersaoManualException.
TVersaoManual StrToVersaoManual(const std::string& aVersao);

// The package name, e.g. "pl_008i1".
std::string VersaoEsquemaToStr(TVersaoEsquema aVersao);
// The folder of a manual version under the templates and schemas folders: "vm30" (also for
// 2.0.2a), "vm40", "vm50", "vm50a".
std::string PastaVersaoManual(TVersaoManual aVersao);

// The package named by its text, letter case ignored ("PL_008i1" included); anything else raises
// EmoxNFeVersaoEsquemaException.
TVersaoEsquema StrToVersaoEsquema(const std::string& aVersao);
// The manual version a schema package belongs to (never vm202a).
TVersaoManual GetVersaoManualDoEsquema(TVersaoEsquema aVersao);

std::string ModoOperacaoToString(TModoOperacao aModo);
// Case-insensitive; an unknown text raises EmoxNFeModoOperacaoException.
TModoOperacao StrToModoOperacao(const std::string& aModo);

// E-mail connection protection: "automatica", "nenhuma", "starttls", "tls" (any case).
std::string SegurancaEmailToStr(TMailSecurity aSeguranca);
TMailSecurity StrToSegurancaEmail(const std::string& aSeguranca);

std::string TipoCertificadoToString(TCertificadoKind aTipo);
// Case-insensitive; an unknown text gives ckFile.
TCertificadoKind StrToTipoCertificado(const std::string& aTipo);

// "1" for production, "2" for homologation.
std::string GetTipoAmbiente(TAmbienteKind aAmbiente);

// The event description written in the manifestation; empty for an unknown value.
std::string GetDescricaoManifestacao(TTipoManifestacaoDestinatario aTipo);

// Event codes of the extension requests and of their cancellation.
std::string tpEvePedProrrogacaoToStr(TTipoPedidoProrrogacao aTipo);
std::string tpEveCanPedProrrogacaoToStr(TTipoCancelamentoPedidoProrrogacao aTipo);

}  // namespace mox
