// A JSON reader for a stream: it pulls one byte at a time from any Arduino Stream (a file, Serial,
// an HTTP body) and hands the caller one value at a time, so that no document is ever held.
// It allocates nothing; strings go into the caller's buffers.
//
// Its whole state is a JsonReader: 16 bytes on AVR, 20 on 32-bit boards, 32 on 64-bit hosts.
// Nesting is bounded by kMaxDepth. Every call that fails leaves an error in the reader, after
// which every call fails the same way, so a caller may check once, at the end.
#pragma once

#include <Arduino.h>
#include <stddef.h>
#include <stdint.h>

namespace parcelo {

// What went wrong while reading, in ArduinoJson's idiom: `if (error) print(error.c_str());`.
class JsonError {
 public:
  enum Code : uint8_t {
    Ok,
    CutOff,      // the stream ended inside the document
    Malformed,   // not JSON: a stray character, a bad escape, invalid UTF-8, text after the end
    Unexpected,  // JSON, but not the kind of value the caller asked for
    TooDeep,     // nested deeper than JsonReader::kMaxDepth
    TooLong,     // a string or number longer than the caller's buffer
    TimedOut,    // no byte came within the time limit
  };
  JsonError(Code code = Ok) : code_(code) {}
  explicit operator bool() const { return code_ != Ok; }
  Code code() const { return code_; }
  // A short English text: "ok", "cut off", "not JSON", ...
  const char* c_str() const;
  friend bool operator==(JsonError a, JsonError b) { return a.code_ == b.code_; }
  friend bool operator!=(JsonError a, JsonError b) { return a.code_ != b.code_; }

 private:
  Code code_;
};

// What comes next in the stream.
enum class JsonToken : uint8_t {
  Failed,  // the reader has an error
  Object,
  Array,
  Key,  // a member's name, inside an object
  String,
  Number,
  True,
  False,
  Null,
  ObjectEnd,
  ArrayEnd,
  End,  // the document's one value has been read
};

class JsonReader {
 public:
  static const uint8_t kMaxDepth = 32;

  // Reads from `in`, which must outlive the reader. A network stream's read() returns -1 while
  // no byte has come yet: give it `timeoutMs`, and the reader waits that long for each byte
  // (calling yield()) before it fails with TimedOut. With 0, -1 is the end of the stream.
  explicit JsonReader(Stream& in, unsigned long timeoutMs = 0);

  // The kind of the next token, reading past white space (any JSON white space, and a UTF-8
  // byte-order mark at the start) and the commas between values. Consumes no value.
  JsonToken peek();

  // Enter the object or array that comes next; false (Unexpected) if something else comes.
  bool beginObject();
  bool beginArray();

  // In an object: reads the next member's name into `key` (NUL-terminated) and returns true,
  // the reader then standing at its value; a name longer than `key` holds comes back as "". At
  // the object's end, leaves it and returns false.
  // Also false on any error, Unexpected outside an object.
  bool nextKey(char* key, size_t size);
  // In an array: true while another value follows; at the array's end, leaves it and returns
  // false. Also false on any error, Unexpected outside an array.
  bool nextItem();

  // The next value as a string, escapes decoded into UTF-8 and NUL-terminated in `out`. A string
  // that does not fit is TooLong, never cut; `out` then holds "". Unexpected for another value.
  bool readString(char* out, size_t size);
  // The next value as a number's text, as the document writes it ("-12.5e3").
  bool readNumber(char* out, size_t size);
  bool readBool(bool& value);
  bool readNull();
  // Reads past the next value whole (an object or array with all it holds), checking it.
  bool skip();
  // True when the document's value has been read and only white space follows it; with a time
  // limit, when the value has been read (what follows it is not read).
  bool finish();

  // How many objects and arrays the reader stands in: 0 at the top.
  uint8_t depth() const { return depth_; }
  JsonError error() const { return JsonError(static_cast<JsonError::Code>(error_)); }

 private:
  enum Expect : uint8_t { Value, FirstItem, FirstKey, Key, Next };

  int peekByte();
  int takeByte();
  int fetch();
  int skipSpace();
  bool fail(JsonError::Code code);
  bool failAt(int c) { return fail(c < 0 ? JsonError::CutOff : JsonError::Malformed); }
  bool inObject() const;
  bool open(bool object);
  void close();
  void valueRead() { expect_ = Next; }
  bool expectValue(JsonToken token);
  bool readText(char* out, size_t size, bool emptyIfLong = false);
  bool readEscape(uint32_t& codePoint);
  bool readHex(uint32_t& value);
  bool readDigits(char* out, size_t size, size_t& length);
  bool readLiteral(const char* rest);

  Stream* in_;
  unsigned long timeoutMs_;
  uint32_t objects_;  // bit n: whether level n + 1 of the nesting is an object
  int16_t ahead_;     // the byte peeked at, -1 at the end, kNothing when none is
  uint8_t depth_;
  uint8_t expect_;
  uint8_t error_;
  bool started_;
};

}  // namespace parcelo
