#!/usr/bin/env python3
"""Generates the invoice field dictionaries of every manual version from the official schemas.

    python3 tools/dicionarios/gerar_dicionarios.py [--schemas DIR] [--referencia DIR]

writes data/Templates/<version>/Conversor/NFeDataSets.xml and NFeDataSets_Exportacao.xml.

What comes from where:
- data sets and field order: the infNFe element of the newest package of the manual version,
  split into data sets by leiautes.COMMON_DATA_SETS (or the version's own "data_sets");
- field names: the tag, "_", the layout item number (see leiautes.py for how numbers are derived);
- "tamanho": the longest value the field's type admits (length facets, enumerations, the longest
  match of its pattern);
- "requerido": the field is in every valid note (the element and all its ancestors mandatory, none
  of them one of several alternatives) and its type does not accept the empty text; the access key
  fields are written by the key and never required;
- "enum": the enumerations of the field's type (merged where one tag serves several alternatives);
- "display" and "dica": the layout's own description of the field: the display label is its first
  phrase, the hint the whole description when it says more than the label;
- "equivale" and "substituto": on the fields kept outside the version's layout (leiautes.EXTRA_FIELDS),
  the layout's field for the same element, which receives what is typed there, or the field to
  fill instead (leiautes.EQUIVALENTS, leiautes.SUBSTITUTES);
- "desde": the first package of the manual version whose schema has the field, when the oldest
  one at hand lacks it (leiautes.MANUALS);
- "rec": the field's positions in the national TXT record layout. For 3.10 they are the published
  layout (../shared/reference/txtstructure310.json), completed where it leaves groups out as its
  4.00 edition does (leiautes.RECORD_SUPPLEMENT_310). No TXT layout is published for 1.10 and 2.00
  in our references, so their records are derived the way the 3.10 layout is built: one record per
  group, named by the group's item number without a trailing "01" (group "B01" gives record "B"),
  holding the group's own fields in schema order from position 2; a field that is one of several
  alternatives (CNPJ or CPF) or that repeats gets a record of its own named by its item, and so does
  each alternative sequence of fields (record named by its first field's item).
"""
import argparse
import json
import os
import re
import sys
from xml.sax.saxutils import quoteattr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import leiautes  # noqa: E402
from xsd_arvore import Schema  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


# --- Item numbers -------------------------------------------------------------------------------

def _next_item(item):
    match = re.fullmatch(r'([A-Z]+)(\d+)([a-z]*)', item)
    letters, digits = match.group(1), match.group(2)
    return letters + str(int(digits) + 1).zfill(len(digits))


def _anchor(anchors, path):
    if path in anchors:
        return anchors[path]
    for key, item in anchors.items():
        if '*' in key and re.fullmatch(re.escape(key).replace(r'\*', '[^/]+'), path):
            return item
    return None


def number_items(root, anchors):
    last = None
    for node in [root] + list(root.walk()):
        item = _anchor(anchors, node.path())
        if item is None:
            if last is None:
                raise ValueError('no anchor for the first element ' + node.path())
            item = _next_item(last)
        node.item = item
        last = item


# --- Fields -------------------------------------------------------------------------------------

class Field:
    def __init__(self, name, size, tpnode, doc='', required=False, enums=None, visible=True, empty_tag=False):
        self.name = name
        self.empty_tag = empty_tag
        self.size = size
        self.tpnode = tpnode
        self.doc = doc
        self.required = required
        self.enums = list(enums or [])
        self.visible = visible
        self.recs = []
        self.overrides = {}
        self.paths = []  # schema paths of the elements the field stands for
        self.equivalent = ''  # field of the layout that receives a value typed here
        self.substitute = ''  # field of the layout to fill instead of this one
        self.since = ''  # first package of the manual version that has the field, when not all do

    def merge(self, other):
        self.paths += [path for path in other.paths if path not in self.paths]
        self.size = max(self.size, other.size)
        self.required = self.required and other.required
        self.empty_tag = self.empty_tag or other.empty_tag
        for value in other.enums:
            if value not in self.enums:
                self.enums.append(value)
        if not self.doc:
            self.doc = other.doc

    def add_rec(self, record, position):
        item = '%s=%d' % (record, position)
        if item not in self.recs:
            self.recs.append(item)


# Change notes of the schema authors, not part of the layout's description.
SCHEMA_NOTES = [
    re.compile(r'\s*//.*$', re.M),
    re.compile(r'\s*-?\s*\(\s*v\.?\s*\d\.\d+\s*\)\)?', re.I),
    re.compile(r'\s*-\s*NT\s*\d{4}[/.]\d{3}\S*', re.I),
    re.compile(r'^PL_\d+\w*\s*-.*$', re.M),
]


