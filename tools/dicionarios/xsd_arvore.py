"""Reads an official NF-e layout schema into a tree of the infNFe element.

Only what the field dictionaries need is kept: element and attribute names in document order,
their occurrences, the compositors around them (a choice makes its branches alternatives), the
facets of their simple types and the documentation text of the layout.
"""
import os
import re
import xml.etree.ElementTree as ET

XS = '{http://www.w3.org/2001/XMLSchema}'


class Node:
    """An element, an attribute or a compositor (sequence, choice) of the layout."""

    def __init__(self, kind, name='', parent=None, min_occurs=1, max_occurs=1):
        self.kind = kind  # 'element', 'attribute', 'sequence' or 'choice'
        self.name = name
        self.parent = parent
        self.min = min_occurs
        self.max = max_occurs
        self.children = []
        self.doc = ''
        self.facets = None  # Facets of a simple content; None for a group
        self.item = ''  # layout item number, given later

    # --- Shape.
    def is_field(self):
        return self.kind in ('element', 'attribute') and self.facets is not None

    def is_group(self):
        return self.kind == 'element' and self.facets is None

    def elements(self):
        """Element and attribute children, looking through compositors."""
        for child in self.children:
            if child.kind in ('sequence', 'choice'):
                yield from child.elements()
            else:
                yield child

    def walk(self):
        """Every element and attribute below this node, in document order (attributes first)."""
        for child in self.elements():
            yield child
            yield from child.walk()

    def element_parent(self):
        node = self.parent
        while node is not None and node.kind in ('sequence', 'choice'):
            node = node.parent
        return node

    def path(self):
        parts = []
        node = self
        while node is not None and node.parent is not None:
            if node.kind == 'element':
                parts.append(node.name)
            elif node.kind == 'attribute':
                parts.append('@' + node.name)
            node = node.parent
        return '/'.join(reversed(parts))

    def always_present(self):
        """True when every valid note holds this node: it and all its ancestors are mandatory
        and none of them is one of several alternatives."""
        node = self
        while node.parent is not None:
            if node.min < 1:
                return False
            if node.parent.kind == 'choice' and len(node.parent.children) > 1:
                return False
            node = node.parent
        return True

    def mandatory_in_group(self):
        """True when the enclosing group element always holds this node."""
        node = self
        while True:
            if node.min < 1:
                return False
            parent = node.parent
            if parent is None or parent.kind == 'element':
                return True
            if parent.kind == 'choice' and len(parent.children) > 1:
                return False
            node = parent


class Facets:
    """The restrictions of a simple type, gathered along its derivation."""

    def __init__(self):
        self.enums = []
        self.patterns = []
        self.max_length = None
        self.length = None
        self.base = 'string'

    def accepts_empty(self):
        if self.enums:
            return '' in self.enums
        if self.length is not None and self.length > 0:
            return False
        # XSD patterns match the whole value; their syntax here is a subset of Python's.
        return all(re.fullmatch(pattern, '') for pattern in self.patterns)

    def size(self):
        """Longest value the type admits, in characters."""
        candidates = []
        if self.length is not None:
            candidates.append(self.length)
        if self.max_length is not None:
            candidates.append(self.max_length)
        if self.enums:
            candidates.append(max(len(e) for e in self.enums))
        for pattern in self.patterns:
            longest = pattern_max_length(pattern)
            if longest is not None:
                candidates.append(longest)
        if candidates:
            return min(candidates)
        return {'date': 10, 'dateTime': 25, 'time': 8}.get(self.base, 60)


def pattern_max_length(pattern):
    """Longest string a (bounded) XSD pattern matches, or None when it is unbounded."""
    pos = 0

    def parse_alternatives():
        nonlocal pos
        best = parse_sequence()
        while pos < len(pattern) and pattern[pos] == '|':
            pos += 1
            other = parse_sequence()
            best = None if best is None or other is None else max(best, other)
        return best

    def parse_sequence():
        nonlocal pos
        total = 0
        while pos < len(pattern) and pattern[pos] not in '|)':
            atom = parse_atom()
            count = parse_quantifier()
            if atom is None or count is None:
                total = None
            elif total is not None:
                total += atom * count
        return total

    def parse_atom():
        nonlocal pos
        c = pattern[pos]
        if c == '(':
            pos += 1
            inner = parse_alternatives()
            pos += 1  # ')'
            return inner
        if c == '[':
            depth = 0
            while True:
                if pattern[pos] == '\\':
                    pos += 2
                    continue
                if pattern[pos] == '[':
                    depth += 1
                elif pattern[pos] == ']':
                    depth -= 1
                    if depth == 0:
                        pos += 1
                        return 1
                pos += 1
        if c == '\\':
            pos += 2
            return 1
        pos += 1
        return 1

    def parse_quantifier():
        nonlocal pos
        if pos >= len(pattern):
            return 1
        c = pattern[pos]
        if c == '?':
            pos += 1
            return 1
        if c in '*+':
            pos += 1
            return None
        if c == '{':
            end = pattern.index('}', pos)
            bounds = pattern[pos + 1:end]
            pos = end + 1
            if ',' in bounds:
                low, high = bounds.split(',')
                return int(high) if high.strip() else None
            return int(bounds)
        return 1

    return parse_alternatives()


