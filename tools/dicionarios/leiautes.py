"""What the dictionaries of each manual version are made of.

Item numbers. The schemas do not carry the item numbers of the official layout tables, so they
are derived: walking the infNFe element in document order (attributes before children), every
element takes the number after the previous one ("B02" -> "B03", "C02a" -> "C03"), except where
the layout starts a new group letter, inserts a lettered item ("B11a") or skips numbers. Those
points are the anchors below; they are the numbers the field names of the converters, readers and
rules use, and the layout tables of each version. Where a tag repeats inside one group (orig in
every ICMS situation, CST in every PIS situation) the anchor names it once for all of them with a
"*" standing for any one element.

Data sets. Every field belongs to the data set of the longest path prefix listed in
COMMON_DATA_SETS; a prefix mapped to None is left out of the dictionaries.
"""

# --- Item anchors of the 3.10 layout (manual 5.0a).
ANCHORS_310 = {
    '': 'A01', '@versao': 'A02', '@Id': 'A03',
    'ide': 'B01', 'ide/idDest': 'B11a', 'ide/tpImp': 'B21', 'ide/indFinal': 'B25a', 'ide/indPres': 'B25b',
    'ide/NFref': 'BA01',
    'emit': 'C01', 'emit/CPF': 'C02a',
    'avulsa': 'D01',
    'dest': 'E01', 'dest/idEstrangeiro': 'E03a', 'dest/indIEDest': 'E16a', 'dest/IM': 'E18a',
    'retirada': 'F01', 'retirada/CPF': 'F02a',
    'entrega': 'G01', 'entrega/CPF': 'G02a',
    'autXML': 'GA01',
    'det': 'H01',
    'det/prod': 'I01', 'det/prod/NVE': 'I05a', 'det/prod/CEST': 'I05c', 'det/prod/EXTIPI': 'I06',
    'det/prod/CFOP': 'I08', 'det/prod/vUnCom': 'I10a', 'det/prod/vUnTrib': 'I14a', 'det/prod/vOutro': 'I17a',
    'det/prod/indTot': 'I17b', 'det/prod/DI': 'I18', 'det/prod/DI/tpViaTransp': 'I23a',
    'det/prod/DI/vAFRMM': 'I23b', 'det/prod/DI/tpIntermedio': 'I23c', 'det/prod/DI/CNPJ': 'I23d',
    'det/prod/DI/UFTerceiro': 'I23e', 'det/prod/DI/cExportador': 'I24', 'det/prod/DI/adi/nDraw': 'I29a',
    'det/prod/detExport': 'I50', 'det/prod/xPed': 'I60', 'det/prod/nFCI': 'I70',
    'det/prod/veicProd': 'J01', 'det/prod/veicProd/anoMod': 'J16',
    'det/prod/med': 'K01', 'det/prod/arma': 'L01', 'det/prod/comb': 'LA01', 'det/prod/nRECOPI': 'LB01',
    'det/imposto': 'M01',
    'det/imposto/ICMS': 'N01',
    'det/imposto/ICMS/ICMS00': 'N02', 'det/imposto/ICMS/ICMS10': 'N03', 'det/imposto/ICMS/ICMS20': 'N04',
    'det/imposto/ICMS/ICMS30': 'N05', 'det/imposto/ICMS/ICMS40': 'N06', 'det/imposto/ICMS/ICMS51': 'N07',
    'det/imposto/ICMS/ICMS60': 'N08', 'det/imposto/ICMS/ICMS70': 'N09', 'det/imposto/ICMS/ICMS90': 'N10',
    'det/imposto/ICMS/ICMSPart': 'N10a', 'det/imposto/ICMS/ICMSST': 'N10b',
    'det/imposto/ICMS/ICMSSN101': 'N10c', 'det/imposto/ICMS/ICMSSN102': 'N10d',
    'det/imposto/ICMS/ICMSSN201': 'N10e', 'det/imposto/ICMS/ICMSSN202': 'N10f',
    'det/imposto/ICMS/ICMSSN500': 'N10g', 'det/imposto/ICMS/ICMSSN900': 'N10h',
    'det/imposto/ICMS/*/orig': 'N11', 'det/imposto/ICMS/*/CST': 'N12', 'det/imposto/ICMS/*/CSOSN': 'N12a',
    'det/imposto/ICMS/*/modBC': 'N13', 'det/imposto/ICMS/*/pRedBC': 'N14', 'det/imposto/ICMS/*/vBC': 'N15',
    'det/imposto/ICMS/*/pICMS': 'N16', 'det/imposto/ICMS/*/vICMSOp': 'N16a', 'det/imposto/ICMS/*/pDif': 'N16b',
    'det/imposto/ICMS/*/vICMSDif': 'N16c', 'det/imposto/ICMS/*/vICMS': 'N17', 'det/imposto/ICMS/*/modBCST': 'N18',
    'det/imposto/ICMS/*/pMVAST': 'N19', 'det/imposto/ICMS/*/pRedBCST': 'N20', 'det/imposto/ICMS/*/vBCST': 'N21',
    'det/imposto/ICMS/*/pICMSST': 'N22', 'det/imposto/ICMS/*/vICMSST': 'N23', 'det/imposto/ICMS/*/UFST': 'N24',
    'det/imposto/ICMS/*/pBCOp': 'N25', 'det/imposto/ICMS/*/vBCSTRet': 'N26',
    'det/imposto/ICMS/*/vICMSSTRet': 'N27', 'det/imposto/ICMS/*/vICMSDeson': 'N27a',
    'det/imposto/ICMS/*/motDesICMS': 'N28', 'det/imposto/ICMS/*/pCredSN': 'N29',
    'det/imposto/ICMS/*/vCredICMSSN': 'N30', 'det/imposto/ICMS/*/vBCSTDest': 'N31',
    'det/imposto/ICMS/*/vICMSSTDest': 'N32',
    'det/imposto/IPI': 'O01', 'det/imposto/IPI/IPITrib': 'O07', 'det/imposto/IPI/IPINT': 'O08',
    'det/imposto/IPI/*/CST': 'O09', 'det/imposto/IPI/IPITrib/vBC': 'O10', 'det/imposto/IPI/IPITrib/qUnid': 'O11',
    'det/imposto/IPI/IPITrib/vUnid': 'O12', 'det/imposto/IPI/IPITrib/pIPI': 'O13',
    'det/imposto/IPI/IPITrib/vIPI': 'O14',
    'det/imposto/II': 'P01',
    'det/imposto/ISSQN': 'U01',
    'det/imposto/PIS': 'Q01', 'det/imposto/PIS/PISAliq': 'Q02', 'det/imposto/PIS/PISQtde': 'Q03',
    'det/imposto/PIS/PISNT': 'Q04', 'det/imposto/PIS/PISOutr': 'Q05', 'det/imposto/PIS/*/CST': 'Q06',
    'det/imposto/PIS/*/vBC': 'Q07', 'det/imposto/PIS/*/pPIS': 'Q08', 'det/imposto/PIS/*/vPIS': 'Q09',
    'det/imposto/PIS/*/qBCProd': 'Q10', 'det/imposto/PIS/*/vAliqProd': 'Q11',
    'det/imposto/PISST': 'R01',
    'det/imposto/COFINS': 'S01', 'det/imposto/COFINS/COFINSAliq': 'S02', 'det/imposto/COFINS/COFINSQtde': 'S03',
    'det/imposto/COFINS/COFINSNT': 'S04', 'det/imposto/COFINS/COFINSOutr': 'S05',
    'det/imposto/COFINS/*/CST': 'S06', 'det/imposto/COFINS/*/vBC': 'S07', 'det/imposto/COFINS/*/pCOFINS': 'S08',
    'det/imposto/COFINS/*/qBCProd': 'S09', 'det/imposto/COFINS/*/vAliqProd': 'S10',
    'det/imposto/COFINS/*/vCOFINS': 'S11',
    'det/imposto/COFINSST': 'T01',
    'det/imposto/ICMSUFDest': 'NA01', 'det/imposto/ICMSUFDest/vBCUFDest': 'NA03',
    'det/imposto/ICMSUFDest/pFCPUFDest': 'NA05', 'det/imposto/ICMSUFDest/pICMSUFDest': 'NA07',
    'det/imposto/ICMSUFDest/pICMSInter': 'NA09', 'det/imposto/ICMSUFDest/pICMSInterPart': 'NA11',
    'det/imposto/ICMSUFDest/vFCPUFDest': 'NA13', 'det/imposto/ICMSUFDest/vICMSUFDest': 'NA15',
    'det/imposto/ICMSUFDest/vICMSUFRemet': 'NA17',
    'det/impostoDevol': 'UA01',
    'det/infAdProd': 'V01',
    'total': 'W01', 'total/ICMSTot/vICMSDeson': 'W04a', 'total/ICMSTot/vFCPUFDest': 'W04c',
    'total/ICMSTot/vICMSUFDest': 'W04e', 'total/ICMSTot/vICMSUFRemet': 'W04g', 'total/ICMSTot/vBCST': 'W05',
    'total/ICMSTot/vTotTrib': 'W16a', 'total/ISSQNtot': 'W17', 'total/ISSQNtot/dCompet': 'W22a',
    'total/ISSQNtot/vDeducao': 'W22b', 'total/ISSQNtot/vOutro': 'W22c', 'total/ISSQNtot/vDescIncond': 'W22d',
    'total/ISSQNtot/vDescCond': 'W22e', 'total/ISSQNtot/vISSRet': 'W22f', 'total/ISSQNtot/cRegTrib': 'W22g',
    'total/retTrib': 'W23',
    'transp': 'X01', 'transp/vagao': 'X25a', 'transp/balsa': 'X25b', 'transp/vol': 'X26',
    'cobr': 'Y01', 'pag': 'YA01', 'pag/card/tpIntegra': 'YA04a',
    'infAdic': 'Z01', 'exporta': 'ZA01', 'compra': 'ZB01', 'cana': 'ZC01',
}

