"""The update client signed by the publisher's command (Authenticode, with
osslsigncode and a certificate authority made by openssl for the test):
osslsigncode verify accepts it, and the signed client still updates
version 1 to version 2 under wine.

    signed_client_test.py --bin BUILD/bin --programs BUILD/client-e2e-programs --source SOURCE_DIR

Exits 77 (counted as skipped) without wine, osslsigncode or openssl.
"""
import argparse
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import client_update_test  # noqa: E402
from client_update_test import ClientUpdateTest  # noqa: E402
from product import CLIENT  # noqa: E402

SOURCE = None


class SignedClientTest(ClientUpdateTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.certificates = os.path.join(cls.scratch, "certificates")
        subprocess.run([os.path.join(SOURCE, "tests", "support", "make-code-signing-certificate"),
                        cls.certificates], check=True)
        sign = "osslsigncode sign -certs '%s' -key '%s' -in {file} -out {signed}" % (
            os.path.join(cls.certificates, "signer.pem"), os.path.join(cls.certificates, "signer.key"))
        cls.unsigned = cls.product.client
        cls.built = cls.product.run_cli(["build", cls.product.settings, "--client", "--sign-command", sign])
        client = os.path.join(cls.product.project, CLIENT)
        with open(client, "rb") as source:
            cls.product.client = source.read()
        cls.verify = subprocess.run(["osslsigncode", "verify", "-CAfile",
                                     os.path.join(cls.certificates, "ca.pem"), "-in", client],
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        cls.v1 = client_update_test.digests(cls.product.installed_v1(cls.product.client))
        cls.v2 = client_update_test.digests(cls.product.installed_v2(cls.product.client))

    def test_signed_client_verifies_and_updates(self):
        output = self.verify.stdout.decode("utf-8", "replace")
        print("  osslsigncode verify of the built client:\n" + "\n".join(
            "    " + line for line in output.splitlines() if line.strip()), file=sys.stderr)
        self.assertEqual(self.verify.returncode, 0, output)
        self.assertIn("Signature verification: ok", output)
        self.assertNotEqual(self.product.client, self.unsigned, "the client was not signed")
        self.fresh_v1()
        status, log = self.run_client()
        self.assertVersion2(status, log, "the signed client")


def main():
    global SOURCE
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--programs", required=True)
    parser.add_argument("--source", required=True)
    args, rest = parser.parse_known_args()
    client_update_test.ARGS = args
    SOURCE = args.source
    for tool in ("wine", "timeout", "osslsigncode", "openssl"):
        if not shutil.which(tool):
            print("%s is not installed: the signed client's test is skipped" % tool)
            sys.exit(77)
    unittest.main(argv=[sys.argv[0], "-v", "SignedClientTest.test_signed_client_verifies_and_updates"] + rest)


if __name__ == "__main__":
    main()
