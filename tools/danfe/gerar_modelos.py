#!/usr/bin/env python3
"""Writes the DANFE report models (portrait, landscape, simplified) of data/Templates.

The DANFE boxes follow the NF-e manual's order: receipt stub, emitter and key, nature of the
operation and protocol, recipient, invoice/duplicates, tax calculation, carrier and volumes,
products (continuing on the next pages under the repeated emitter block), ISSQN and additional
information. Widths are given for a 200 mm body and scaled to the landscape body.
Run from the repository root: tools/danfe/gerar_modelos.py
"""
import json
import os

RAIZ = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PASTA = os.path.join(RAIZ, "data", "Templates", "vm50a", "Danfe")


def campo(x, y, l, rotulo, texto, **extra):
    e = {"tipo": "campo", "x": round(x, 2), "y": y, "l": round(l, 2), "a": extra.pop("a", 8), "rotulo": rotulo,
         "texto": texto}
    e.update(extra)
    return e


def texto(x, y, l, a, valor, **extra):
    e = {"tipo": "texto", "x": round(x, 2), "y": y, "l": round(l, 2), "a": a, "texto": valor}
    e.update(extra)
    return e


def linha_de_campos(y, largura, colunas, **extra):
    """colunas: (fração da largura, rótulo, texto[, opções]) lado a lado."""
    total = sum(c[0] for c in colunas)
    x, out = 0.0, []
    for c in colunas:
        l = largura * c[0] / total
        opcoes = dict(extra)
        if len(c) > 3:
            opcoes.update(c[3])
        out.append(campo(x, y, l, c[1], c[2], **opcoes))
        x += l
    return out


def titulo(y, valor):
    return texto(0, y, 100, 3.6, valor, tam=6.5, negrito=True)


def direita():
    return {"alinhar": "direita"}


def bloco_emitente(x0, largura):
    """Emitter, DANFE box and access key; the block every page repeats."""
    le = largura * 0.40
    ld = largura * 0.175
    lk = largura - le - ld
    xd, xk = x0 + le, x0 + le + ld
    endereco = ("{EmitEnd}{?EmitComplemento} - {EmitComplemento}{/}\n{EmitBairro} - CEP {EmitCep|cep}\n"
                "{EmitMun} - {EmitUF}{?EmitFone}\nFone: {EmitFone|fone}{/}")
    return [
        {"tipo": "caixa", "x": x0, "y": 0, "l": round(le, 2), "a": 32},
        {"tipo": "imagem", "x": x0 + 1, "y": 4, "l": 24, "a": 24, "origem": "{#logo}", "visivelSe": "#logo"},
        texto(x0 + 26, 1.5, le - 27, 9, "{EmitNome}", tam=9, negrito=True, alinhar="centro", visivelSe="#logo"),
        texto(x0 + 26, 11, le - 27, 20, endereco, tam=7, alinhar="centro", visivelSe="#logo"),
        texto(x0 + 1, 1.5, le - 2, 9, "{EmitNome}", tam=10, negrito=True, alinhar="centro", visivelSe="!#logo"),
        texto(x0 + 1, 11, le - 2, 20, endereco, tam=7.5, alinhar="centro", visivelSe="!#logo"),
        {"tipo": "caixa", "x": round(xd, 2), "y": 0, "l": round(ld, 2), "a": 32},
        texto(xd, 0.8, ld, 6, "DANFE", tam=13, negrito=True, alinhar="centro"),
        texto(xd + 1, 6.5, ld - 2, 6, "DOCUMENTO AUXILIAR DA NOTA FISCAL ELETRÔNICA", tam=6, alinhar="centro"),
        texto(xd + 1, 13, ld - 10, 7, "0 - ENTRADA\n1 - SAÍDA", tam=6.5),
        {"tipo": "texto", "x": round(xd + ld - 8, 2), "y": 13.5, "l": 6, "a": 6, "texto": "{nTpNF}", "tam": 10,
         "negrito": True, "alinhar": "centro", "vertical": "meio", "borda": 0.2},
        texto(xd, 20.5, ld, 4, "Nº {nNF|nnf}", tam=8, negrito=True, alinhar="centro", quebrar=False),
        texto(xd, 24, ld, 4, "SÉRIE {Serie}", tam=8, negrito=True, alinhar="centro", quebrar=False),
        texto(xd, 27.7, ld, 4, "FOLHA {#pagina}/{#paginas}", tam=7.5, alinhar="centro", quebrar=False),
        {"tipo": "caixa", "x": round(xk, 2), "y": 0, "l": round(lk, 2), "a": 13},
        {"tipo": "codigobarras", "x": round(xk + 3, 2), "y": 1.2, "l": round(lk - 6, 2), "a": 10.6,
         "texto": "{CodBarra}"},
        campo(xk, 13, lk, "CHAVE DE ACESSO", "{CodBarra|chave}", tam=8, negrito=True, alinhar="centro",
              quebrar=False),
        texto(xk, 21, lk, 11, "Consulta de autenticidade no portal nacional da NF-e www.nfe.fazenda.gov.br/portal "
              "ou no site da Sefaz Autorizadora", tam=7.5, alinhar="centro", vertical="meio", borda=0.2,
              visivelSe="!CodBarraDadosNFe"),
        {"tipo": "caixa", "x": round(xk, 2), "y": 21, "l": round(lk, 2), "a": 11, "visivelSe": "CodBarraDadosNFe"},
        {"tipo": "codigobarras", "x": round(xk + 3, 2), "y": 22, "l": round(lk - 6, 2), "a": 9,
         "texto": "{CodBarraDadosNFe}", "visivelSe": "CodBarraDadosNFe"},
    ]


