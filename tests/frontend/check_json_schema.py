#!/usr/bin/env python3
"""Validates the console's JSON documents against their schemas.

    check_json_schema.py SCHEMA_DIR SAMPLES_PROGRAM   run the program, check what it writes
    check_json_schema.py SCHEMA_DIR KIND FILE...      check documents of one kind

The samples program writes KIND.CASE.json files into the folder it is given.
Each document must be UTF-8, one strict JSON value (no NaN, no repeated key)
and valid against SCHEMA_DIR/KIND.schema.json; every schema in SCHEMA_DIR
must have at least one sample.
"""
import json
import pathlib
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    sys.exit("The Python module jsonschema is missing: install python3-jsonschema (tools/install-deps.sh)")


def reject_constant(name):
    raise ValueError(f"{name} is not JSON")


def unique_keys(pairs):
    keys = [k for k, _ in pairs]
    repeated = {k for k in keys if keys.count(k) > 1}
    if repeated:
        raise ValueError(f"repeated keys {sorted(repeated)}")
    return dict(pairs)


def check(validator, path):
    """The faults of one document, as text; empty when it is valid."""
    try:
        text = path.read_bytes().decode("utf-8")
        document = json.loads(text, parse_constant=reject_constant, object_pairs_hook=unique_keys)
    except ValueError as e:  # UnicodeDecodeError and JSONDecodeError are ValueErrors
        return [f"{path.name}: {e}"]
    return [f"{path.name}: {'/'.join(map(str, e.absolute_path))}: {e.message}"
            for e in validator.iter_errors(document)]


def validator_for(schema_dir, kind):
    schema = json.loads((schema_dir / f"{kind}.schema.json").read_text())
    jsonschema.Draft202012Validator.check_schema(schema)
    return jsonschema.Draft202012Validator(schema)


def samples_of(program, folder, schema_dir):
    """The documents the program writes into folder, by kind; every schema's kind is there."""
    subprocess.run([program, str(folder)], check=True)
    samples = {}
    for path in sorted(folder.glob("*.json")):
        samples.setdefault(path.name.split(".")[0], []).append(path)
    for schema in schema_dir.glob("*.schema.json"):
        samples.setdefault(schema.name.split(".")[0], [])
    return samples


def check_all(schema_dir, samples):
    faults = []
    for kind, paths in sorted(samples.items()):
        if not paths:
            faults.append(f"{kind}.schema.json: no sample")
            continue
        validator = validator_for(schema_dir, kind)
        for path in paths:
            faults += check(validator, path)
        print(f"{kind}: {len(paths)} documents checked")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    schema_dir = pathlib.Path(sys.argv[1])
    if len(sys.argv) > 3:
        return check_all(schema_dir, {sys.argv[2]: [pathlib.Path(p) for p in sys.argv[3:]]})
    with tempfile.TemporaryDirectory(prefix="json_samples.") as folder:
        return check_all(schema_dir, samples_of(sys.argv[2], pathlib.Path(folder), schema_dir))


if __name__ == "__main__":
    sys.exit(main())
