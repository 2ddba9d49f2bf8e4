#include "rules/moxListasNFe.h"


#include "external/AsciiCase.h"

namespace mox {

namespace {

using sv = std::string_view;

constexpr sv kCombustivel[] = {
    "1651", "1652", "1653", "1658", "1659", "1660", "1661", "1662", "1663", "1664", "2651", "2652",
    "2653", "2658", "2659", "2660", "2661", "2662", "2663", "2664", "3651", "3652", "3653", "5651",
    "5652", "5653", "5654", "5655", "5656", "5657", "5658", "5659", "5660", "5661", "5662", "5663",
    "5664", "5665", "5666", "5667", "6651", "6652", "6653", "6654", "6655", "6656", "6657", "6658",
    "6659", "6660", "6661", "6662", "6663", "6664", "6665", "6666", "6667", "7651", "7654", "7667"};

constexpr sv kVendaCombustivel[] = {
    "1651", "1652", "1653", "1658", "1659", "1660", "1661", "1662", "2651", "2652", "2653", "2658",
    "2659", "2660", "2661", "2662", "5651", "5652", "5653", "5654", "5655", "5656", "5657", "5658",
    "5659", "5660", "5661", "5662", "5666", "5667", "6651", "6652", "6653", "6654", "6655", "6656",
    "6657", "6658", "6659", "6660", "6661", "6662", "6666", "6667", "7651", "7654", "7667"};

constexpr sv kDevolucao[] = {
    "1201", "1202", "1203", "1204", "1208", "1209", "1410", "1411", "1503", "1504", "1505", "1506", "1553",
    "1660", "1661", "1662", "1918", "1919", "2201", "2202", "2203", "2204", "2208", "2209", "2410", "2411",
    "2503", "2504", "2505", "2506", "2553", "2660", "2661", "2662", "2918", "2919", "3201", "3202", "3211",
    "3503", "3553", "5201", "5202", "5208", "5209", "5210", "5410", "5411", "5412", "5413", "5503", "5553",
    "5555", "5556", "5660", "5661", "5662", "5918", "5919", "5921", "6201", "6202", "6208", "6209", "6210",
    "6410", "6411", "6412", "6413", "6503", "6553", "6555", "6556", "6660", "6661", "6662", "6918", "6919",
    "6921", "7201", "7202", "7210", "7211", "7553", "7556"};

constexpr sv kIsentoInterestadual[] = {"6201", "6202", "6208", "6209", "6210", "6410", "6411", "6412",
                                       "6413", "6503", "6553", "6555", "6556", "6660", "6661", "6662",
                                       "6664", "6665", "6902", "6903", "6906", "6907", "6909", "6913",
                                       "6916", "6918", "6919", "6921", "6925"};

constexpr sv kIsencaoZFM2012[] = {"1203", "1204", "1208", "1209", "2203", "2204", "2208", "2209", "5109",
                                  "5110", "5151", "5152", "5658", "6109", "6110", "6122", "6123", "6151",
                                  "6152", "6910", "5910", "5120", "5651", "5652", "5654", "5655", "5658",
                                  "5659", "5910", "6120", "6658", "6659", "6910"};

constexpr sv kIsencaoZFM2013[] = {"1203", "1204", "1208", "1209", "2203", "2204", "2208", "2209",
                                  "5109", "5110", "5120", "5151", "5152", "5651", "5652", "5654",
                                  "5655", "5658", "5659", "6109", "6110", "6120", "6122", "6123",
                                  "6151", "6152", "6651", "6652", "6654", "6655", "6658", "6659"};

constexpr sv kIsentoUFDestino[] = {
    "1414", "1415", "1451", "1452", "1554", "1664", "1902", "1903", "1904", "1906", "1907", "1909", "1913",
    "1914", "1916", "1921", "1925", "2414", "2415", "2554", "2664", "2902", "2903", "2904", "2906", "2907",
    "2909", "2913", "2914", "2916", "2921", "2925", "5664", "5665", "5902", "5903", "5906", "5907", "5909",
    "5913", "5916", "5925", "6664", "6665", "6902", "6903", "6906", "6907", "6909", "6913", "6916", "6925"};

constexpr sv kRemessa[] = {"5915", "5916", "6915", "6916", "5912", "5913"};

constexpr sv kGas[] = {"820101001", "820101010", "810102001", "810102004", "810102002",
                       "810102003", "810101002", "810101001", "810101003", "220101003",
                       "220101004", "220101002", "220101001", "220101005", "220101006"};

constexpr sv kGasNatural[] = {"220101001", "220101002", "220101003", "220101004", "220101005", "220101006"};

constexpr sv kUFSudeste[] = {"SP", "RJ", "PR", "MG", "RS", "SC"};

constexpr sv kUFNorte[] = {"AM", "RR", "AP", "PA", "TO", "RO", "AC", "MA", "PI",
                           "CE", "RN", "PE", "PB", "SE", "AL", "BA", "ES"};

template <size_t N>
constexpr TCodigosLista Lista(const sv (&aCodigos)[N]) {
  return {aCodigos, N};
}

}  // namespace

TCodigosLista CodigosDaLista(TListaNFe aLista) {
  switch (aLista) {
    case TListaNFe::Combustivel: return Lista(kCombustivel);
    case TListaNFe::VendaCombustivel: return Lista(kVendaCombustivel);
    case TListaNFe::Devolucao: return Lista(kDevolucao);
    case TListaNFe::IsentoInterestadual: return Lista(kIsentoInterestadual);
    case TListaNFe::IsencaoZFM2012: return Lista(kIsencaoZFM2012);
    case TListaNFe::IsencaoZFM2013: return Lista(kIsencaoZFM2013);
    case TListaNFe::IsentoUFDestino: return Lista(kIsentoUFDestino);
    case TListaNFe::Remessa: return Lista(kRemessa);
    case TListaNFe::Gas: return Lista(kGas);
    case TListaNFe::GasNatural: return Lista(kGasNatural);
    case TListaNFe::UFSudeste: return Lista(kUFSudeste);
    case TListaNFe::UFNorte: return Lista(kUFNorte);
  }
  return {nullptr, 0};
}

bool NaLista(TListaNFe aLista, std::string_view aValor) {
  const TCodigosLista lista = CodigosDaLista(aLista);
  for (size_t i = 0; i < lista.quantidade; ++i)
    if (EqualsIgnoreCase(lista.codigos[i], aValor)) return true;
  return false;
}

}  // namespace mox