# --- The 2.00 layout (manuals 4.0 and 5.0): dates without time, the older reference numbers,
# fuel as group L1 with its consumption UF numbered as in 1.10.
ANCHORS_200 = dict(ANCHORS_310)
ANCHORS_200.update({
    'ide/hSaiEnt': 'B10a', 'ide/NFref': 'B12a',
    'ide/NFref/refNFP': 'B20a', 'ide/NFref/refNFP/cUF': 'B20b', 'ide/NFref/refNFP/AAMM': 'B20c',
    'ide/NFref/refNFP/CNPJ': 'B20d', 'ide/NFref/refNFP/CPF': 'B20e', 'ide/NFref/refNFP/IE': 'B20f',
    'ide/NFref/refNFP/mod': 'B20g', 'ide/NFref/refNFP/serie': 'B20h', 'ide/NFref/refNFP/nNF': 'B20ha',
    'ide/NFref/refCTe': 'B20i', 'ide/NFref/refECF': 'B20j', 'ide/NFref/refECF/mod': 'B20k',
    'ide/NFref/refECF/nECF': 'B20l', 'ide/NFref/refECF/nCOO': 'B20m',
    'det/prod/xPed': 'I30',
    'det/prod/comb': 'L101', 'det/prod/comb/UFCons': 'L120', 'det/prod/comb/CIDE': 'L105',
})

