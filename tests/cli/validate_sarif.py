#!/usr/bin/env python3
"""Runs scrread --format sarif on scripts with errors, warnings, notes and suppressed messages,
and validates each log against the SARIF 2.1.0 schema shipped beside this file.

usage: validate_sarif.py SCRREAD FIXTURES_DIR
Exit 0 when every log is valid, 1 when one is not, 77 (skipped) when python3-jsonschema is
not installed."""
import json
import os
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed: skipped")
    sys.exit(77)

scrread, fixtures = sys.argv[1], sys.argv[2]
here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "sarif-schema-2.1.0.json"), encoding="utf-8") as f:
    schema = json.load(f)
validator = jsonschema.Draft7Validator(schema)

with tempfile.TemporaryDirectory() as tmp:
    def write(name, text):
        path = os.path.join(tmp, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
        return path

    write("sub/b.scr", "script {\n  module 阀门:X { }\n}\n")
    main = write("main 1.scr", "script {\n  include { sub/b.scr }\n  module A:B { }\n  module 泵 { 1 2 }\n}\n")
    fn = write("fn.scr", "script {\n  f(p) {\n    module Q:p { }\n  }\n  f(泵😀)\n}\n")
    runs = [
        [main, "--workdir", tmp, "--all"],
        [fn],
        [os.path.join(fixtures, "clean.scr"), os.path.join(fixtures, "gbk.scr"), "no-such.scr"],
    ]
    failed = False
    for args in runs:
        p = subprocess.run([scrread, "--format", "sarif"] + args, capture_output=True)
        log = json.loads(p.stderr.decode("utf-8"))
        errors = sorted(validator.iter_errors(log), key=lambda e: list(e.path))
        for e in errors:
            print("%s: %s at %s" % (args[0], e.message, "/".join(str(x) for x in e.path)))
        failed = failed or bool(errors)
        if not log["runs"][0]["results"]:
            print("%s: no results" % args[0])
            failed = True
    sys.exit(1 if failed else 0)
