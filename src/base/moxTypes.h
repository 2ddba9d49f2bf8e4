#pragma once
// Enumerations shared by every layer of the component.

namespace mox {

enum class TVersaoManual { vm202a, vm30, vm40, vm50, vm50a, vm60 };

// Schema packages, in release order; each layout converter derives from the previous one.
enum class TVersaoEsquema {
  pl_005a, pl_005b, pl_005c, pl_005d, pl_005f,
  pl_006e, pl_006f, pl_006g, pl_006i, pl_006j, pl_006m, pl_006n, pl_006p, pl_006q,
  pl_006r, pl_006s, pl_006t, pl_006u, pl_006v,
  pl_008a, pl_008b, pl_008c, pl_008d, pl_008e, pl_008f, pl_008g, pl_008h, pl_008i, pl_008i1,
  pl_009, pl_010
};

enum class TAmbienteKind { akProducao, akHomologacao };

enum class TModoOperacao { moNormal, moSVCAN, moSVCRS, moEPEC };

// The ordinal is what the services server receives as CertificateType.
enum class TCertificadoKind { ckMemory, ckLocalMachine, ckFile, ckActiveDiretory, ckSmartCard };

enum class TEntregaXML { exEmail, exCofral };

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// Recipient manifestation events; the value is the event code.
enum class TTipoManifestacaoDestinatario {
  tmdConfirmacaoOperacao = 210200,
  tmdCienciaOperacao = 210210,
  tmdDesconhecimentoOperacao = 210220,
  tmdOperacaoNaoRealizada = 210240
};

// ICMS-suspension extension requests (first and second term) and their cancellation.
enum class TTipoPedidoProrrogacao { tEPP1, tEPP2 };
enum class TTipoCancelamentoPedidoProrrogacao { tECPP1, tECPP2 };

}  // namespace mox
