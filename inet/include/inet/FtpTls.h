// FTP over TLS (RFC 4217, explicit AUTH TLS): the choices a caller makes and what it is
// shown of a server's certificate.
//
// Fingerprints are the SHA-256 of the certificate's DER bytes written as 32 pairs of
// uppercase hex digits joined by colons ("AB:01:...:FF"), as `openssl x509 -fingerprint
// -sha256` prints them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace inet {

enum class FtpTlsMode {
    Auto,    // TLS when the server accepts AUTH TLS, plain FTP when it refuses
    Require, // a refused AUTH TLS ends the connection before the login
    Off,     // plain FTP; AUTH TLS is never sent
};

struct FtpCertificate {
    std::string subject;     // RFC 2253 form, e.g. "CN=ftp.example.com,O=Example"
    std::string issuer;      // likewise
    std::string notBefore;   // ISO 8601 in UTC, e.g. "2025-01-31 12:00:00Z"
    std::string notAfter;    // likewise
    std::string sha256;      // fingerprint, see above
    bool verified = false;   // chains to the system's trusted roots and names the host
    std::string verifyError; // why it did not verify; empty when verified
};

// The fingerprint form above for 64 hex digits in any case, with or without colons
// anywhere between them; std::nullopt for anything else.
std::optional<std::string> CanonicalFingerprint(std::string_view text);

} // namespace inet