def identificacao(x0, largura, y):
    protocolo = ("{?nProt}{nProt} - {dhRecbto|datahora}{/}"
                 "{?nProtEpec}EPEC {nProtEpec} - {dhRecbto|datahora}{/}")
    out = [
        campo(x0, y, largura * 0.575, "NATUREZA DA OPERAÇÃO", "{NatOper}", quebrar=False),
        campo(x0 + largura * 0.575, y, largura * 0.425, "PROTOCOLO DE AUTORIZAÇÃO DE USO", protocolo,
              alinhar="centro", quebrar=False, visivelSe="!CodBarraDadosNFe"),
        campo(x0 + largura * 0.575, y, largura * 0.425, "DADOS DA NF-e", "{CodBarraDadosNFe|chave}",
              alinhar="centro", quebrar=False, visivelSe="CodBarraDadosNFe"),
    ]
    for c in linha_de_campos(y + 8, largura, [
            (1, "INSCRIÇÃO ESTADUAL", "{EmitIE}"),
            (1, "INSCRIÇÃO ESTADUAL DO SUBST. TRIBUT.", "{EmitIEST}"),
            (1, "CNPJ", "{EmitCNPJ|cnpj}")], quebrar=False):
        c["x"] = round(c["x"] + x0, 2)
        out.append(c)
    return out


def frases(largura):
    return [
        {"tipo": "cabecalho", "altura": 7, "visivelSe": "FraseHomologacao", "elementos": [
            texto(0, 0.5, largura, 6, "{FraseHomologacao}", tam=12, negrito=True, alinhar="centro",
                  vertical="meio", cor="#B00000")]},
        {"tipo": "cabecalho", "altura": 6, "visivelSe": "FraseContingencia", "elementos": [
            texto(0, 0.5, largura, 5.5, "{FraseContingencia}", tam=8.5, negrito=True, alinhar="centro",
                  vertical="meio")]},
    ]


