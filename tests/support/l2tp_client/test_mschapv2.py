import os
import sys
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import mschapv2  # noqa: E402

# RFC 2759 section 9.2
USER = "User"
PASSWORD = "clientPass"
AUTH_CHALLENGE = bytes.fromhex("5B5D7C7D7B3F2F3E3C2C602132262628")
PEER_CHALLENGE = bytes.fromhex("21402324255E262A28295F2B3A337C7E")
CHALLENGE = bytes.fromhex("D02E4386BCE91226")
NT_RESPONSE = bytes.fromhex("82309ECD8D708B5EA08FAA3981CD83544233114A3D85D6DF")
PASSWORD_HASH = bytes.fromhex("44EBBA8D5312B8D611474411F56989AE")
AUTH_RESPONSE = "S=407A5589115FD0D6209F510FE9C04566932CDA56"


class Rfc2759VectorTest(unittest.TestCase):
    def test_intermediate_values(self):
        self.assertEqual(mschapv2.nt_password_hash(PASSWORD), PASSWORD_HASH)
        self.assertEqual(mschapv2.challenge_hash(PEER_CHALLENGE, AUTH_CHALLENGE, USER), CHALLENGE)

    def test_nt_response(self):
        self.assertEqual(
            mschapv2.nt_response(AUTH_CHALLENGE, PEER_CHALLENGE, USER, PASSWORD), NT_RESPONSE)

    def test_authenticator_response(self):
        self.assertEqual(
            mschapv2.authenticator_response(PASSWORD, NT_RESPONSE, PEER_CHALLENGE,
                                            AUTH_CHALLENGE, USER),
            AUTH_RESPONSE)

    def test_wrong_password_changes_both_answers(self):
        self.assertNotEqual(
            mschapv2.nt_response(AUTH_CHALLENGE, PEER_CHALLENGE, USER, "clientpass"), NT_RESPONSE)
        self.assertNotEqual(
            mschapv2.authenticator_response("clientpass", NT_RESPONSE, PEER_CHALLENGE,
                                            AUTH_CHALLENGE, USER),
            AUTH_RESPONSE)


class ServerMessageTest(unittest.TestCase):
    def test_success_message_checked_against_expected(self):
        good = (AUTH_RESPONSE + " M=welcome").encode()
        self.assertTrue(mschapv2.verify_success_message(good, AUTH_RESPONSE))
        self.assertTrue(mschapv2.verify_success_message(AUTH_RESPONSE.lower().encode(), AUTH_RESPONSE))
        forged = "S=" + "0" * 40
        self.assertFalse(mschapv2.verify_success_message(forged.encode(), AUTH_RESPONSE))
        self.assertFalse(mschapv2.verify_success_message(b"S=407A", AUTH_RESPONSE))
        self.assertFalse(mschapv2.verify_success_message(b"", AUTH_RESPONSE))

    def test_failure_message_fields(self):
        fields = mschapv2.parse_failure_message(
            b"E=691 R=0 C=00112233445566778899AABBCCDDEEFF V=3 M=Authentication failed here")
        self.assertEqual(fields["E"], "691")
        self.assertEqual(fields["R"], "0")
        self.assertEqual(fields["V"], "3")
        self.assertEqual(fields["M"], "Authentication failed here")
        self.assertEqual(mschapv2.parse_failure_message(b"garbage"), {})


if __name__ == "__main__":
    unittest.main()
