#include "self_signed_certificate.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

namespace orvane::testing {
namespace {

void addExtension(X509* certificate, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  if (extension == nullptr) throw std::runtime_error("bad certificate extension " + value);
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

std::string uniquePemPath() {
  static std::atomic<int> counter{0};
  auto name = "orvane-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".pem";
  return (std::filesystem::temp_directory_path() / name).string();
}

}  // namespace

SelfSignedCertificate::SelfSignedCertificate(const std::string& subjectAltName)
    : key_(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256")), certificate_(X509_new()), pemPath_(uniquePemPath()) {
  if (key_ == nullptr || certificate_ == nullptr) throw std::runtime_error("could not create a test certificate");
  X509_set_version(certificate_, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate_), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate_), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate_), 86400);
  X509_set_pubkey(certificate_, key_);
  X509_NAME* name = X509_get_subject_name(certificate_);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Orvane test"), -1, -1, 0);
  X509_set_issuer_name(certificate_, name);
  addExtension(certificate_, NID_basic_constraints, "critical,CA:TRUE");
  addExtension(certificate_, NID_subject_alt_name, subjectAltName);
  if (X509_sign(certificate_, key_, EVP_sha256()) == 0) throw std::runtime_error("could not sign a test certificate");

  BIO* file = BIO_new_file(pemPath_.c_str(), "w");
  if (file == nullptr) throw std::runtime_error("could not write " + pemPath_);
  PEM_write_bio_X509(file, certificate_);
  BIO_free(file);
}

SelfSignedCertificate::~SelfSignedCertificate() {
  std::error_code ignored;
  std::filesystem::remove(pemPath_, ignored);
  X509_free(certificate_);
  EVP_PKEY_free(key_);
}

}  // namespace orvane::testing
