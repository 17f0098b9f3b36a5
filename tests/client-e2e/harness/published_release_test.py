"""The update client updating version 1 to version 2 under wine from a
release that `tidewell-cli publish` put in a folder, served over http from
that folder alone, after publish checked it as a client sees it.

    published_release_test.py --bin BUILD/bin --programs BUILD/client-e2e-programs

Exits 77 (counted as skipped) when wine is not installed.
"""
import argparse
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import client_update_test  # noqa: E402
from client_update_test import ClientUpdateTest  # noqa: E402
from loopback_server import LoopbackServer  # noqa: E402
from product import CLIENT  # noqa: E402


class PublishedReleaseTest(ClientUpdateTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.published = os.path.join(cls.scratch, "published")
        os.makedirs(cls.published)
        cls.web = LoopbackServer(cls.published).__enter__()
        settings = cls.product.settings
        # A server file the server serves as it is, in a folder of its own.
        cls.product.run_cli(["set", settings, "HTTPLocationXML=" + cls.web.url("logbook/UpdateConfig.xml"),
                             "HTTPLocationFiles=" + cls.web.url("logbook/files")])
        cls.product.run_cli(["build", settings, "--xml"])
        cls.product.run_cli(["build", settings, "--client"])
        with open(os.path.join(cls.product.project, CLIENT), "rb") as source:
            cls.product.client = source.read()
        cls.v1 = client_update_test.digests(cls.product.installed_v1(cls.product.client))
        cls.v2 = client_update_test.digests(cls.product.installed_v2(cls.product.client))
        cls.output = cls.product.run_cli(["publish", settings, "--to", os.path.join(cls.published, "logbook")])

    @classmethod
    def tearDownClass(cls):
        cls.web.stop()
        super().tearDownClass()

    def test_client_updates_from_the_published_release(self):
        self.assertIn("The published release is whole", self.output)
        self.fresh_v1()
        self.web.reset()
        status, log = self.run_client()
        self.assertVersion2(status, log, "update from the published release")
        requests = [path for path, _ in self.web.requested()]
        self.assertIn("/logbook/UpdateConfig.xml", requests)
        self.assertIn("/logbook/files/media/intro.bin", requests)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--programs", required=True)
    args, rest = parser.parse_known_args()
    client_update_test.ARGS = args
    for tool in ("wine", "timeout"):
        if not shutil.which(tool):
            print("%s is not installed: the published release's test is skipped" % tool)
            sys.exit(77)
    unittest.main(argv=[sys.argv[0], "-v",
                        "PublishedReleaseTest.test_client_updates_from_the_published_release"] + rest)


if __name__ == "__main__":
    main()