def describe(doc):
    for note in SCHEMA_NOTES:
        doc = note.sub('', doc)
    return doc.strip()


def label_and_hint(doc, fallback, label=None):
    doc = describe(doc)
    text = ' '.join(doc.split())
    if label:
        return label, (text if text and text.rstrip('.') != label else '')
    if not text:
        return fallback, ''
    label = doc.splitlines()[0]
    for mark in ('. ', ':', ' (', ' - ', ' – ', ';'):
        cut = label.find(mark)
        if cut > 0:
            label = label[:cut]
    label = label.rstrip('.').strip()
    if len(label) > 80:
        label = label[:80].rsplit(' ', 1)[0]
    hint = text if text.rstrip('.') != label else ''
    return label or fallback, hint


def data_set_of(path, prefixes):
    best = None
    for prefix, name in prefixes.items():
        if path == prefix or path.startswith(prefix + '/'):
            if best is None or len(prefix) > len(best[0]):
                best = (prefix, name)
    if best is None:
        raise ValueError('no data set for ' + path)
    return best[1]


def item_order(field_name):
    match = re.fullmatch(r'([A-Z]+)(\d+)([a-z]*)', field_name.rsplit('_', 1)[1])
    return match.group(1), int(match.group(2)), match.group(3)


def build_fields(root, config):
    """Data set name -> ordered {field name: Field}, and schema node -> Field.

    Fields keep schema order, except in data sets whose tags repeat across alternatives (every
    ICMS situation has its own orig, CST, ...): those follow the item numbers, the order of the
    layout table."""
    order = config.get('data_set_order', leiautes.DATA_SET_ORDER)
    prefixes = config.get('data_sets', leiautes.COMMON_DATA_SETS)
    data_sets = {name: {} for name in order}
    merged = set()
    by_node = {}
    for node in root.walk():
        if not node.is_field():
            continue
        ds = data_set_of(node.path(), prefixes)
        if ds is None:
            continue
        name = '%s_%s' % (node.name, node.item)
        required = node.always_present() and not node.facets.accepts_empty() and name not in leiautes.COMPUTED
        # A mandatory element whose type admits the empty text is written even when empty.
        empty_tag = (node.kind == 'element' and node.mandatory_in_group() and node.facets.accepts_empty() and
                     name not in leiautes.NO_EMPTY_TAG)
        field = Field(name, node.facets.size(), 'elemento' if node.kind == 'element' else 'atributo', node.doc,
                      required, node.facets.enums, True, empty_tag)
        field.paths = [node.path()]
        fields = data_sets[ds]
        if name in fields:
            fields[name].merge(field)
            merged.add(ds)
        else:
            fields[name] = field
        by_node[node] = fields[name]
    for ds in merged:
        data_sets[ds] = dict(sorted(data_sets[ds].items(), key=lambda entry: item_order(entry[0])))
    return data_sets, by_node


# --- Record layout ------------------------------------------------------------------------------

def _record_id(item):
    if item in leiautes.RECORD_IDS:
        return leiautes.RECORD_IDS[item]
    match = re.fullmatch(r'([A-Z]+)01', item)
    return match.group(1) if match else item


def derived_records(root, by_node):
    """Records of a version without a published TXT layout (see the module text)."""
    def own_record(fields, record):
        for position, node in enumerate(fields, start=2):
            if node in by_node:
                by_node[node].add_rec(record, position)

    for group in [root] + list(root.walk()):
        if not group.is_group():
            continue
        kept, apart = [], []
        for child in group.elements():
            if not child.is_field():
                continue
            branch = _alternative_branch(child)
            if branch is not None:
                if branch not in apart:
                    apart.append(branch)
            elif child.max > 1:
                apart.append(child)
            else:
                kept.append(child)
        if kept:
            own_record(kept, 'A' if group is root else _record_id(group.item))
        for branch in apart:
            leaves = list(branch.elements()) if branch.kind == 'sequence' else [branch]
            own_record(leaves, leaves[0].item)


def _alternative_branch(field):
    """The branch this field forms, alone or with the other fields of its sequence, when that
    branch is one of several alternatives of a choice."""
    node = field
    if node.parent.kind == 'sequence' and node.parent.parent is not None and node.parent.parent.kind == 'choice':
        node = node.parent
    choice = node.parent
    if choice is None or choice.kind != 'choice' or len(choice.children) < 2:
        return None
    leaves = list(node.elements()) if node.kind == 'sequence' else [node]
    return node if all(leaf.is_field() for leaf in leaves) else None