def _occurs(node, name, default):
    value = node.get(name)
    if value is None:
        return default
    return 10 ** 9 if value == 'unbounded' else int(value)


def _doc(node):
    annotation = node.find(XS + 'annotation')
    if annotation is None:
        return ''
    text = '\n'.join(d.text or '' for d in annotation.findall(XS + 'documentation'))
    lines = (' '.join(line.split()) for line in text.splitlines())
    return '\n'.join(line for line in lines if line)


class Schema:
    """The named types of a layout file and of everything it includes."""

    def __init__(self, path):
        self.complex = {}
        self.simple = {}
        folder = os.path.dirname(path)
        pending, seen = [path], set()
        while pending:
            current = pending.pop()
            if current in seen:
                continue
            seen.add(current)
            root = ET.parse(current).getroot()
            for include in root.findall(XS + 'include'):
                pending.append(os.path.join(folder, include.get('schemaLocation')))
            for node in root.findall(XS + 'complexType'):
                self.complex[node.get('name')] = node
            for node in root.findall(XS + 'simpleType'):
                self.simple[node.get('name')] = node

    def facets(self, type_name, inline=None):
        """Facets of a named or inline simple type, the outermost restriction winning."""
        facets = Facets()
        chain = []
        node = inline
        name = type_name
        while True:
            if node is None:
                if name is None:
                    break
                local = name.split(':')[-1]
                if local not in self.simple:
                    facets.base = local
                    break
                node = self.simple[local]
            restriction = node.find(XS + 'restriction')
            if restriction is None:
                break
            chain.append(restriction)
            name = restriction.get('base')
            node = restriction.find(XS + 'simpleType')
        for restriction in reversed(chain):  # base first, so the outer restriction overrides
            enums = [e.get('value') for e in restriction.findall(XS + 'enumeration')]
            if enums:
                facets.enums = enums
            patterns = [p.get('value') for p in restriction.findall(XS + 'pattern')]
            if patterns:
                facets.patterns = patterns
            for tag in ('maxLength', 'length'):
                facet = restriction.find(XS + tag)
                if facet is not None:
                    setattr(facets, 'max_length' if tag == 'maxLength' else 'length', int(facet.get('value')))
        return facets

    def type_doc(self, type_name):
        if not type_name:
            return ''
        local = type_name.split(':')[-1]
        node = self.complex.get(local) or self.simple.get(local)
        return _doc(node) if node is not None else ''

    # --- Tree.
    def tree(self, root_type='TNFe', root_element='infNFe'):
        top = self.complex[root_type]
        for element in top.iter(XS + 'element'):
            if element.get('name') == root_element:
                root = Node('element', root_element)
                self._fill(root, element)
                root.parent = None
                return root
        raise ValueError('element %s not found' % root_element)

    def _fill(self, node, xsd_element):
        node.doc = _doc(xsd_element)
        complex_type = xsd_element.find(XS + 'complexType')
        type_name = xsd_element.get('type')
        if complex_type is None and type_name and type_name.split(':')[-1] in self.complex:
            complex_type = self.complex[type_name.split(':')[-1]]
        if complex_type is None:
            node.facets = self.facets(type_name, xsd_element.find(XS + 'simpleType'))
            if not node.doc:
                node.doc = self.type_doc(type_name)
            return
        self._content(node, complex_type)

    def _content(self, node, xsd_node):
        for child in xsd_node:
            tag = child.tag[len(XS):]
            if tag in ('sequence', 'choice'):
                compositor = Node(tag, parent=node, min_occurs=_occurs(child, 'minOccurs', 1),
                                  max_occurs=_occurs(child, 'maxOccurs', 1))
                node.children.append(compositor)
                self._content(compositor, child)
            elif tag == 'element':
                name = child.get('name') or child.get('ref')
                if ':' in name:  # the signature, outside infNFe
                    continue
                element = Node('element', name, node, _occurs(child, 'minOccurs', 1), _occurs(child, 'maxOccurs', 1))
                node.children.append(element)
                self._fill(element, child)
            elif tag == 'attribute':
                attribute = Node('attribute', child.get('name'), node, 1 if child.get('use') == 'required' else 0)
                attribute.doc = _doc(child)
                attribute.facets = self.facets(child.get('type'), child.find(XS + 'simpleType'))
                # Attributes come first, as they are written in the element's opening tag.
                node.children.insert(sum(1 for c in node.children if c.kind == 'attribute'), attribute)
            elif tag in ('complexContent', 'simpleContent'):
                for derivation in child:
                    self._content(node, derivation)
