#!/usr/bin/env python3
"""Generates the servers files nfeServidoresHom.ini and nfeServidoresProd.ini from the published
SEFAZ address tables.

    python3 tools/servidores/gerar_servidores.py [--referencia DIR] [--saida DIR]

writes <saida>/nfeServidoresHom.ini and <saida>/nfeServidoresProd.ini (default: data/).

One section per UF (AC ... TO), then AN, SVCAN and SVCRS. The keys and where their addresses
come from:
- manuals 2.0.2a and 3.0 (layout 1.10): "NfeStatusServico", "NfeRecepcao", ... from
  urlWebServicesNFe.xml;
- manuals 4.0 and 5.0 (layout 2.00): the same names followed by "2", from nfe_ws2.xml;
- manual 5.0a (layout 3.10): the names followed by "3", from wsnfe_3.10_mod55.xml; the
  cancellation of 5.0a is "NfeCancelamento2", the 2.00 service (3.10 has none of its own);
- manual 6.0 (layout 4.00): the operation names of the 4.00 services ("NFeStatusServico4",
  "NFeAutorizacao4", ... "NFeRecepcaoEvento4"), from wsnfe_4.00_mod55.xml;
- the event and DF-e keys the event component reads ("nfeRecepcaoEvento", "nfeConsultaNFDest",
  "nfeConsultaDFe", "nfeDistDFeInteresse", "NFeDownloadNf", "NfeConsulta2"): the newest table
  that has them, the national services (AN) where the UF has none.
A UF that a table does not list, or lists without an address, is served by its authorizer
(autorizadores.json, model 55: "SVRS", "SVAN"). The national contingency of layouts 1.10 and 2.00
was SCAN, which SVC-AN succeeded: its addresses fill the SVCAN section for those keys. A key no
table gives an address for is left out, so the component reports it as not defined.
"""
import argparse
import json
import os
import xml.etree.ElementTree as ET

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

UFS = ['AC', 'AL', 'AM', 'AP', 'BA', 'CE', 'DF', 'ES', 'GO', 'MA', 'MG', 'MS', 'MT', 'PA', 'PB', 'PE', 'PI',
       'PR', 'RJ', 'RN', 'RO', 'RR', 'RS', 'SC', 'SE', 'SP', 'TO']
SECOES = UFS + ['AN', 'SVCAN', 'SVCRS']

# (servers-file key, table file, element of the table); in the order the file lists them.
CHAVES = [
    ('NfeStatusServico', 'urlWebServicesNFe.xml', 'NfeStatusServico'),
    ('NfeRecepcao', 'urlWebServicesNFe.xml', 'NfeRecepcao'),
    ('NfeRetRecepcao', 'urlWebServicesNFe.xml', 'NfeRetRecepcao'),
    ('NfeConsulta', 'urlWebServicesNFe.xml', 'NfeConsultaNF'),
    ('NfeCancelamento', 'urlWebServicesNFe.xml', 'NfeCancelamento'),
    ('NfeInutilizacao', 'urlWebServicesNFe.xml', 'NfeInutilizacao'),
    ('CadConsulta', 'urlWebServicesNFe.xml', 'ConsultaCadastro'),
    ('NfeStatusServico2', 'nfe_ws2.xml', 'NfeStatusServico'),
    ('NfeRecepcao2', 'nfe_ws2.xml', 'NfeRecepcao'),
    ('NfeRetRecepcao2', 'nfe_ws2.xml', 'NfeRetRecepcao'),
    ('NfeConsulta2', 'nfe_ws2.xml', 'NfeConsulta'),
    ('NfeCancelamento2', 'nfe_ws2.xml', 'NfeCancelamento'),
    ('NfeInutilizacao2', 'nfe_ws2.xml', 'NfeInutilizacao'),
    ('CadConsulta2', 'nfe_ws2.xml', 'CadConsultaCadastro'),
    ('NfeStatusServico3', 'wsnfe_3.10_mod55.xml', 'NfeStatusServico'),
    ('NfeRecepcao3', 'wsnfe_3.10_mod55.xml', 'NfeAutorizacao'),
    ('NfeRetRecepcao3', 'wsnfe_3.10_mod55.xml', 'NfeRetAutorizacao'),
    ('NfeConsulta3', 'wsnfe_3.10_mod55.xml', 'NfeConsultaProtocolo'),
    ('NfeInutilizacao3', 'wsnfe_3.10_mod55.xml', 'NfeInutilizacao'),
    ('CadConsulta3', 'wsnfe_3.10_mod55.xml', 'NfeConsultaCadastro'),
    ('NFeStatusServico4', 'wsnfe_4.00_mod55.xml', 'NfeStatusServico'),
    ('NFeAutorizacao4', 'wsnfe_4.00_mod55.xml', 'NfeAutorizacao'),
    ('NFeRetAutorizacao4', 'wsnfe_4.00_mod55.xml', 'NfeRetAutorizacao'),
    ('NFeConsultaProtocolo4', 'wsnfe_4.00_mod55.xml', 'NfeConsultaProtocolo'),
    ('NFeInutilizacao4', 'wsnfe_4.00_mod55.xml', 'NfeInutilizacao'),
    ('CadConsultaCadastro4', 'wsnfe_4.00_mod55.xml', 'NfeConsultaCadastro'),
    ('NFeRecepcaoEvento4', 'wsnfe_4.00_mod55.xml', 'RecepcaoEvento'),
]
# Event and DF-e keys: (key, element), looked up in the 3.10 table, then the 2.00 one.
CHAVES_EVENTOS = [
    ('nfeRecepcaoEvento', 'RecepcaoEvento'),
    ('nfeConsultaNFDest', 'NfeConsultaDest'),
    ('nfeConsultaDFe', 'NfeDistribuicaoDFe'),
    ('nfeDistDFeInteresse', 'NfeDistribuicaoDFe'),
    ('NFeDownloadNf', 'NfeDownloadNF'),
]
TABELAS_EVENTOS = ['wsnfe_3.10_mod55.xml', 'nfe_ws2.xml']
# The contingency section a table calls by another name.
NOMES_ANTIGOS = {('urlWebServicesNFe.xml', 'SVCAN'): 'SCAN', ('nfe_ws2.xml', 'SVCAN'): 'SCAN'}
AMBIENTES = {'Hom': 'homologacao', 'Prod': 'producao'}