def corpo(largura):
    """The bands below the emitter block, for a body of the given width."""
    return [
        {"tipo": "cabecalho", "paginas": "primeira", "altura": 28, "elementos": [titulo(0.5, "DESTINATÁRIO / REMETENTE")]
         + linha_de_campos(4, largura, [
             (120, "NOME / RAZÃO SOCIAL", "{DestNome}", {"quebrar": False}),
             (45, "CNPJ / CPF", "{DestCNPJ|cnpj}", {"alinhar": "centro"}),
             (35, "DATA DA EMISSÃO", "{DtEmissao}", {"alinhar": "centro"})])
         + linha_de_campos(12, largura, [
             (95, "ENDEREÇO", "{DestEnd}{?DestComplemento} - {DestComplemento}{/}", {"quebrar": False}),
             (45, "BAIRRO / DISTRITO", "{DestBairro}", {"quebrar": False}),
             (25, "CEP", "{DestCep|cep}", {"alinhar": "centro"}),
             (35, "DATA DA SAÍDA/ENTRADA", "{DtSaida}", {"alinhar": "centro"})])
         + linha_de_campos(20, largura, [
             (75, "MUNICÍPIO", "{DestMun}", {"quebrar": False}),
             (35, "FONE / FAX", "{DestFoneFax|fone}", {"alinhar": "centro"}),
             (10, "UF", "{DestUF}", {"alinhar": "centro"}),
             (45, "INSCRIÇÃO ESTADUAL", "{DestIE}", {"alinhar": "centro"}),
             (35, "HORA DA SAÍDA/ENTRADA", "{hSaida}", {"alinhar": "centro"})])},
        {"tipo": "cabecalho", "paginas": "primeira", "altura": 11, "elementos": [
            titulo(0.5, "FATURA / DUPLICATA"),
            texto(0, 4, largura, 7, "Nº {NumDuplicata}   Venc. {DtVencimento}   R$ {ValorDuplicata}", tam=7,
                  borda=0.2, crescer=True, repetir="DadosCobranca", separador="          ")]},
        {"tipo": "cabecalho", "paginas": "primeira", "altura": 20, "elementos": [titulo(0.5, "CÁLCULO DO IMPOSTO")]
         + linha_de_campos(4, largura, [
             (1, "BASE DE CÁLC. DO ICMS", "{BaseCalcIcms}"), (1, "VALOR DO ICMS", "{ValorIcms}"),
             (1, "BASE DE CÁLC. ICMS S.T.", "{BaseCalcIcmsSubs}"), (1, "VALOR DO ICMS SUBST.", "{ValorIcmsSubs}"),
             (1, "V. TOT. TRIB.", "{ValorTotTrib}"), (1, "VALOR TOTAL DOS PRODUTOS", "{ValorTotProd}")],
             alinhar="direita")
         + linha_de_campos(12, largura, [
             (1, "VALOR DO FRETE", "{ValorFrete}"), (1, "VALOR DO SEGURO", "{ValorSeguro}"),
             (1, "DESCONTO", "{Desconto}"), (1, "OUTRAS DESPESAS", "{OutrasDesp}"),
             (1, "VALOR TOTAL IPI", "{ValorIPI}"), (1, "VALOR TOTAL DA NOTA", "{ValorTotNota}", {"negrito": True})],
             alinhar="direita")},
        # The tax-reform totals (IBS, CBS, IS), a row of their own on the notes that carry them.
        {"tipo": "cabecalho", "paginas": "primeira", "altura": 8, "visivelSe": "ReformaTributaria",
         "elementos": linha_de_campos(0, largura, [
             (1, "BASE DE CÁLC. IBS/CBS", "{BaseCalcIBSCBS}"), (1, "VALOR DO IBS UF", "{ValorIBSUF}"),
             (1, "VALOR DO IBS MUN.", "{ValorIBSMun}"), (1, "VALOR TOTAL DO IBS", "{ValorTotIBS}"),
             (1, "VALOR TOTAL DA CBS", "{ValorTotCBS}"), (1, "VALOR TOTAL DO IS", "{ValorTotIS}"),
             (1, "TOTAL C/ IBS, CBS E IS", "{ValorTotNFTot}", {"negrito": True})],
             alinhar="direita")},
        {"tipo": "cabecalho", "paginas": "primeira", "altura": 28, "elementos": [
            titulo(0.5, "TRANSPORTADOR / VOLUMES TRANSPORTADOS")]
         + linha_de_campos(4, largura, [
             (70, "NOME / RAZÃO SOCIAL", "{TraNome}", {"quebrar": False}),
             (28, "FRETE POR CONTA", "{TraDescMod}{!TraDescMod}{TraModFrete}{/}", {"alinhar": "centro"}),
             (22, "CÓDIGO ANTT", "{VeiCodigoANTT}"), (22, "PLACA DO VEÍCULO", "{VeiPlaca}"),
             (10, "UF", "{VeiUF}", {"alinhar": "centro"}), (48, "CNPJ / CPF", "{TraCNPJ|cnpj}")])
         + linha_de_campos(12, largura, [
             (98, "ENDEREÇO", "{TraEnd}", {"quebrar": False}), (44, "MUNICÍPIO", "{TraMun}"),
             (10, "UF", "{TraUF}", {"alinhar": "centro"}), (48, "INSCRIÇÃO ESTADUAL", "{TraIE}")])
         + linha_de_campos(20, largura, [
             (25, "QUANTIDADE", "{VolQuantidade}", direita()), (35, "ESPÉCIE", "{VolEspecie}"),
             (35, "MARCA", "{VolMarca}"), (35, "NUMERAÇÃO", "{VolNumeracao}"),
             (35, "PESO BRUTO", "{VolPesoBruto}", direita()), (35, "PESO LÍQUIDO", "{VolPesoLiquido}", direita())])},
        itens(largura),
        {"tipo": "rodape", "paginas": "primeira", "altura": 12, "visivelSe": "ValorTotServ", "elementos": [
            titulo(0.5, "CÁLCULO DO ISSQN")] + linha_de_campos(4, largura, [
                (1, "INSCRIÇÃO MUNICIPAL", "{EmitIM}"), (1, "VALOR TOTAL DOS SERVIÇOS", "{ValorTotServ}", direita()),
                (1, "BASE DE CÁLCULO DO ISSQN", "{BaseCalcISSQN}", direita()),
                (1, "VALOR DO ISSQN", "{ValorTotISSQN}", direita())])},
        {"tipo": "rodape", "paginas": "primeira", "altura": 35, "elementos": [
            titulo(0.5, "DADOS ADICIONAIS"),
            campo(0, 4, largura * 0.65, "INFORMAÇÕES COMPLEMENTARES", "{ObsContribuinte}", a=31, tam=6.5,
                  quebrar=True, vertical="topo"),
            campo(largura * 0.65, 4, largura * 0.35, "RESERVADO AO FISCO", "", a=31)]},
        {"tipo": "final", "altura": 12, "visivelSe": "ContinuaObsContribuinte", "elementos": [
            titulo(0.5, "DADOS ADICIONAIS (CONTINUAÇÃO)"),
            campo(0, 4, largura, "INFORMAÇÕES COMPLEMENTARES", "{ContinuaObsContribuinte}", a=8, tam=6.5,
                  quebrar=True, vertical="topo", crescer=True)]},
    ]


