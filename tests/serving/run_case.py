"""Runs one serving case for CTest: exit 0 passed, 1 failed, 77 skipped (with the reason)."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

suite = unittest.defaultTestLoader.loadTestsFromName(sys.argv[1])
result = unittest.TextTestRunner(verbosity=2).run(suite)
if result.skipped and result.testsRun == len(result.skipped):
    print("skipped: " + result.skipped[0][1])
    sys.exit(77)
sys.exit(0 if result.wasSuccessful() else 1)
