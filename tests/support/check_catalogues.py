#!/usr/bin/env python3
"""Checks the committed translation catalogues against the sources and against themselves.

usage: check_catalogues.py LUPDATE SOURCE_DIR CATALOGUE.ts...

Fails when lupdate finds a source text a catalogue lacks (a tr() added without updating the
catalogues) or a catalogue keeps one the sources no longer have, and when an entry is
unfinished, empty, loses or gains a %1..%9/%n placeholder or changes the number of &
accelerators, or a numerus entry lacks its forms.
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

PLACEHOLDER = re.compile(r"%(?:[1-9]|n)")
# Plural forms Qt's numerus rules have for each language.
NUMERUS_FORMS = {"de": 2, "fr": 2}


def entries(path):
    """(context, source, comment) -> message element, for every message of a catalogue."""
    found = {}
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            key = (name, message.findtext("source"), message.findtext("comment") or "")
            found[key] = message
    return found


def accelerators(text):
    return len(re.findall(r"&(?!&)", text.replace("&&", "")))


def check_translation(key, message, language):
    context, source, _ = key
    where = f"{context}: {source!r}"
    translation = message.find("translation")
    kind = translation.get("type")
    if kind in ("unfinished", "obsolete", "vanished"):
        return [f"{where} is {kind}"]
    if message.get("numerus") == "yes":
        forms = [f.text or "" for f in translation.findall("numerusform")]
        wanted = NUMERUS_FORMS.get(language, 1)
        if len(forms) < wanted:
            return [f"{where} has {len(forms)} numerus forms, {language} needs {wanted}"]
    else:
        forms = [translation.text or ""]
    problems = []
    for form in forms:
        if not form.strip():
            problems.append(f"{where} has an empty translation")
            continue
        if set(PLACEHOLDER.findall(form)) != set(PLACEHOLDER.findall(source)):
            problems.append(f"{where}: placeholders differ in {form!r}")
        if accelerators(form) != accelerators(source):
            problems.append(f"{where}: accelerators differ in {form!r}")
    return problems


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    lupdate, sources, catalogues = sys.argv[1], sys.argv[2], [Path(p) for p in sys.argv[3:]]
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        copies = []
        for catalogue in catalogues:
            copy = Path(tmp) / catalogue.name
            shutil.copyfile(catalogue, copy)
            copies.append(copy)
        run = subprocess.run([lupdate, "-no-obsolete", "-locations", "none", sources, "-ts", *map(str, copies)],
                             capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stdout, run.stderr)
            return 1
        for catalogue, copy in zip(catalogues, copies):
            committed, current = entries(catalogue), entries(copy)
            for key in current.keys() - committed.keys():
                problems.append(f"{catalogue.name}: missing {key[0]}: {key[1]!r} (run update_translations)")
            for key in committed.keys() - current.keys():
                problems.append(f"{catalogue.name}: {key[0]}: {key[1]!r} is no longer in the sources")
    for catalogue in catalogues:
        language = ET.parse(catalogue).getroot().get("language", "").split("_")[0]
        for key, message in entries(catalogue).items():
            problems += [f"{catalogue.name}: {p}" for p in check_translation(key, message, language)]
    for p in problems:
        print(p)
    print(f"{len(problems)} problem(s) in {len(catalogues)} catalogue(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
