#!/usr/bin/python3
"""libvisa32 and the simulator driven by clients written elsewhere: Debian's PyVISA (its ctypes
backend loads the library by path) and rpcinfo. Runs inside a private network namespace (see
netns-run.sh) with two simulated instruments on 127.0.0.2 and 127.0.0.3.

    tst_pyvisa.py PyVisaClient | RpcInfoClient
"""
import os
import subprocess
import sys
import unittest

try:
    import pyvisa
    from pyvisa import constants, errors
except ImportError:
    print("python3-pyvisa is not installed; skipping")
    sys.exit(77)

BUILD = os.environ["LISTFORGE_BUILD_DIR"]
HOSTS = ("127.0.0.2", "127.0.0.3")
INSTR = "TCPIP0::127.0.0.2::inst0::INSTR"
SOCKET = "TCPIP0::127.0.0.2::5025::SOCKET"
PAYLOAD = bytes(range(256)) * 400  # 100 kB, every byte value


def setUpModule():
    global SIMS
    SIMS = []
    for host, model in zip(HOSTS, ("ZOY550X", "GKR550X")):
        sim = subprocess.Popen([BUILD + "/listforge-sim", "--model", model, "--address", host],
                               stdout=subprocess.PIPE, text=True)
        SIMS.append(sim)
        for line in sim.stdout:
            if line.strip() == "ready":
                break
        else:
            raise RuntimeError("simulator on %s did not start" % host)


def tearDownModule():
    for sim in SIMS:
        sim.terminate()
        sim.wait(5)


class PyVisaClient(unittest.TestCase):
    def setUp(self):
        self.rm = pyvisa.ResourceManager(BUILD + "/libvisa32.so")

    def tearDown(self):
        self.rm.close()

    def open(self, name, **kwargs):
        r = self.rm.open_resource(name, read_termination="\n", write_termination="\n", **kwargs)
        if name.endswith("SOCKET"):
            # A raw socket knows status byte and trigger only as IEEE 488.2 commands.
            r.io_protocol = constants.IOProtocol.protocol4882_strs
        return r

    def test_sessions(self):
        for name in (INSTR, SOCKET):
            with self.subTest(name), self.open(name, timeout=4000) as r:
                self.assertTrue(r.query("*IDN?").startswith("Tarvik,ZOY550X,"))
                self.assertEqual(r.resource_name, name)
                self.assertEqual(r.interface_type, constants.InterfaceType.tcpip)
                self.assertEqual(r.timeout, 4000)
                r.write("*IDN?")
                self.assertTrue(r.read_raw().startswith(b"Tarvik,ZOY550X,"))
                r.write_binary_values("MMEM:DATA 'py.bin',", PAYLOAD, datatype="B")
                back = r.query_binary_values("MMEM:DATA? 'py.bin'", datatype="B", container=bytes)
                self.assertEqual(back, PAYLOAD)
                r.write("*ESE 1;*OPC")  # operation complete raises ESB in the status byte
                self.assertEqual(r.read_stb() & 0x20, 0x20)
                r.assert_trigger()
                r.write("*CLS")
                r.clear()
                self.assertEqual(r.query("SYST:ERR?").split(",")[0], "0")
            with self.assertRaises(errors.InvalidSession):
                r.session

    def test_locks(self):
        for name in (INSTR, SOCKET):
            with self.subTest(name), self.open(name) as first, self.open(name) as second:
                first.lock_excl(timeout=1000)
                with self.assertRaises(errors.VisaIOError) as caught:
                    second.query("*IDN?")
                self.assertEqual(caught.exception.error_code, constants.StatusCode.error_resource_locked)
                with self.assertRaises(errors.VisaIOError) as caught:
                    second.lock_excl(timeout=100)
                self.assertEqual(caught.exception.error_code, constants.StatusCode.error_timeout)
                self.assertTrue(first.query("*IDN?").startswith("Tarvik"))
                first.unlock()
                self.assertTrue(second.query("*IDN?").startswith("Tarvik"))
                # A shared lock admits the holders of its key and nobody else.
                key = first.lock(timeout=1000)
                self.assertEqual(second.lock(timeout=100, requested_key=key), key)
                self.assertTrue(second.query("*IDN?").startswith("Tarvik"))
                with self.open(name) as third, self.assertRaises(errors.VisaIOError):
                    third.write("*CLS")
                first.unlock()
                second.unlock()
                with self.assertRaises(errors.VisaIOError) as caught:
                    second.unlock()
                self.assertEqual(caught.exception.error_code, constants.StatusCode.error_session_not_locked)

    def test_find_by_broadcast(self):
        self.assertEqual(sorted(self.rm.list_resources()),
                         ["TCPIP0::%s::inst0::INSTR" % h for h in HOSTS])
        self.assertEqual(self.rm.list_resources("GPIB?*INSTR"), ())

    def test_unknown_host(self):
        with self.assertRaises(errors.VisaIOError):
            self.rm.open_resource("TCPIP0::no-such-host.invalid::inst0::INSTR")

    def test_exit_with_open_sessions(self):
        # PyVISA closes what is still open when the interpreter ends.
        script = ("import pyvisa; rm = pyvisa.ResourceManager(%r); r = rm.open_resource(%r); "
                  "print(r.query('*IDN?'))" % (BUILD + "/libvisa32.so", INSTR))
        run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=30)
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertTrue(run.stdout.startswith("Tarvik"))


class RpcInfoClient(unittest.TestCase):
    def rpcinfo(self, *args):
        run = subprocess.run(["rpcinfo"] + list(args), capture_output=True, text=True, timeout=20)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        return run.stdout

    def test_listing(self):
        rows = {tuple(line.split()[:3]) for line in self.rpcinfo("-p", HOSTS[0]).splitlines()[1:]}
        self.assertEqual(rows, {("100000", "2", "tcp"), ("100000", "2", "udp"), ("395183", "1", "tcp")})
        short = {tuple(line.split()[:3]) for line in self.rpcinfo("-s", HOSTS[0]).splitlines()[1:]}
        self.assertEqual(short, {("100000", "2", "udp,tcp"), ("395183", "1", "tcp")})

    def test_ping(self):
        self.assertIn("program 100000 version 2 ready and waiting", self.rpcinfo("-u", HOSTS[1], "100000", "2"))
        self.assertIn("program 395183 version 1 ready and waiting", self.rpcinfo("-t", HOSTS[1], "395183", "1"))


if __name__ == "__main__":
    unittest.main()