def itens(largura):
    colunas = [
        (16, "CÓDIGO", "{ItemCodigo}", "esquerda"),
        (52, "DESCRIÇÃO DO PRODUTO / SERVIÇO",
         "{ItemDescricao}{?ItemObs}\n{ItemObs}{/}{?ItemTributosReforma}\n{ItemTributosReforma}{/}"
         "{?ItemNLote}\nLote: {ItemNLote} Qtd.: {ItemQLote} "
         "Fab.: {ItemDFab|data} Val.: {ItemDVal|data}{/}", "esquerda"),
        (13, "NCM/SH", "{ItemNCM}", "centro"), (7, "CST", "{ItemORIG}{ItemCST}", "centro"),
        (8, "CFOP", "{ItemCFOP}", "centro"), (7, "UN", "{ItemUnidade}", "centro"),
        (14, "QUANT.", "{ItemQuantidade}", "direita"), (14, "VALOR UNIT.", "{ItemVUnit}", "direita"),
        (15, "VALOR TOTAL", "{ItemVTotal}", "direita"), (14, "B.CÁLC. ICMS", "{ItemBCalcIcms}", "direita"),
        (12, "VALOR ICMS", "{ItemVIcms}", "direita"), (11, "VALOR IPI", "{ItemVIPI}", "direita"),
        (8.5, "ALÍQ. ICMS", "{ItemAliqIcms}", "direita"), (8.5, "ALÍQ. IPI", "{ItemAliqIPI}", "direita"),
    ]
    escala = largura / sum(c[0] for c in colunas)
    cabecalho, linha, x = [titulo(0.5, "DADOS DO PRODUTO / SERVIÇO")], [], 0.0
    for l, rotulo, valor, alinhar in colunas:
        l *= escala
        cabecalho.append(texto(x, 4, l, 6, rotulo, tam=5.5, alinhar="centro", vertical="meio", borda=0.2))
        e = texto(x, 0, l, 3.6, valor, tam=6, alinhar=alinhar, borda=0.1, esticar=True)
        if rotulo.startswith("DESCRIÇÃO"):
            e["crescer"] = True
        else:
            e["quebrar"] = False
        linha.append(e)
        x += l
    return {"tipo": "detalhe", "dados": "DadosItens", "filtro": "Item", "altura": 3.6,
            "cabecalho": {"altura": 10, "elementos": cabecalho}, "elementos": linha}


