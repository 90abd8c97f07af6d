#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>

namespace orvane::testing {

// A throw-away certificate authority and server certificate in one, for TLS tests.
class SelfSignedCertificate {
 public:
  // `subjectAltName` in OpenSSL's spelling: "IP:127.0.0.1", "DNS:localhost".
  explicit SelfSignedCertificate(const std::string& subjectAltName);
  ~SelfSignedCertificate();

  SelfSignedCertificate(const SelfSignedCertificate&) = delete;
  SelfSignedCertificate& operator=(const SelfSignedCertificate&) = delete;

  X509* certificate() const { return certificate_; }
  EVP_PKEY* key() const { return key_; }
  // The certificate as a PEM file, removed with this object.
  const std::string& pemPath() const { return pemPath_; }

 private:
  EVP_PKEY* key_ = nullptr;
  X509* certificate_ = nullptr;
  std::string pemPath_;
};

}  // namespace orvane::testing
