#!/usr/bin/env python3
"""Checks the administrative template in packaging/policies: the ADMX's shape as
the Group Policy schema has it, and that every string and presentation it refers
to exists in each language's ADML (a missing one makes the Group Policy editor
refuse the whole template).

    check_templates.py POLICIES_FOLDER
"""

import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
LANGUAGES = ("en-US", "fr-FR")
KEY = "Software\\Policies\\Drivewarden"
# The children of <policy>, in the order the schema requires.
POLICY_CHILDREN = ["parentCategory", "seeAlso", "keywords", "supportedOn", "enabledValue", "disabledValue",
                   "enabledList", "disabledList", "elements"]
ELEMENT_KINDS = {"enum": "dropdownList", "decimal": "decimalTextBox", "text": "textBox"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def local(tag):
    return tag[len(NS):] if tag.startswith(NS) else tag


def reference(value, kind, where):
    """The id inside "$(kind.id)"; a failure when value has another form."""
    match = re.fullmatch(r"\$\(" + kind + r"\.([A-Za-z0-9_]+)\)", value or "")
    check(match is not None, f"{where}: {value!r} is not a $({kind}.id) reference")
    return match.group(1) if match else None


def check_admx(root):
    """The string and presentation ids the ADMX refers to, and each presentation's element ids and kinds."""
    strings, presentations = set(), {}
    check(root.tag == NS + "policyDefinitions", f"root element {root.tag}")
    check(root.get("schemaVersion") == "1.0" and root.get("revision"), "policyDefinitions needs revision and schemaVersion")
    target = root.find(f"{NS}policyNamespaces/{NS}target")
    check(target is not None and target.get("prefix") and target.get("namespace"), "no target namespace")
    check(root.find(f"{NS}resources") is not None, "no resources element")
    order = [local(child.tag) for child in root]
    check(order == ["policyNamespaces", "resources", "supportedOn", "categories", "policies"],
          f"top-level elements out of order: {order}")

    supported = set()
    for definition in root.iter(NS + "definition"):
        supported.add(definition.get("name"))
        strings.add(reference(definition.get("displayName"), "string", f"supportedOn {definition.get('name')}"))
    categories = set()
    for category in root.iter(NS + "category"):
        categories.add(category.get("name"))
        strings.add(reference(category.get("displayName"), "string", f"category {category.get('name')}"))
        if category.get("explainText"):
            strings.add(reference(category.get("explainText"), "string", f"category {category.get('name')}"))

    names = set()
    for policy in root.iter(NS + "policy"):
        name = policy.get("name")
        check(name and name not in names, f"policy name {name!r} missing or repeated")
        names.add(name)
        check(policy.get("class") == "Both", f"{name}: class {policy.get('class')} (the machine and the user both may set it)")
        check(policy.get("key") == KEY, f"{name}: key {policy.get('key')}")
        strings.add(reference(policy.get("displayName"), "string", name))
        strings.add(reference(policy.get("explainText"), "string", name))
        children = [local(child.tag) for child in policy]
        check(children == [c for c in POLICY_CHILDREN if c in children] and set(children) <= set(POLICY_CHILDREN),
              f"{name}: children {children} not in the schema's order")
        parent = policy.find(NS + "parentCategory")
        check(parent is not None and parent.get("ref") in categories, f"{name}: no known parent category")
        support = policy.find(NS + "supportedOn")
        check(support is not None and support.get("ref") in supported, f"{name}: no known supportedOn")
        elements = policy.find(NS + "elements")
        if elements is None or len(elements) == 0:
            check(policy.get("presentation") is None, f"{name}: a presentation without elements")
            continue
        presentation = reference(policy.get("presentation"), "presentation", name)
        kinds = {}
        for element in elements:
            kind = local(element.tag)
            check(kind in ELEMENT_KINDS, f"{name}: element {kind} is none of {sorted(ELEMENT_KINDS)}")
            check(element.get("id") and element.get("valueName"), f"{name}: {kind} needs an id and a valueName")
            check(element.get("key") in (None, KEY), f"{name}: element key {element.get('key')}")
            kinds[element.get("id")] = kind
            if kind == "enum":
                items = element.findall(NS + "item")
                check(items, f"{name}: enum without items")
                for item in items:
                    strings.add(reference(item.get("displayName"), "string", f"{name} item"))
                    check(item.find(f"{NS}value/{NS}decimal") is not None, f"{name}: item without a decimal value")
            if kind == "text":
                check((element.get("maxLength") or "").isdigit(), f"{name}: text without maxLength")
        presentations[presentation] = kinds
    strings.discard(None)
    return strings, presentations


def check_adml(path, strings, presentations):
    root = ET.parse(path).getroot()
    check(root.tag == NS + "policyDefinitionResources", f"{path}: root element {root.tag}")
    check(root.get("schemaVersion") == "1.0" and root.get("revision"), f"{path}: revision and schemaVersion")
    check(root.find(NS + "displayName") is not None, f"{path}: no displayName")
    table = root.find(f"{NS}resources/{NS}stringTable")
    check(table is not None, f"{path}: no stringTable")
    ids = [s.get("id") for s in root.iter(NS + "string")]
    check(len(ids) == len(set(ids)), f"{path}: repeated string ids")
    for s in root.iter(NS + "string"):
        check((s.text or "").strip(), f"{path}: string {s.get('id')} is empty")
    for missing in sorted(strings - set(ids)):
        check(False, f"{path}: string {missing} is referred to but not defined")
    for unused in sorted(set(ids) - strings):
        check(False, f"{path}: string {unused} is defined but never used")

    shown = {p.get("id"): p for p in root.iter(NS + "presentation")}
    for presentation, kinds in presentations.items():
        element = shown.get(presentation)
        check(element is not None, f"{path}: presentation {presentation} is referred to but not defined")
        if element is None:
            continue
        controls = {c.get("refId"): local(c.tag) for c in element}
        for element_id, kind in kinds.items():
            check(controls.get(element_id) == ELEMENT_KINDS.get(kind),
                  f"{path}: {presentation} shows {element_id} as {controls.get(element_id)}, "
                  f"want {ELEMENT_KINDS.get(kind)}")
        for ref in set(controls) - set(kinds):
            check(False, f"{path}: {presentation} refers to an element {ref} that its policy lacks")
    for unused in sorted(set(shown) - set(presentations)):
        check(False, f"{path}: presentation {unused} is never used")


def main(argv):
    folder = Path(argv[1])
    strings, presentations = check_admx(ET.parse(folder / "Drivewarden.admx").getroot())
    check(strings and presentations, "the ADMX refers to nothing")
    for language in LANGUAGES:
        check_adml(folder / language / "Drivewarden.adml", strings, presentations)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
