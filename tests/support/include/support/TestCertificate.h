// A self-signed certificate for TLS tests, made by the openssl program:
//
//   test::TestCertificate cert = test::MakeTestCertificate(dir, "DNS:localhost");
//   ASSERT_TRUE(cert.error.empty()) << cert.error;
//   ... cert.certFile, cert.keyFile (PEM), cert.sha256 ...
//
// The subject is CN=localhost, the key RSA 2048, valid for two days. altNames is the
// subjectAltName value ("DNS:localhost,IP:127.0.0.1"), none when empty. sha256 is what
// `openssl x509 -fingerprint -sha256` prints after "=".
#pragma once

#include <filesystem>
#include <string>

namespace test {

struct TestCertificate {
    std::filesystem::path certFile;
    std::filesystem::path keyFile;
    std::string sha256;
    std::string error; // empty when made
};

TestCertificate MakeTestCertificate(const std::filesystem::path& dir,
                                    const std::string& altNames = {});

} // namespace test