# --- The 4.00 layout (PL_009) with the tax-reform groups (PL_010). Items kept from 3.10 keep their
# numbers, so the field names of the readers and rules stay; the new items take the numbers of
# the 4.00 layout tables where they do not collide with a 3.10 number.
ANCHORS_400 = dict(ANCHORS_310)
ANCHORS_400.update({
    'ide/mod': 'B06', 'ide/dPrevEntrega': 'B10a', 'ide/cMunFGIBS': 'B12a', 'ide/tpNFDebito': 'B25d',
    'ide/tpNFCredito': 'B25e', 'ide/indIntermed': 'B25c', 'ide/procEmi': 'B26',
    'ide/NFref/refNFeSig': 'BA02a', 'ide/NFref/refNF': 'BA03',
    'ide/gCompraGov': 'B31', 'ide/gPagAntecipado': 'BB01',
    'retirada/xNome': 'F02b', 'retirada/xLgr': 'F03', 'entrega/xNome': 'G02b', 'entrega/xLgr': 'G03',
    'det/prod/cBarra': 'I03a', 'det/prod/xProd': 'I04', 'det/prod/indEscala': 'I05d', 'det/prod/CNPJFab': 'I05e',
    'det/prod/cBenef': 'I05f', 'det/prod/gCred': 'I05g',
    'det/prod/gCred/cCredPresumido': 'I05h', 'det/prod/gCred/pCredPresumido': 'I05i',
    'det/prod/gCred/vCredPresumido': 'I05j', 'det/prod/tpCredPresIBSZFM': 'I05k',
    'det/prod/cBarraTrib': 'I12a', 'det/prod/uTrib': 'I13', 'det/prod/vFrete': 'I15',
    'det/prod/indBemMovelUsado': 'I17c', 'det/prod/DI/CPF': 'I23da', 'det/prod/rastro': 'I80',
    'det/prod/med': 'K01', 'det/prod/med/cProdANVISA': 'K01a', 'det/prod/med/vPMC': 'K06',
    'det/prod/comb/descANP': 'LA03', 'det/prod/comb/pGLP': 'LA03a', 'det/prod/comb/pGNn': 'LA03b',
    'det/prod/comb/pGNi': 'LA03c', 'det/prod/comb/vPart': 'LA03d', 'det/prod/comb/CODIF': 'LA04',
    'det/prod/med/xMotivoIsencao': 'K01b',
    'det/prod/comb/CIDE': 'LA07', 'det/prod/comb/encerrante': 'LA11', 'det/prod/comb/pBio': 'LA17',
    'det/imposto/ICMS/*/pFCP': 'N17b', 'det/imposto/ICMS/*/vFCP': 'N17c', 'det/imposto/ICMS/*/vBCFCP': 'N17a',
    'det/imposto/ICMS/*/pFCPDif': 'N17d', 'det/imposto/ICMS/*/vFCPDif': 'N17e', 'det/imposto/ICMS/*/vFCPEfet': 'N17f',
    'det/imposto/ICMS/*/vBCFCPST': 'N23a', 'det/imposto/ICMS/*/pFCPST': 'N23b', 'det/imposto/ICMS/*/vFCPST': 'N23d',
    'det/imposto/ICMS/*/pST': 'N26a', 'det/imposto/ICMS/*/vICMSSubstituto': 'N26b',
    'det/imposto/ICMS/*/vBCFCPSTRet': 'N27b', 'det/imposto/ICMS/*/pFCPSTRet': 'N27c',
    'det/imposto/ICMS/*/vFCPSTRet': 'N27d', 'det/imposto/ICMS/*/indDeduzDeson': 'N28b',
    'det/imposto/ICMS/*/vICMSSTDeson': 'N33a', 'det/imposto/ICMS/*/motDesICMSST': 'N33b',
    'det/imposto/ICMS/*/pRedBCEfet': 'N34', 'det/imposto/ICMS/*/vBCEfet': 'N35',
    'det/imposto/ICMS/*/pICMSEfet': 'N36', 'det/imposto/ICMS/*/vICMSEfet': 'N37',
    'det/imposto/ICMS/*/cBenefRBC': 'N14a',
    'det/imposto/ICMS/ICMS02': 'N02a', 'det/imposto/ICMS/ICMS15': 'N03a', 'det/imposto/ICMS/ICMS53': 'N07a',
    'det/imposto/ICMS/ICMS61': 'N08a',
    'det/imposto/ICMS/*/qBCMono': 'N38', 'det/imposto/ICMS/*/adRemICMS': 'N39', 'det/imposto/ICMS/*/vICMSMono': 'N40',
    'det/imposto/ICMS/*/qBCMonoReten': 'N41', 'det/imposto/ICMS/*/adRemICMSReten': 'N42',
    'det/imposto/ICMS/*/vICMSMonoReten': 'N43', 'det/imposto/ICMS/*/pRedAdRem': 'N44',
    'det/imposto/ICMS/*/motRedAdRem': 'N45', 'det/imposto/ICMS/*/vICMSMonoOp': 'N46',
    'det/imposto/ICMS/*/vICMSMonoDif': 'N47', 'det/imposto/ICMS/*/qBCMonoDif': 'N48',
    'det/imposto/ICMS/*/adRemICMSDif': 'N49', 'det/imposto/ICMS/*/qBCMonoRet': 'N50',
    'det/imposto/ICMS/*/adRemICMSRet': 'N51', 'det/imposto/ICMS/*/vICMSMonoRet': 'N52',
    'det/imposto/IPI/CNPJProd': 'O03',
    'det/imposto/ICMSUFDest/vBCFCPUFDest': 'NA04',
    'det/imposto/IS': 'UB01', 'det/imposto/IBSCBS': 'UB12',
    'det/imposto/IBSCBS/gIBSCBS/gTribRegular': 'UB68', 'det/imposto/IBSCBS/gIBSCBS/gTribCompraGov': 'UB82a',
    'det/imposto/IBSCBS/gIBSCBS/gTribCompraGov/pAliqIBSUF': 'UB82b',
    'det/imposto/IBSCBS/gIBSCBS/gTribCompraGov/vTribIBSUF': 'UB82c',
    'det/imposto/IBSCBS/gIBSCBS/gTribCompraGov/pAliqIBSMun': 'UB82d',
    'det/imposto/IBSCBS/gIBSCBS/gTribCompraGov/vTribIBSMun': 'UB82e',
    'det/imposto/IBSCBS/gIBSCBS/gTribCompraGov/pAliqCBS': 'UB82f',
    'det/imposto/IBSCBS/gIBSCBS/gTribCompraGov/vTribCBS': 'UB82g',
    'det/imposto/IBSCBS/gIBSCBSMono': 'UB84', 'det/imposto/IBSCBS/gTransfCred': 'UB110',
    'det/imposto/IBSCBS/gAjusteCompet': 'UB112', 'det/imposto/IBSCBS/gEstornoCred': 'UB116',
    'det/imposto/IBSCBS/gCredPresOper': 'UB120', 'det/imposto/IBSCBS/gCredPresIBSZFM': 'UB131',
    'det/obsItem': 'VA01', 'det/vItem': 'VB01', 'det/DFeReferenciado': 'VC01',
    'total/ICMSTot/vFCP': 'W04h', 'total/ICMSTot/vBCST': 'W05', 'total/ICMSTot/vFCPST': 'W06a',
    'total/ICMSTot/vFCPSTRet': 'W06b', 'total/ICMSTot/qBCMono': 'W06c', 'total/ICMSTot/vICMSMono': 'W06d',
    'total/ICMSTot/qBCMonoReten': 'W06e', 'total/ICMSTot/vICMSMonoReten': 'W06f', 'total/ICMSTot/qBCMonoRet': 'W06g',
    'total/ICMSTot/vICMSMonoRet': 'W06h', 'total/ICMSTot/vProd': 'W07', 'total/ICMSTot/vIPIDevol': 'W12a',
    'total/ICMSTot/vPIS': 'W13', 'total/ISTot': 'W31', 'total/IBSCBSTot': 'W34',
    'pag': 'YA01', 'pag/detPag': 'YA01a', 'pag/detPag/indPag': 'YA01b', 'pag/detPag/tPag': 'YA02',
    'pag/detPag/xPag': 'YA02a', 'pag/detPag/vPag': 'YA03', 'pag/detPag/dPag': 'YA03a',
    'pag/detPag/CNPJPag': 'YA03b', 'pag/detPag/UFPag': 'YA03c', 'pag/detPag/card': 'YA04',
    'pag/detPag/card/CNPJReceb': 'YA07a', 'pag/detPag/card/idTermPag': 'YA07b', 'pag/detPag/card/tpIntegra': 'YA04a',
    'pag/detPag/card/CNPJ': 'YA05', 'pag/vTroco': 'YA09', 'infIntermed': 'YB01',
    'infRespTec': 'ZD01', 'infSolicNFF': 'ZE01', 'agropecuario': 'ZF01',
})

