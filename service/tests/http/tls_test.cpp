#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include <boost/asio/ssl.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = boost::beast::http;

// A self-signed certificate for 127.0.0.1 and its key, as PEM files that last as long as it does.
class TestCertificate {
 public:
  TestCertificate() {
    auto stem = std::filesystem::temp_directory_path() / ("orvane-http-tls-" + std::to_string(getpid()));
    certificatePath_ = stem.string() + "-cert.pem";
    keyPath_ = stem.string() + "-key.pem";
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
    X509* certificate = X509_new();
    if (key == nullptr || certificate == nullptr) throw std::runtime_error("could not create a test certificate");
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Orvane test"), -1,
                               -1, 0);
    X509_set_issuer_name(certificate, name);
    addExtension(certificate, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1");
    X509_sign(certificate, key, EVP_sha256());
    BIO* certificateFile = BIO_new_file(certificatePath_.c_str(), "w");
    PEM_write_bio_X509(certificateFile, certificate);
    BIO_free(certificateFile);
    BIO* keyFile = BIO_new_file(keyPath_.c_str(), "w");
    PEM_write_bio_PrivateKey(keyFile, key, nullptr, nullptr, 0, nullptr, nullptr);
    BIO_free(keyFile);
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
  ~TestCertificate() {
    std::filesystem::remove(certificatePath_);
    std::filesystem::remove(keyPath_);
  }
  const std::string& certificatePath() const { return certificatePath_; }
  const std::string& keyPath() const { return keyPath_; }

 private:
  static void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
  }
  std::string certificatePath_;
  std::string keyPath_;
};

TEST(Tls, AnswersTheSameRoutesOverHttpsOnAKeptAliveConnection) {
  TestCertificate certificate;
  TestServer server;
  server.options.certificatePath = certificate.certificatePath();
  server.options.privateKeyPath = certificate.keyPath();
  server.router.add("POST", "/echo", "echo", {1024}, [](Request& request) {
    return Response::json(200, {{"body", request.body}, {"secure", request.secure}});
  });
  server.start();
  EXPECT_EQ(server.server->origin(), "https://127.0.0.1:" + std::to_string(server.port()));

  asio::io_context io;
  asio::ssl::context tls(asio::ssl::context::tls_client);
  tls.load_verify_file(certificate.certificatePath());
  tls.set_verify_mode(asio::ssl::verify_peer);
  beast::ssl_stream<beast::tcp_stream> stream(io, tls);
  stream.set_verify_callback(asio::ssl::host_name_verification("127.0.0.1"));
  beast::get_lowest_layer(stream).expires_after(std::chrono::seconds(10));
  beast::get_lowest_layer(stream).connect(
      asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(server.port())));
  stream.handshake(asio::ssl::stream_base::client);

  beast::flat_buffer buffer;
  for (std::string text : {"one", "two"}) {
    bhttp::request<bhttp::string_body> request(bhttp::verb::post, "/echo", 11);
    request.set(bhttp::field::host, "127.0.0.1");
    request.body() = text;
    request.prepare_payload();
    bhttp::write(stream, request);
    TestResponse answer;
    bhttp::read(stream, buffer, answer);
    EXPECT_EQ(answer.result_int(), 200);
    auto body = nlohmann::json::parse(answer.body());
    EXPECT_EQ(body["body"], text);
    EXPECT_EQ(body["secure"], true);
  }

  // Plain HTTP on the TLS port fails the handshake and is closed, not left hanging.
  TestClient plain(server.port());
  plain.send("GET /echo HTTP/1.1\r\nHost: t\r\n\r\n");
  EXPECT_TRUE(plain.connectionEnded());
}

}  // namespace
}  // namespace orvane::service::http::testing
