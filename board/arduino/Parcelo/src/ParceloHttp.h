// One HTTP GET over a connected client (WiFiClientSecure, EthernetClient, any Arduino Client),
// read as servers really answer: HTTP/1.0 or 1.1, any reason phrase or none, CR LF or LF alone,
// header lines of any length (skipped, never held), a body with a Content-Length, in chunks, or
// up to the close. The body is then this object itself, a Stream: hand it to readForecast.
//
// One deadline bounds the whole fetch, measured here with millis() from the moment the object
// is made, so it means the same on every core whatever the client's own timeout. Nothing is
// allocated; the object holds about 80 bytes.
//
//   WiFiClientSecure client;
//   parcelo::HttpGet http(client);
//   parcelo::Error error = parcelo::connectSecurely(client, "www.jma.go.jp");
//   if (!error) error = http.request("www.jma.go.jp", "/bosai/forecast/data/forecast/130000.json");
//   if (!error && http.status() == 200) error = http.finish(parcelo::readForecast(http, ...));
//   if (error) show(http.text(error));
#pragma once

#include <Client.h>

#include "Parcelo.h"

namespace parcelo {

// What mbedTLS, under the ESP32's WiFiClientSecure, reports when the server's chain ends at
// no root the client was given.
const int kCertificateNotTrusted = -0x2700;

// Connects `client` to `host` on port 443: NotTrusted where the server's certificate does not
// chain to a root the client was given, NoConnection for any other failure (no network, no
// such host, refused). `client` needs lastError(), as the ESP32's WiFiClientSecure has.
template <typename SecureClient>
Error connectSecurely(SecureClient& client, const char* host) {
  if (client.connect(host, 443)) return Error::Ok;
  char text[4];
  int code = client.lastError(text, sizeof text);
  return code == kCertificateNotTrusted ? Error::NotTrusted : Error::NoConnection;
}

class HttpGet : public Stream {
 public:
  static const unsigned long kDeadlineMs = 60000;  // for the whole fetch

  explicit HttpGet(Client& client, unsigned long deadlineMs = kDeadlineMs);

  // Sends the request for `path` and reads the answer up to its body. With `ifModifiedSince`
  // (a Last-Modified of an earlier answer), a server that has nothing newer answers 304.
  // Ok for 200 (the body follows) and 304 (none does); Moved for a redirect, HttpStatus for
  // any other status, Compressed for a body in an encoding other than identity, NotHttp for
  // an answer that is not HTTP, CutOff and TimedOut where the answer stops early or too late.
  Error request(const char* host, const char* path, const char* ifModifiedSince = "");

  uint16_t status() const { return status_; }
  // The answer's Last-Modified ("" without one): give it to the next request.
  const char* lastModified() const { return lastModified_; }

  // What the fetch comes to, given what the body's reader said: CutOff where the body ended
  // before its length or its last chunk, TimedOut where the deadline passed, else `read`.
  // Stops the client.
  Error finish(Error read);

  // A text for the screen: the error's, with the status where that says more ("the server
  // answered 404", "moved to another address 301"). Valid until the next call.
  const char* text(Error error);

  // The body, as a Stream: read() waits for each byte until it comes, the body or the
  // connection ends, or the deadline passes; -1 then.
  int available() override;
  int read() override;
  int peek() override;
  size_t write(uint8_t) override { return 0; }

 private:
  int rawByte();  // the connection's next byte, waiting; -1 at its end or the deadline
  int line(char* out, size_t size);  // a line, as much of it as fits; its length or -1
  bool readHeaders();
  bool nextChunk();
  void header(const char* name, const char* value);

  Client& client_;
  unsigned long started_;
  unsigned long deadlineMs_;
  uint32_t left_;  // bytes left in the body or its chunk
  int16_t ahead_;  // the body's byte peeked at; -2 when none is
  uint16_t status_;
  bool chunked_;
  bool chunkSeen_;
  bool lengthKnown_;
  bool ended_;     // the body has ended as it should
  bool cutOff_;    // the connection closed inside the answer
  bool timedOut_;  // the deadline passed
  bool encoded_;
  char lastModified_[32];  // "Wed, 10 Dec 2026 05:00:00 GMT"
  char text_[40];
};

}  // namespace parcelo