# --- The 1.10 layout (manual 3.0): everything numbered in one run from the anchors of 2.00.
ANCHORS_110 = dict(ANCHORS_200)

COMMON_DATA_SETS = {
    '@versao': 'A', '@Id': 'A',
    'ide': 'B', 'ide/NFref': 'NREF',
    'emit': 'C', 'avulsa': 'D', 'dest': 'E', 'retirada': 'F', 'entrega': 'G', 'autXML': 'AUTXML',
    'det': 'H', 'det/prod': 'I', 'det/prod/NVE': 'NVE', 'det/prod/DI': 'DI', 'det/prod/DI/adi': 'ADI',
    'det/prod/detExport': 'DETEXPORT', 'det/prod/detExport/exportInd': 'EXPORTIND',
    'det/prod/veicProd': 'J', 'det/prod/med': 'K', 'det/prod/arma': 'L', 'det/prod/comb': 'L1',
    'det/prod/nRECOPI': 'L2',
    'det/imposto': 'M', 'det/imposto/ICMS': 'N', 'det/imposto/ICMSUFDest': 'NA', 'det/imposto/IPI': 'O',
    'det/imposto/II': 'P', 'det/imposto/PIS': 'Q', 'det/imposto/PISST': 'R', 'det/imposto/COFINS': 'S',
    'det/imposto/COFINSST': 'T', 'det/imposto/ISSQN': 'U', 'det/impostoDevol': 'UB', 'det/infAdProd': 'V',
    'total': 'W',
    'transp': 'X', 'transp/reboque': 'REBOQUE', 'transp/vol': 'VOL', 'transp/vol/lacres': 'LACRE',
    'cobr': 'Y', 'cobr/dup': 'DUP',
    'pag': 'YA',
    'infAdic': 'Z', 'infAdic/obsCont': 'OBSCONT', 'infAdic/obsFisco': 'OBSFISCO', 'infAdic/procRef': 'PROCREF',
    'exporta': 'Z', 'compra': 'Z',
    'cana': 'CANA', 'cana/forDia': 'FORDIA', 'cana/deduc': 'DEDUC',
}

