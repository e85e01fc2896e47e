// The TLS of the WiFiClientSecure stand-in: OpenSSL over a socket to 127.0.0.1.
#include <WiFiClientSecure.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string WiFiClientSecure::request;

namespace {

// Adds every certificate of a PEM text to the store.
void trust(X509_STORE* store, const std::string& pem) {
  BIO* in = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  while (X509* certificate = PEM_read_bio_X509(in, nullptr, nullptr, nullptr)) {
    X509_STORE_add_cert(store, certificate);
    X509_free(certificate);
  }
  ERR_clear_error();
  BIO_free(in);
}

}  // namespace

int WiFiClientSecure::connect(const char* host, uint16_t port) {
  stop();
  request += std::string("CONNECT ") + host + "\n";
  const char* testPort = getenv("PARCELO_HTTPS_PORT");
  if (certificates_ == nullptr || port != 443 || testPort == nullptr) return error_ = -1, 0;
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  context_ = context;
  trust(SSL_CTX_get_cert_store(context), certificates_);
  std::stringstream own;
  own << std::ifstream(getenv("PARCELO_TEST_ROOT") ? getenv("PARCELO_TEST_ROOT") : "").rdbuf();
  trust(SSL_CTX_get_cert_store(context), own.str());
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
  socket_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(atoi(testPort)));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval limit{5, 0};  // the core's handshake timeout
  setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    stop();
    return error_ = -1, 0;
  }
  SSL* tls = SSL_new(context);
  tls_ = tls;
  SSL_set_fd(tls, socket_);
  SSL_set_tlsext_host_name(tls, host);
  SSL_set1_host(tls, host);
  if (SSL_connect(tls) != 1) {
    error_ = SSL_get_verify_result(tls) != X509_V_OK ? -0x2700 : -1;
    stop();
    return 0;
  }
  fcntl(socket_, F_SETFL, fcntl(socket_, F_GETFL) | O_NONBLOCK);
  error_ = 0;
  return 1;
}

int WiFiClientSecure::lastError(char* text, size_t size) {
  if (size > 0) text[0] = '\0';
  return error_;
}

size_t WiFiClientSecure::write(const uint8_t* buffer, size_t size) {
  request.append(reinterpret_cast<const char*>(buffer), size);
  if (tls_ == nullptr) return 0;
  size_t done = 0;
  while (done < size) {
    int n = SSL_write(static_cast<SSL*>(tls_), buffer + done, static_cast<int>(size - done));
    if (n > 0) {
      done += n;
    } else if (SSL_get_error(static_cast<SSL*>(tls_), n) != SSL_ERROR_WANT_WRITE) {
      break;
    }
  }
  return done;
}

bool WiFiClientSecure::fill() {
  if (at_ < end_) return true;
  if (tls_ == nullptr || closed_) return false;
  int n = SSL_read(static_cast<SSL*>(tls_), buffer_, sizeof buffer_);
  if (n > 0) {
    at_ = 0;
    end_ = static_cast<size_t>(n);
    return true;
  }
  int error = SSL_get_error(static_cast<SSL*>(tls_), n);
  // The server's close, with close_notify or without (an abrupt close after the body).
  closed_ = error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE;
  ERR_clear_error();
  return false;
}

int WiFiClientSecure::available() { return fill() ? static_cast<int>(end_ - at_) : 0; }

int WiFiClientSecure::read() { return fill() ? buffer_[at_++] : -1; }

int WiFiClientSecure::read(uint8_t* buffer, size_t size) {
  size_t done = 0;
  while (done < size && fill()) buffer[done++] = buffer_[at_++];
  return done > 0 ? static_cast<int>(done) : -1;
}

int WiFiClientSecure::peek() { return fill() ? buffer_[at_] : -1; }

uint8_t WiFiClientSecure::connected() { return fill() || (tls_ != nullptr && !closed_); }

void WiFiClientSecure::stop() {
  if (tls_ != nullptr) SSL_free(static_cast<SSL*>(tls_));
  if (context_ != nullptr) SSL_CTX_free(static_cast<SSL_CTX*>(context_));
  if (socket_ >= 0) close(socket_);
  tls_ = context_ = nullptr;
  socket_ = -1;
  closed_ = false;
  at_ = end_ = 0;
}