def canhoto_retrato(largura):
    return {"tipo": "cabecalho", "paginas": "primeira", "altura": 21, "elementos": [
        {"tipo": "caixa", "x": 0, "y": 0, "l": largura - 40, "a": 18},
        texto(0, 0.5, largura - 40, 8, "RECEBEMOS DE {EmitNome} OS PRODUTOS E/OU SERVIÇOS CONSTANTES DA NOTA FISCAL "
              "ELETRÔNICA INDICADA AO LADO. EMISSÃO: {DtEmissao} VALOR TOTAL: R$ {ValorTotNota} "
              "DESTINATÁRIO: {DestNome}", tam=6.5),
        campo(0, 10, 40, "DATA DE RECEBIMENTO", ""),
        campo(40, 10, largura - 80, "IDENTIFICAÇÃO E ASSINATURA DO RECEBEDOR", ""),
        {"tipo": "caixa", "x": largura - 40, "y": 0, "l": 40, "a": 18},
        texto(largura - 40, 1.5, 40, 6, "NF-e", tam=12, negrito=True, alinhar="centro"),
        texto(largura - 40, 8, 40, 4.5, "Nº {nNF|nnf}", tam=9, negrito=True, alinhar="centro", quebrar=False),
        texto(largura - 40, 12.5, 40, 4.5, "SÉRIE {Serie}", tam=9, negrito=True, alinhar="centro"),
        {"tipo": "linha", "x": 0, "y": 19.5, "l": largura, "a": 0, "borda": 0.15, "cor": "#606060"}]}


def modelo(largura, altura, bandas, margens=None):
    return {"pagina": {"largura": largura, "altura": altura,
                       "margens": margens or {"esquerda": 5, "direita": 5, "topo": 5, "base": 5}},
            "fonte": "Nimbus Sans", "dados": "Dados", "bandas": bandas}


def retrato():
    w = 200
    return modelo(210, 297, [canhoto_retrato(w),
                             {"tipo": "cabecalho", "altura": 49, "elementos": bloco_emitente(0, w) + identificacao(0, w, 32)}]
                  + frases(w) + corpo(w))


def paisagem():
    # Landscape: the receipt stub stands on the left of the first page's emitter block.
    w, stub = 287, 22
    canhoto = [
        {"tipo": "caixa", "x": 0, "y": 0, "l": stub - 3, "a": 49},
        texto(0, 0, 9, 49, "RECEBEMOS DE {EmitNome} OS PRODUTOS E/OU SERVIÇOS CONSTANTES DA NF-e INDICADA AO LADO",
              tam=5.5, rotacao=90),
        texto(9, 0, 10, 24, "DATA DE RECEBIMENTO", tam=5, rotacao=90, borda=0.2),
        texto(9, 24, 10, 25, "IDENTIFICAÇÃO E ASSINATURA DO RECEBEDOR", tam=5, rotacao=90, borda=0.2),
        {"tipo": "linha", "x": stub - 1.5, "y": 0, "l": 0, "a": 49, "borda": 0.15, "cor": "#606060"},
    ]
    primeira = {"tipo": "cabecalho", "paginas": "primeira", "altura": 49,
                "elementos": canhoto + bloco_emitente(stub, w - stub) + identificacao(stub, w - stub, 32)}
    demais = {"tipo": "cabecalho", "paginas": "demais", "altura": 49,
              "elementos": bloco_emitente(0, w) + identificacao(0, w, 32)}
    return modelo(297, 210, [primeira, demais] + frases(w) + corpo(w))