# The 4.00 groups: payments with their detail (detPag), change, intermediary, technical
# responsible, batch tracking, presumed credits, fuel origin, item observations and, from PL_010,
# the reform taxes (IS, IBS and CBS) and the government purchase and prepayment references.
DATA_SETS_400 = dict(COMMON_DATA_SETS)
DATA_SETS_400.update({
    'ide/gPagAntecipado': 'BB',
    'det/prod/gCred': 'GCRED', 'det/prod/rastro': 'RASTRO', 'det/prod/comb/origComb': 'ORIGCOMB',
    'det/imposto/IS': 'IS', 'det/imposto/IBSCBS': 'IBSCBS',
    'det/obsItem': 'V', 'det/vItem': 'V', 'det/DFeReferenciado': 'V',
    'pag/vTroco': 'Y', 'infIntermed': 'YB', 'infRespTec': 'ZD', 'infSolicNFF': 'ZE',
    'agropecuario': 'ZF', 'agropecuario/defensivo': 'DEFENSIVO',
    # The signature of the food-purchase program is made by its own system, not typed.
    'infPAA': None,
})

# Data sets in dictionary order. The global field look-up takes the first data set holding a
# name, and the data sets are created in this order.
DATA_SET_ORDER = [
    'A', 'B', 'NREF', 'C', 'D', 'E', 'F', 'G', 'AUTXML',
    'H', 'I', 'NVE', 'DI', 'ADI', 'DETEXPORT', 'EXPORTIND', 'J', 'K', 'L', 'L1', 'L2',
    'M', 'N', 'NA', 'O', 'P', 'Q', 'R', 'S', 'T', 'U', 'UB', 'V',
    'W', 'X', 'REBOQUE', 'VOL', 'LACRE', 'Y', 'DUP', 'YA', 'Z', 'OBSCONT', 'OBSFISCO', 'PROCREF',
    'CANA', 'FORDIA', 'DEDUC', 'MANAGER',
]

DATA_SET_ORDER_400 = [
    'A', 'B', 'NREF', 'BB', 'C', 'D', 'E', 'F', 'G', 'AUTXML',
    'H', 'I', 'NVE', 'GCRED', 'DI', 'ADI', 'DETEXPORT', 'EXPORTIND', 'RASTRO', 'J', 'K', 'L', 'L1', 'ORIGCOMB', 'L2',
    'M', 'N', 'NA', 'O', 'P', 'Q', 'R', 'S', 'T', 'U', 'IS', 'IBSCBS', 'UB', 'V',
    'W', 'X', 'REBOQUE', 'VOL', 'LACRE', 'Y', 'DUP', 'YA', 'YB', 'Z', 'OBSCONT', 'OBSFISCO', 'PROCREF',
    'CANA', 'FORDIA', 'DEDUC', 'ZD', 'ZE', 'ZF', 'DEFENSIVO', 'MANAGER',
]

# Details and the master each follows: (master, key field of the detail).
LINKS = {name: ('H', 'hItem') for name in (
    'I', 'NVE', 'DI', 'DETEXPORT', 'J', 'K', 'L', 'L1', 'L2', 'M', 'N', 'NA', 'O', 'P', 'Q', 'R', 'S', 'T', 'U',
    'UB', 'V')}
LINKS.update({name: ('H', 'hItem') for name in ('GCRED', 'RASTRO', 'ORIGCOMB', 'IS', 'IBSCBS')})
LINKS.update({'ADI': ('DI', 'hDI'), 'EXPORTIND': ('DETEXPORT', 'hDetExport'), 'LACRE': ('VOL', 'hVol')})