def _find_field(candidates, name):
    """The field a record layout names: a tag, or a group prefix, "_" and a tag ("gIBSUF_pDif")."""
    wanted = leiautes.RECORD_ALIASES.get(name, name)
    if '_' in wanted:
        prefix, wanted = wanted.split('_', 1)
        prefix = leiautes.RECORD_PREFIXES.get(prefix, prefix).lower()
        group = next((n for n in candidates if n.is_group() and n.name.lower() == prefix), None)
        if group is None:
            return None
        candidates = list(group.walk())
    return next((n for n in candidates if n.is_field() and n.name.lower() == wanted.lower()), None)


def published_records(root, by_node, layout_file, supplement, groups):
    """Positions from the published TXT record layout of the version, with the supplementary lines
    for the groups it leaves out (a supplementary line extends, adds or, as None, drops a record)."""
    with open(layout_file, encoding='utf-8') as f:
        layout = json.load(f)
    layout.update(supplement)
    layout = {key: line for key, line in layout.items() if line is not None}
    items = {node.item.upper(): node for node in [root] + list(root.walk())}
    missing = []
    for key, line in layout.items():
        parts = line.split('|')
        record, names = parts[0], [p for p in parts[1:] if p]
        group_item = groups.get(key, key)
        node = items.get(group_item.upper()) or items.get(group_item.upper() + '01')
        if node is None or not names:
            continue
        scope = node if node.is_group() else node.element_parent()
        candidates = [scope] + list(scope.walk())
        # A field the layout keeps on the line of a group it has left (vItem on the product line,
        # indPag on the identification line) is looked for around that group.
        around = scope.element_parent() or scope
        wider = [around] + list(around.walk())
        for position, name in enumerate(names, start=2):
            found = _find_field(candidates, name) or _find_field(wider, name)
            if found is None or found not in by_node:
                missing.append('%s|%s' % (key, name) + ('' if found is None else ' (grupo fora do dicionário)'))
                continue
            by_node[found].add_rec(record, position)
            if key.upper() != record.upper():  # a line spelled apart from its key: accept both
                by_node[found].add_rec(key, position)
    return missing


# --- Output -------------------------------------------------------------------------------------

def attribute_text(field):
    label, hint = label_and_hint(field.doc, field.name.split('_')[0], leiautes.LABELS.get(field.name))
    attrs = [('nome', field.name), ('tamanho', str(field.size))]
    if field.required:
        attrs.append(('requerido', 's'))
    if field.empty_tag:
        attrs.append(('tagvazia', 's'))
    if field.visible:
        attrs.append(('visible', 's'))
    attrs.append(('tpnode', field.tpnode))
    if field.enums:
        attrs.append(('enum', ','.join(field.enums)))
    if hint:
        attrs.append(('dica', hint))
    attrs.append(('display', label))
    if field.recs:
        attrs.append(('rec', ','.join(field.recs)))
    if field.equivalent:
        attrs.append(('equivale', field.equivalent))
    if field.substitute:
        attrs.append(('substituto', field.substitute))
    if field.since:
        attrs.append(('desde', field.since))
    values = dict(attrs)
    for key, value in field.overrides.items():
        values[key] = value
    if values.get('requerido') == 'n':
        del values['requerido']
    order = ['nome', 'tamanho', 'requerido', 'tagvazia', 'visible', 'tpnode', 'enum', 'dica', 'display', 'rec',
             'equivale', 'substituto', 'desde']
    return ' '.join('%s=%s' % (k, quoteattr(values[k])) for k in order if k in values)


def write_dictionary(path, manual, package, data_sets, comment, order):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<!-- Dicionário de campos da NF-e, manual %s (leiaute do pacote %s). %s' % (manual, package, comment),
             '     Gerado por tools/dicionarios/gerar_dicionarios.py; não editar à mão. -->',
             '<NFeDataSets>']
    for name in order:
        fields = data_sets[name]
        lines.append('  <%s>' % name)
        lines.append('    <campos>')
        lines.append('      <campo nome="handle" tamanho="10" display="Sequência do registro"/>')
        link = leiautes.LINKS.get(name)
        if link:
            lines.append('      <campo nome="%s" tamanho="10" display="Ligação com %s"/>' % (link[1], link[0]))
        for field in fields.values():
            lines.append('      <campo %s/>' % attribute_text(field))
        lines.append('    </campos>')
        if link:
            lines.append('    <ligacao mastersource="%s" masterfield="handle" keyfield="%s"/>' % link)
        else:
            lines.append('    <ligacao/>')
        lines.append('  </%s>' % name)
    lines.append('</NFeDataSets>')
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