def simplificado():
    # The simplified DANFE: a label-sized sheet with the key, protocol, parties and total.
    w = 94
    return modelo(100, 150, [
        {"tipo": "cabecalho", "altura": 118, "elementos": [
            texto(0, 0, w, 5, "DANFE SIMPLIFICADO - ETIQUETA", tam=10, negrito=True, alinhar="centro"),
            texto(0, 5, w, 12, "{EmitNome}\nCNPJ {EmitCNPJ|cnpj}  IE {EmitIE}\n{EmitMun} - {EmitUF}", tam=7,
                  alinhar="centro", borda=0.2),
            texto(0, 18, w, 8, "NF-e Nº {nNF|nnf}  SÉRIE {Serie}  EMISSÃO {DtEmissao}", tam=8,
                  negrito=True, alinhar="centro", vertical="meio", borda=0.2),
            {"tipo": "codigobarras", "x": 3, "y": 28, "l": w - 6, "a": 14, "texto": "{CodBarra}"},
            campo(0, 43, w, "CHAVE DE ACESSO", "{CodBarra|chave}", tam=7.5, negrito=True, alinhar="centro",
                  quebrar=False),
            campo(0, 51, w, "PROTOCOLO DE AUTORIZAÇÃO DE USO", "{nProt} - {dhRecbto|datahora}", alinhar="centro"),
            texto(0, 60, w, 6, "{FraseHomologacao}", tam=9, negrito=True, alinhar="centro", cor="#B00000"),
            texto(0, 66, w, 6, "{FraseContingencia}", tam=6.5, alinhar="centro"),
            campo(0, 73, w, "DESTINATÁRIO", "{DestNome}\nCNPJ/CPF {DestCNPJ|cnpj}  IE {DestIE}\n{DestEnd} - "
                  "{DestBairro}\n{DestMun} - {DestUF}  CEP {DestCep|cep}", a=24, tam=7, quebrar=True,
                  vertical="topo"),
            campo(0, 98, w / 2, "VALOR TOTAL DA NOTA", "R$ {ValorTotNota}", tam=10, negrito=True, alinhar="direita"),
            campo(w / 2, 98, w / 2, "VALOR DO ICMS", "{ValorIcms}", alinhar="direita"),
            campo(0, 107, w, "INFORMAÇÕES COMPLEMENTARES", "{ObsContribuinte}", a=11, tam=6, quebrar=True,
                  vertical="topo"),
        ]}], {"esquerda": 3, "direita": 3, "topo": 3, "base": 3})


def evento(titulo_evento, subtitulo, campos, texto_principal, rotulo_principal, rodape):
    """An A4 portrait print of one event record: title, key barcode, the fields, the main text."""
    w = 200
    elementos = [
        {"tipo": "caixa", "x": 0, "y": 0, "l": w, "a": 24},
        texto(0, 2, w, 8, titulo_evento, tam=14, negrito=True, alinhar="centro"),
        texto(0, 11, w, 6, subtitulo, tam=8, alinhar="centro"),
        texto(0, 17, w, 6, "{FraseHomologacao}", tam=9, negrito=True, alinhar="centro", cor="#B00000"),
        {"tipo": "caixa", "x": 0, "y": 26, "l": w, "a": 24},
        {"tipo": "codigobarras", "x": 30, "y": 27.5, "l": 140, "a": 12, "texto": campos[0][2].replace("|chave", "")},
        campo(0, 41, w, "CHAVE DE ACESSO DA NF-e", campos[0][2], tam=10, negrito=True, alinhar="centro", a=9),
    ]
    y = 52
    for linha in campos[1:]:
        elementos += linha_de_campos(y, w, [c for c in linha], a=10, tam=9, quebrar=False)
        y += 10
    elementos.append(campo(0, y + 2, w, rotulo_principal, texto_principal, a=60, tam=9, quebrar=True, vertical="topo"))
    elementos.append(texto(0, y + 64, w, 40, rodape, tam=7))
    return modelo(210, 297, [{"tipo": "cabecalho", "altura": y + 106, "elementos": elementos}])


