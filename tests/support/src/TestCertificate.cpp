#include "support/TestCertificate.h"

#include "support/ChildProcess.h"

#include <chrono>

namespace test {

TestCertificate MakeTestCertificate(const std::filesystem::path& dir, const std::string& altNames) {
    TestCertificate c;
    c.certFile = dir / "cert.pem";
    c.keyFile = dir / "key.pem";
    std::vector<std::string> args = {"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048"};
    args.insert(args.end(), {"-nodes", "-subj", "/CN=localhost", "-days", "2"});
    args.insert(args.end(), {"-keyout", c.keyFile.string(), "-out", c.certFile.string()});
    if (!altNames.empty())
        args.insert(args.end(), {"-addext", "subjectAltName=" + altNames});
    ChildProcess make(args);
    const ProcessResult made = make.Wait(std::chrono::seconds(30));
    if (made.exitCode != 0) {
        c.error = "openssl req failed: " + made.err;
        return c;
    }
    ChildProcess print({"/usr/bin/openssl", "x509", "-in", c.certFile.string(), "-noout",
                        "-fingerprint", "-sha256"});
    const ProcessResult printed = print.Wait(std::chrono::seconds(30));
    const std::size_t eq = printed.out.find('=');
    if (printed.exitCode != 0 || eq == std::string::npos) {
        c.error = "openssl x509 failed: " + printed.err;
        return c;
    }
    c.sha256 = printed.out.substr(eq + 1);
    while (!c.sha256.empty() && (c.sha256.back() == '\n' || c.sha256.back() == '\r'))
        c.sha256.pop_back();
    return c;
}

} // namespace test