def build_manual(manual, schemas, reference):
    config = leiautes.MANUALS[manual]
    root = Schema(os.path.join(schemas, config['package'], config['schema'])).tree()
    number_items(root, config['anchors'])
    data_sets, by_node = build_fields(root, config)
    missing = []
    if 'record_layout' in config:
        missing = published_records(root, by_node, os.path.join(reference, config['record_layout']),
                                    config.get('record_supplement', {}),
                                    config.get('record_groups', leiautes.RECORD_GROUPS_310))
    else:
        derived_records(root, by_node)
    mark_first_packages(config, schemas, by_node)
    return data_sets, missing


def mark_first_packages(config, schemas, by_node):
    """Marks the fields that the oldest package of the version at hand lacks with the first
    package that has them."""
    packages = []
    for package in config['packages']:
        path = os.path.join(schemas, package, config['schema'])
        if os.path.exists(path):
            tree = Schema(path).tree()
            packages.append((package, {node.path() for node in tree.walk()}))
    for field in set(by_node.values()):
        first = next((package for package, paths in packages if set(field.paths) & paths), None)
        if first is None:
            raise ValueError('%s: no package has %s' % (config['package'], field.name))
        if first != packages[0][0]:
            field.since = config.get('package_names', {}).get(first, first.lower())


def add_extra_fields(manual, data_sets, built):
    equivalents = leiautes.EQUIVALENTS.get(manual, {})
    substitutes = leiautes.SUBSTITUTES.get(manual, {})
    for ds, name, size, label, source in leiautes.EXTRA_FIELDS.get(manual, []):
        if source:
            original = built[source][0][ds][name]
            field = Field(name, original.size, original.tpnode, original.doc, False, original.enums, False)
            field.paths = list(original.paths)
        else:
            field = Field(name, size, 'elemento', label, False, None, False)
        field.doc = (field.doc.rstrip('.') + '. ' if field.doc else '') + leiautes.KEPT_FOR_RULES
        field.equivalent = equivalents.get(name) or _same_element(data_sets[ds], field.paths)
        field.substitute = substitutes.get(name, '')
        if field.equivalent and field.substitute:
            raise ValueError('%s: %s has both an equivalent and a substitute' % (manual, name))
        data_sets[ds][name] = field


def _same_element(fields, paths):
    """The visible field of a data set that stands for one of these schema paths, or ''."""
    found = {f.name for f in fields.values() if f.visible and set(f.paths) & set(paths)}
    if len(found) > 1:
        raise ValueError('several fields for %s: %s' % (paths, sorted(found)))
    return found.pop() if found else ''


def export_variant(manual, data_sets):
    import copy
    variant = copy.deepcopy(data_sets)
    overrides = leiautes.EXPORT[manual]
    for fields in variant.values():
        for field in fields.values():
            if field.name in overrides:
                field.overrides = dict(overrides[field.name])
    declared = {f.name for fields in variant.values() for f in fields.values()}
    unknown = set(overrides) - declared
    if unknown:
        raise ValueError('export fields not in %s: %s' % (manual, sorted(unknown)))
    return variant


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    shared = os.path.join(os.path.dirname(REPO), 'shared')
    parser.add_argument('--schemas', default=os.environ.get('MOXNFE_SCHEMAS', os.path.join(shared, 'schemas')))
    parser.add_argument('--referencia', default=os.path.join(shared, 'reference'))
    parser.add_argument('--saida', default=os.path.join(REPO, 'data', 'Templates'))
    args = parser.parse_args()

    built = {manual: build_manual(manual, args.schemas, args.referencia) for manual in leiautes.MANUALS}
    for manual, (data_sets, missing) in built.items():
        add_extra_fields(manual, data_sets, built)
        package = leiautes.MANUALS[manual]['package']
        folder = os.path.join(args.saida, manual, 'Conversor')
        order = leiautes.MANUALS[manual].get('data_set_order', leiautes.DATA_SET_ORDER)
        write_dictionary(os.path.join(folder, 'NFeDataSets.xml'), manual, package, data_sets, 'Notas comuns.', order)
        write_dictionary(os.path.join(folder, 'NFeDataSets_Exportacao.xml'), manual, package,
                         export_variant(manual, data_sets),
                         'Notas com destinatário ou remetente no exterior.', order)
        for item in missing:
            print('%s: campo do leiaute TXT sem campo no dicionário: %s' % (manual, item), file=sys.stderr)


if __name__ == '__main__':
    main()