COND_USO_CCE = (
    "Condições de uso: A Carta de Correção é disciplinada pelo § 1º-A do art. 7º do Convênio S/N, de 15 de "
    "dezembro de 1970 e pode ser utilizada para regularização de erro ocorrido na emissão de documento fiscal, "
    "desde que o erro não esteja relacionado com: I - as variáveis que determinam o valor do imposto tais como: "
    "base de cálculo, alíquota, diferença de preço, quantidade, valor da operação ou da prestação; II - a "
    "correção de dados cadastrais que implique mudança do remetente ou do destinatário; III - a data de "
    "emissão ou de saída.")


def cce():
    return evento(
        "CARTA DE CORREÇÃO ELETRÔNICA", "Representação gráfica do evento de Carta de Correção da NF-e",
        [(1, "", "{chNFe|chave}"),
         [(1, "CNPJ DO EMITENTE", "{CNPJ|cnpj}"), (1, "CNPJ / CPF DO DESTINATÁRIO", "{CPFCNPJDest|cnpj}"),
          (1, "ÓRGÃO", "{cOrgao}")],
         [(1, "PROTOCOLO DO EVENTO", "{nProt}"), (1, "DATA E HORA DO REGISTRO", "{dhRegEvento}"),
          (1, "SEQUÊNCIA DO EVENTO", "{nSeqEvento}")]],
        "{xCorrecao}", "CORREÇÃO", COND_USO_CCE)


def cancelamento():
    return evento(
        "CANCELAMENTO DE NF-e", "Representação gráfica do evento de cancelamento (110111)",
        [(1, "", "{ChaveNFe|chave}"),
         [(1, "ÓRGÃO", "{CodOrgao}"), (1, "TIPO DO EVENTO", "{TipoEvento}"), (1, "SEQUÊNCIA DO EVENTO", "{NumSeqEvento}")],
         [(1, "PROTOCOLO DE AUTORIZAÇÃO DA NF-e", "{NumProtAutorizacaoNFe}"),
          (1, "DATA E HORA DO PEDIDO", "{DataHoraPedido|datahora}")],
         [(1, "PROTOCOLO DO CANCELAMENTO", "{NumProtCancelamento}"),
          (1, "DATA E HORA DO REGISTRO", "{DataHoraRegistro|datahora}"), (1, "SITUAÇÃO", "{Motivo}")],
         [(1, "IDENTIFICADOR DO EVENTO", "{ChaveCancelamento}")]],
        "{Justificativa}", "JUSTIFICATIVA",
        "O cancelamento foi registrado pela SEFAZ: a NF-e acima não tem mais validade jurídica.")


def grava(nome, conteudo, pasta=None):
    caminho = os.path.join(pasta or PASTA, nome)
    os.makedirs(os.path.dirname(caminho), exist_ok=True)
    with open(caminho, "w", encoding="utf-8") as f:
        json.dump(conteudo, f, ensure_ascii=False, indent=2)
        f.write("\n")


if __name__ == "__main__":
    grava("retrato.rtm", retrato())
    grava("paisagem.rtm", paisagem())
    grava("DanfeSimplificado.rtm", simplificado())
    grava("RetratoCanc.rtm", cancelamento())
    grava("ModeloCCe.rtm", cce(), os.path.join(RAIZ, "data", "Templates", "cce", "Impressao"))