# Display labels where the layout's first phrase does not name the field (it opens with a code
# list, a change note, or describes only one of the alternatives that share the field).
LABELS = {
    'Id_A03': 'Identificador da NF-e: NFe seguido da chave de acesso',
    'CST_N12': 'Código de Situação Tributária do ICMS',
    'CSOSN_N12a': 'Código de Situação da Operação no Simples Nacional',
    'indTot_I17b': 'Indica se o valor do item entra no valor total da NF-e',
    'refCTe_B20i': 'Chave de acesso do CT-e referenciado',
    'refCTe_BA19': 'Chave de acesso do CT-e referenciado',
    'ref_ZC03': 'Mês e ano de referência',
    'descr_L05': 'Descrição completa da arma',
    'CM3_J07': 'Cilindrada em CM3',
    'CMKG_J13': 'Capacidade máxima de tração em kg',
    'RENAVAM_J15': 'Código do RENAVAM',
    'vICMSSTDest_N32': 'Valor do ICMS ST da UF de destino',
    'vICMSSTDest_L116': 'Valor do ICMS ST da UF de destino',
    'motDesICMS_N28': 'Motivo da desoneração do ICMS',
    'indProc_Z12': 'Origem do processo',
}

# Mandatory elements that may be empty are written empty, except where the converter tells
# alternatives apart by which of them writes anything: an empty IE would make every referenced
# document look like a producer note. Nor are they inside optional groups, which an empty element
# would bring into every note.
NO_EMPTY_TAG = {'IE_B20f', 'competApur_UB113', 'competApur_UB132', 'CNPJ_ZD02'}

# Written by the access key, so they are never required on entry.
COMPUTED = {'Id_A03', 'cDV_B23'}

# A group identifier the record layout spells apart from its item number.
RECORD_IDS = {'L101': 'L01'}
# Group items of the 3.10 record layout named differently from the item of the group.
RECORD_GROUPS_310 = {'JA': 'J01'}
# Field names of the 3.10 record layout that differ from the tag.
RECORD_ALIASES = {'item': 'nItem'}

# Record lines the published 3.10 layout leaves out, written as its 4.00 edition writes them: the
# avulsa group whole, and the interstate-sale totals after the last item of W02.
RECORD_SUPPLEMENT_310 = {
    'D': 'D|CNPJ|xOrgao|matr|xAgente|fone|UF|nDAR|dEmi|vDAR|repEmi|dPag|',
    'W02': 'W02|vBC|vICMS|vICMSDeson|vBCST|vST|vProd|vFrete|vSeg|vDesc|vII|vIPI|vPIS|vCOFINS|vOutro|vNF|vTotTrib|'
           'vFCPUFDest|vICMSUFDest|vICMSUFRemet|',
}

