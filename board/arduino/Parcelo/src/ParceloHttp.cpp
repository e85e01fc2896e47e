#include "ParceloHttp.h"

#include <stdlib.h>
#include <string.h>

namespace parcelo {

namespace {

const int16_t kNothing = -2;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameWord(const char* a, const char* b) {
  while (*a != '\0' && lower(*a) == lower(*b)) {
    a++;
    b++;
  }
  return *a == '\0' && *b == '\0';
}

// A header's value without the white space around it.
char* trimmed(char* value) {
  while (*value == ' ' || *value == '\t') value++;
  size_t length = strlen(value);
  while (length > 0 && (value[length - 1] == ' ' || value[length - 1] == '\t')) length--;
  value[length] = '\0';
  return value;
}

}  // namespace

HttpGet::HttpGet(Client& client, unsigned long deadlineMs)
    : client_(client),
      started_(millis()),
      deadlineMs_(deadlineMs),
      left_(0),
      ahead_(kNothing),
      status_(0),
      chunked_(false),
      chunkSeen_(false),
      lengthKnown_(false),
      ended_(false),
      cutOff_(false),
      timedOut_(false),
      encoded_(false) {
  lastModified_[0] = '\0';
  text_[0] = '\0';
}

int HttpGet::rawByte() {
  for (;;) {
    if (timedOut_ || cutOff_) return -1;
    int c = client_.read();
    if (c >= 0) return c;
    if (!client_.connected() && client_.available() <= 0) {
      cutOff_ = true;  // whoever expected more says whether the close was early
      return -1;
    }
    if (millis() - started_ >= deadlineMs_) {
      timedOut_ = true;
      return -1;
    }
    yield();
  }
}

int HttpGet::line(char* out, size_t size) {
  size_t length = 0;
  for (;;) {
    int c = rawByte();
    if (c < 0) return -1;
    if (c == '\n') break;
    if (length + 1 < size) out[length++] = static_cast<char>(c);
  }
  if (length > 0 && out[length - 1] == '\r') length--;
  out[length] = '\0';
  return static_cast<int>(length);
}

Error HttpGet::request(const char* host, const char* path, const char* ifModifiedSince) {
  // HTTP/1.1, so that a server may answer 304; the connection closes after the answer.
  client_.print("GET ");
  client_.print(path);
  client_.print(" HTTP/1.1\r\nHost: ");
  client_.print(host);
  client_.print("\r\nUser-Agent: Parcelo\r\nAccept-Encoding: identity\r\nConnection: close\r\n");
  if (ifModifiedSince != nullptr && ifModifiedSince[0] != '\0') {
    client_.print("If-Modified-Since: ");
    client_.print(ifModifiedSince);
    client_.print("\r\n");
  }
  client_.print("\r\n");
  // "HTTP/1.1 200 OK", "HTTP/1.0 200", "HTTP/1.1 404 Not Found"
  char first[16];
  if (line(first, sizeof first) < 0 || !readHeaders()) {
    return timedOut_ ? Error::TimedOut : Error::CutOff;
  }
  const char* digits = strchr(first, ' ');
  if (strncmp(first, "HTTP/", 5) != 0 || digits == nullptr) return Error::NotHttp;
  for (uint8_t i = 1; i <= 3; i++) {
    if (!isDigit(digits[i])) return Error::NotHttp;
    status_ = static_cast<uint16_t>(status_ * 10 + (digits[i] - '0'));
  }
  if (digits[4] != '\0' && digits[4] != ' ') return Error::NotHttp;
  if (status_ == 304) return Error::Ok;
  if (status_ == 301 || status_ == 302 || status_ == 303 || status_ == 307 || status_ == 308) {
    return Error::Moved;
  }
  if (status_ != 200) return Error::HttpStatus;
  if (encoded_) return Error::Compressed;
  cutOff_ = false;
  if (lengthKnown_ && left_ == 0) ended_ = true;
  return Error::Ok;
}

bool HttpGet::readHeaders() {
  // Only the few headers the body needs are kept; the rest of a long line is read and dropped.
  char text[sizeof lastModified_ + 24];
  for (;;) {
    int length = line(text, sizeof text);
    if (length < 0) return false;
    if (length == 0) return true;
    char* colon = strchr(text, ':');
    if (colon == nullptr) continue;
    *colon = '\0';
    header(text, trimmed(colon + 1));
  }
}

void HttpGet::header(const char* name, const char* value) {
  if (sameWord(name, "Content-Length")) {
    lengthKnown_ = true;
    left_ = strtoul(value, nullptr, 10);
  } else if (sameWord(name, "Transfer-Encoding")) {
    chunked_ = !sameWord(value, "identity");
  } else if (sameWord(name, "Content-Encoding")) {
    encoded_ = !sameWord(value, "identity") && value[0] != '\0';
  } else if (sameWord(name, "Last-Modified") && strlen(value) < sizeof lastModified_) {
    strcpy(lastModified_, value);
  }
}

// The next chunk's size line ("1f4", "1f4;name=value"); past the last chunk, the body's end.
bool HttpGet::nextChunk() {
  char text[20];
  if (chunkSeen_ && line(text, sizeof text) != 0) {  // the CR LF after the chunk before
    if (!timedOut_) cutOff_ = true;
    return false;
  }
  if (line(text, sizeof text) < 0) return false;
  char* end = text;
  left_ = strtoul(text, &end, 16);
  chunkSeen_ = true;
  if (end == text) {
    cutOff_ = true;  // not a chunk: the body cannot be read on
    return false;
  }
  if (left_ == 0) ended_ = true;  // trailers, if any, are never read
  return left_ > 0;
}

int HttpGet::read() {
  if (ahead_ != kNothing) {
    int c = ahead_;
    ahead_ = kNothing;
    return c;
  }
  if (ended_ || status_ != 200) return -1;
  if (chunked_ && left_ == 0 && !nextChunk()) return -1;
  if (!chunked_ && lengthKnown_ && left_ == 0) {
    ended_ = true;
    return -1;
  }
  int c = rawByte();
  if (c < 0) {
    // A body of no stated length ends with the connection.
    if (!chunked_ && !lengthKnown_ && cutOff_) {
      cutOff_ = false;
      ended_ = true;
    }
    return -1;
  }
  if (chunked_ || lengthKnown_) left_--;
  return c;
}

int HttpGet::peek() {
  if (ahead_ == kNothing) ahead_ = static_cast<int16_t>(read());
  return ahead_;
}

int HttpGet::available() {
  if (ahead_ >= 0) return 1;
  if (ended_ || status_ != 200) return 0;
  return client_.available() > 0 ? 1 : 0;
}

Error HttpGet::finish(Error read) {
  client_.stop();
  if (timedOut_) return Error::TimedOut;
  if (cutOff_) return Error::CutOff;
  return read;
}

const char* HttpGet::text(Error error) {
  bool withStatus = error == Error::HttpStatus || error == Error::Moved;
  strncpy(text_, error.c_str(), sizeof text_ - 5);
  text_[sizeof text_ - 5] = '\0';
  if (withStatus) {
    char* end = text_ + strlen(text_);
    *end++ = ' ';
    for (uint16_t unit = 100; unit > 0; unit /= 10)
      *end++ = static_cast<char>('0' + status_ / unit % 10);
    *end = '\0';
  }
  return text_;
}

}  // namespace parcelo
