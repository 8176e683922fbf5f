#!/usr/bin/env python3
"""The peer of "listforge-cli upload": stores FILE in the simulator with pyvisa-py's
write_binary_values (":MMEM:DATA" with a definite-length block) and waits for "*OPC?", all in one
process, so that it is timed as a whole like the command-line tool.
Usage: pyvisa_upload.py RESOURCE FILE"""
import sys

import pyvisa

resource, path = sys.argv[1], sys.argv[2]
with open(path, "rb") as f:
    payload = f.read()
rm = pyvisa.ResourceManager("@py")
inst = rm.open_resource(resource, write_termination="\n", read_termination="\n", timeout=60000)
name = path.rsplit("/", 1)[-1]
inst.write_binary_values(f":MMEM:DATA 'DataLists/{name}',", payload, datatype="B")
assert inst.query("*OPC?").strip() == "1"
inst.close()