# The published 4.00 layout with the reform groups, amended: the presumed-credit line is spelled
# as the CEST line (both "I05C"), and the older credit line UB73 is the newer UB120 under the
# number that the regular-taxation group now holds. The groups and fields the layout leaves out
# get lines of their own, named by their first item, as the layout names its groups.
RECORD_SUPPLEMENT_400 = {
    'I05G': 'I05G|cCredPresumido|pCredPresumido|vCredPresumido|',
    'UB73': None,
    'BA02A': 'BA02a|refNFeSig|', 'I03A': 'I03a|cBarra|', 'I12A': 'I12a|cBarraTrib|', 'I23DA': 'I23da|CPF|',
    # Published lines extended at their end with the fields of their group the layout left out.
    'N03': 'N03|orig|CST|modBC|vBC|pICMS|vICMS|vBCFCP|pFCP|vFCP|modBCST|pMVAST|pRedBCST|vBCST|pICMSST|vICMSST|'
           'vBCFCPST|pFCPST|vFCPST|vICMSSTDeson|motDesICMSST|',
    'N07': 'N07|orig|CST|modBC|pRedBC|vBC|pICMS|vICMSOp|pDif|vICMSDif|vICMS|vBCFCP|pFCP|vFCP|cBenefRBC|pFCPDif|'
           'vFCPDif|vFCPEfet|',
    'N09': 'N09|orig|CST|modBC|pRedBC|vBC|pICMS|vICMS|vBCFCP|pFCP|vFCP|modBCST|pMVAST|pRedBCST|vBCST|pICMSST|'
           'vICMSST|vBCFCPST|pFCPST|vFCPST|vICMSDeson|motDesICMS|indDeduzDeson|vICMSSTDeson|motDesICMSST|',
    'N10': 'N10|orig|CST|modBC|vBC|pRedBC|pICMS|vICMS|vBCFCP|pFCP|vFCP|modBCST|pMVAST|pRedBCST|vBCST|pICMSST|'
           'vICMSST|vBCFCPST|pFCPST|vFCPST|vICMSDeson|motDesICMS|indDeduzDeson|vICMSSTDeson|motDesICMSST|'
           'cBenefRBC|vICMSOp|pDif|vICMSDif|pFCPDif|vFCPDif|vFCPEfet|',
    'N10A': 'N10a|orig|CST|modBC|vBC|pRedBC|pICMS|vICMS|modBCST|pMVAST|pRedBCST|vBCST|pICMSST|vICMSST|pBCOp|UFST|'
            'vBCFCPST|pFCPST|vFCPST|vICMSDeson|motDesICMS|indDeduzDeson|',
    'UB12': 'UB12|CST|cClassTrib|indDoacao|vBC|gIBSUF_pIBSUF|gIBSUF_pDif|gIBSUF_vDif|gIBSUF_vDevTrib|gIBSUF_pRedAliq|'
            'gIBSUF_pAliqEfet|gIBSUF_vIBSUF|gIBSMun_pIBSMun|gIBSMun_pDif|gIBSMun_vDif|gIBSMun_vDevTrib|'
            'gIBSMun_pRedAliq|gIBSMun_pAliqEfet|gIBSMun_vIBSMun|gCBS_pCBS|gCBS_pDif|gCBS_vDif|gCBS_vDevTrib|'
            'gCBS_pRedAliq|gCBS_pAliqEfet|gCBS_vCBS|vIBS|',
    'UB110': 'UB110|vIBS|vCBS|',
    'UB120': 'UB120|vBCCredPres|ibs_pCredPres|ibs_vCredPres|ibs_vCredPresCondSus|cbs_pCredPres|cbs_vCredPres|'
             'cbs_vCredPresCondSus|cCredPres|',
    'Z10': 'Z10|nProc|indProc|tpAto|',
    'I86': 'I86|cProdFisco|cOperNFF|', 'I89': 'I89|xEmb|qVolEmb|uEmb|',
    'LA17': 'LA17|pBio|', 'LA18': 'LA18|indImport|cUFOrig|pOrig|',
    'N02A': 'N02a|orig|CST|qBCMono|adRemICMS|vICMSMono|',
    'N03A': 'N03a|orig|CST|qBCMono|adRemICMS|vICMSMono|qBCMonoReten|adRemICMSReten|vICMSMonoReten|pRedAdRem|'
            'motRedAdRem|',
    'N07A': 'N07a|orig|CST|qBCMono|adRemICMS|vICMSMonoOp|pDif|vICMSMonoDif|vICMSMono|qBCMonoDif|adRemICMSDif|',
    'N08A': 'N08a|orig|CST|qBCMonoRet|adRemICMSRet|vICMSMonoRet|',
    'R07': 'R07|indSomaPISST|', 'T07': 'T07|indSomaCOFINSST|',
    'VA02': 'VA02|xCampo|xTexto|', 'VA05': 'VA05|xCampo|xTexto|', 'VB01': 'VB01|vItem|',
    'VC01': 'VC01|chaveAcesso|nItem|',
    'W06C': 'W06c|qBCMono|vICMSMono|qBCMonoReten|vICMSMonoReten|qBCMonoRet|vICMSMonoRet|', 'W64': 'W64|vNFTot|',
    'YA03A': 'YA03a|dPag|CNPJPag|UFPag|', 'YA07A': 'YA07a|CNPJReceb|idTermPag|',
    'ZD07': 'ZD07|hashCSRT|', 'ZE': 'ZE|xSolic|',
    'ZF02': 'ZF02|nReceituario|CPFRespTec|', 'ZF05': 'ZF05|tpGuia|UFGuia|serieGuia|nGuia|',
}
# Group prefixes of the 4.00 record layout ("gIBSUF_pDif") that differ from the group's tag.
RECORD_PREFIXES = {'ibs': 'gIBSCredPres', 'cbs': 'gCBSCredPres', 'gEstonoCred': 'gEstornoCred'}
RECORD_GROUPS_400 = dict(RECORD_GROUPS_310, Y='YA01')

# Each manual version: the package its dictionaries are made from (the newest), and all the
# packages that read them, oldest first. A field that the oldest of those packages (with its
# schemas at hand) lacks is marked with the first package that has it ("desde"), and data entry
# refuses it for the packages before.
MANUALS = {
    'vm30': {'package': 'PL_005f', 'schema': 'leiauteNFe_v1.10.xsd', 'anchors': ANCHORS_110,
             'packages': ['PL_005a', 'PL_005b', 'PL_005c', 'PL_005d', 'PL_005f']},
    'vm40': {'package': 'PL_006j', 'schema': 'leiauteNFe_v2.00.xsd', 'anchors': ANCHORS_200,
             'packages': ['PL_006e', 'PL_006f', 'PL_006g', 'PL_006i', 'PL_006j']},
    'vm50': {'package': 'PL_006v', 'schema': 'leiauteNFe_v2.00.xsd', 'anchors': ANCHORS_200,
             'packages': ['PL_006m', 'PL_006n', 'PL_006p', 'PL_006q', 'PL_006r', 'PL_006s', 'PL_006t', 'PL_006u',
                          'PL_006v']},
    'vm50a': {'package': 'PL_008i1', 'schema': 'leiauteNFe_v3.10.xsd', 'anchors': ANCHORS_310,
              'record_layout': 'txtstructure310.json', 'record_supplement': RECORD_SUPPLEMENT_310,
              'packages': ['PL_008a', 'PL_008b', 'PL_008c', 'PL_008d', 'PL_008e', 'PL_008f', 'PL_008g', 'PL_008h',
                           'PL_008i', 'PL_008i1']},
    'vm60': {'package': 'PL_010_V1.30', 'schema': 'leiauteNFe_v4.00.xsd', 'anchors': ANCHORS_400,
             'data_sets': DATA_SETS_400, 'data_set_order': DATA_SET_ORDER_400,
             'record_layout': 'txtstructure400_v1.3.json', 'record_supplement': RECORD_SUPPLEMENT_400,
             'record_groups': RECORD_GROUPS_400,
             'packages': ['PL_009_V4', 'PL_010_V1.30'], 'package_names': {'PL_009_V4': 'pl_009', 'PL_010_V1.30': 'pl_010'}},
}