def ler_tabela(caminho):
    """{sigla: {ambiente: {elemento: endereço}}}, only elements with an https address."""
    tabela = {}
    for uf in ET.parse(caminho).getroot().findall('UF'):
        sigla = uf.findtext('sigla').strip()
        for ambiente in AMBIENTES.values():
            enderecos = {}
            for servico in uf.find(ambiente) if uf.find(ambiente) is not None else []:
                texto = (servico.text or '').strip()
                if texto.startswith('https://') and servico.tag not in enderecos:
                    enderecos[servico.tag] = texto
            tabela.setdefault(sigla, {})[ambiente] = enderecos
    return tabela


def endereco(tabelas, autorizadores, arquivo, secao, ambiente, elemento):
    tabela = tabelas[arquivo]
    sigla = NOMES_ANTIGOS.get((arquivo, secao), secao)
    candidatos = [sigla]
    if secao in autorizadores and autorizadores[secao] != secao:
        candidatos.append(autorizadores[secao])
    for candidato in candidatos:
        achado = tabela.get(candidato, {}).get(ambiente, {}).get(elemento)
        if achado:
            return achado
    return None


def gerar(referencia, ambiente):
    arquivos = {a for _, a, _ in CHAVES} | set(TABELAS_EVENTOS)
    tabelas = {a: ler_tabela(os.path.join(referencia, a)) for a in arquivos}
    with open(os.path.join(referencia, 'autorizadores.json'), encoding='utf-8') as f:
        autorizadores = json.load(f)['55']
    linhas = ['; Servidores da SEFAZ (%s), gerado por tools/servidores/gerar_servidores.py' % ambiente,
              '; a partir das tabelas de endereços publicadas. Não edite: gere de novo.']
    for secao in SECOES:
        linhas.append('')
        linhas.append('[%s]' % secao)
        for chave, arquivo, elemento in CHAVES:
            achado = endereco(tabelas, autorizadores, arquivo, secao, ambiente, elemento)
            if achado:
                linhas.append('%s=%s' % (chave, achado))
        if secao in ('SVCAN', 'SVCRS'):
            eventos_secoes = [secao]
        else:
            eventos_secoes = [secao, 'AN']
        for chave, elemento in CHAVES_EVENTOS:
            for s in eventos_secoes:
                achado = next((e for e in (endereco(tabelas, autorizadores, t, s, ambiente, elemento)
                                           for t in TABELAS_EVENTOS) if e), None)
                if achado:
                    linhas.append('%s=%s' % (chave, achado))
                    break
    return '\n'.join(linhas) + '\n'


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--referencia', default=os.path.join(os.path.dirname(REPO), 'shared', 'reference'))
    parser.add_argument('--saida', default=os.path.join(REPO, 'data'))
    args = parser.parse_args()
    os.makedirs(args.saida, exist_ok=True)
    for sufixo, ambiente in AMBIENTES.items():
        destino = os.path.join(args.saida, 'nfeServidores%s.ini' % sufixo)
        with open(destino, 'w', encoding='utf-8', newline='\n') as f:
            f.write(gerar(args.referencia, ambiente))
        print(destino)


if __name__ == '__main__':
    main()