# Fields outside the version's own layout that its converters, readers or rules still name.
# They are declared invisible, so they never reach the XML. Each entry: data set, field name,
# size, label, and, for fields of another version's layout, that manual version to copy the
# definition from.
KEPT_FOR_RULES = 'Mantido para as regras de validação e a leitura de outros leiautes; não vai para o XML.'
EXTRA_FIELDS = {
    'vm30': [
        # The 1.10 recipient has no foreign identifier, but the base recipient group lists it.
        ('E', 'idEstrangeiro_E03a', 20, 'Identificação do destinatário estrangeiro', None),
    ],
    'vm50a': [
        # Rules of the 5.0a set and the reader of 2.00 documents use the 2.00 items.
        ('B', 'dEmi_B09', None, None, 'vm50'),
        ('NREF', 'refNFe_B13', None, None, 'vm50'), ('NREF', 'cUF_B15', None, None, 'vm50'),
        ('NREF', 'AAMM_B16', None, None, 'vm50'), ('NREF', 'CNPJ_B17', None, None, 'vm50'),
        ('NREF', 'mod_B18', None, None, 'vm50'), ('NREF', 'serie_B19', None, None, 'vm50'),
        ('NREF', 'nNF_B20', None, None, 'vm50'), ('NREF', 'cUF_B20b', None, None, 'vm50'),
        ('NREF', 'AAMM_B20c', None, None, 'vm50'), ('NREF', 'CNPJ_B20d', None, None, 'vm50'),
        ('NREF', 'CPF_B20e', None, None, 'vm50'), ('NREF', 'IE_B20f', None, None, 'vm50'),
        ('NREF', 'mod_B20g', None, None, 'vm50'), ('NREF', 'serie_B20h', None, None, 'vm50'),
        ('NREF', 'nNF_B20ha', None, None, 'vm50'), ('NREF', 'refCTe_B20i', None, None, 'vm50'),
        ('NREF', 'mod_B20k', None, None, 'vm50'), ('NREF', 'nECF_B20l', None, None, 'vm50'),
        ('NREF', 'nCOO_B20m', None, None, 'vm50'),
        ('Q', 'CST_Q02', 2, 'Código de Situação Tributária do PIS no grupo PISAliq', None),
    ],
}

# What data entry does with a value typed into one of those fields, since it never reaches the
# XML. A field copied from another version's layout is the same element as the field of this
# version at the same schema path ("equivale"), and entry stores the value there. The entries
# below name that field where the paths do not tell it; a field listed in SUBSTITUTES has no
# equal here, and entry refuses it naming the field to fill instead ("substituto"). Any other
# extra field is refused without a substitute.
EQUIVALENTS = {
    'vm50a': {'CST_Q02': 'CST_Q06'},  # the PISAliq situation of the 3.10 record layout
}
SUBSTITUTES = {
    'vm50a': {'dEmi_B09': 'dhEmi_B09'},  # 3.10 has the date with time and zone only
}

# The export variant: the dictionary for notes whose counterpart is abroad (exports, and imports
# entered against a foreign supplier). Each entry: field -> attributes that replace the ordinary
# dictionary's.
EXPORT_NO_TAX_ID_200 = {
    # The 1.10 and 2.00 recipient must carry a CNPJ or a CPF: abroad the CNPJ goes empty.
    'CNPJ_E02': {'tagvazia': 's', 'dica': 'Com o exterior o CNPJ do destinatário vai vazio.'},
    'IE_E17': {'dica': 'Com o exterior a IE do destinatário vai vazia.'},
}
EXPORT_COMMON = {
    'UF_E12': {'enum': 'EX', 'requerido': 's', 'dica': 'Com o exterior a UF do destinatário é EX.'},
    'cMun_E10': {'enum': '9999999', 'requerido': 's', 'dica': 'Com o exterior o município é 9999999.'},
    'cPais_E14': {'requerido': 's', 'dica': 'Informe o código do país do destinatário (tabela do BACEN).'},
    'xPais_E15': {'requerido': 's'},
}
EXPORT = {
    'vm30': dict(EXPORT_COMMON, **EXPORT_NO_TAX_ID_200, **{
        'UFEmbarq_ZA02': {'dica': 'Na exportação informe a UF de embarque das mercadorias.'},
        'xLocEmbarq_ZA03': {'dica': 'Na exportação informe o local de embarque das mercadorias.'}}),
    'vm50a': dict(EXPORT_COMMON, **{
        'idDest_B11a': {'enum': '3', 'dica': 'Com o exterior o destino da operação é 3.'},
        'indIEDest_E16a': {'enum': '9', 'dica': 'O destinatário no exterior é não contribuinte (9).'},
        'UFSaidaPais_ZA02': {'dica': 'Na exportação informe a UF de saída das mercadorias do país.'},
        'xLocExporta_ZA03': {'dica': 'Na exportação informe o local de embarque ou de transposição de fronteira.'}}),
}
EXPORT['vm40'] = EXPORT['vm30']
EXPORT['vm60'] = EXPORT['vm50a']
EXPORT['vm50'] = EXPORT['vm30']
