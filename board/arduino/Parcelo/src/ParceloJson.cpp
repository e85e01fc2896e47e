#include "ParceloJson.h"

namespace parcelo {

namespace {

const int16_t kNothing = -2;  // no byte peeked at yet

bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Appends one byte to the caller's buffer, which keeps room for the NUL; a null buffer is a skip.
bool put(char* out, size_t size, size_t& length, int c) {
  if (out == nullptr) return true;
  if (length + 1 >= size) return false;
  out[length++] = static_cast<char>(c);
  return true;
}

// The number of bytes of the UTF-8 form of a code point, with the first byte's marker.
uint8_t encode(uint32_t codePoint, uint8_t (&bytes)[4]) {
  if (codePoint < 0x80) {
    bytes[0] = static_cast<uint8_t>(codePoint);
    return 1;
  }
  uint8_t count = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
  static const uint8_t kMarkers[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (uint8_t i = count - 1; i > 0; i--) {
    bytes[i] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
    codePoint >>= 6;
  }
  bytes[0] = static_cast<uint8_t>(kMarkers[count] | codePoint);
  return count;
}

}  // namespace

const char* JsonError::c_str() const {
  switch (code_) {
    case Ok:
      return "ok";
    case CutOff:
      return "cut off";
    case Malformed:
      return "not JSON";
    case Unexpected:
      return "unexpected value";
    case TooDeep:
      return "nested too deep";
    case TooLong:
      return "too long";
    case TimedOut:
      return "timed out";
  }
  return "unknown error";
}

JsonReader::JsonReader(Stream& in, unsigned long timeoutMs)
    : in_(&in),
      timeoutMs_(timeoutMs),
      objects_(0),
      ahead_(kNothing),
      depth_(0),
      expect_(Value),
      error_(JsonError::Ok),
      started_(false) {}

int JsonReader::fetch() {
  int c = in_->read();
  if (c >= 0 || timeoutMs_ == 0) return c;
  unsigned long start = millis();
  do {
    yield();
    c = in_->read();
    if (c >= 0) return c;
  } while (millis() - start < timeoutMs_);
  fail(JsonError::TimedOut);
  return -1;
}

int JsonReader::peekByte() {
  if (error_ != JsonError::Ok) return -1;
  if (ahead_ == kNothing) ahead_ = static_cast<int16_t>(fetch());
  return ahead_;
}

int JsonReader::takeByte() {
  int c = peekByte();
  if (c >= 0) ahead_ = kNothing;
  return c;
}

int JsonReader::skipSpace() {
  int c = peekByte();
  if (!started_ && c == 0xEF) {  // a byte-order mark, as Windows editors write
    takeByte();
    c = takeByte();
    if (c == 0xBB) {
      c = takeByte();
      if (c != 0xBF) failAt(c);
    } else {
      failAt(c);
    }
    c = peekByte();
  }
  started_ = true;
  while (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
    takeByte();
    c = peekByte();
  }
  return c;
}

bool JsonReader::fail(JsonError::Code code) {
  if (error_ == JsonError::Ok) error_ = code;
  return false;
}

bool JsonReader::inObject() const { return depth_ > 0 && (objects_ >> (depth_ - 1) & 1) != 0; }

JsonToken JsonReader::peek() {
  if (error_ != JsonError::Ok) return JsonToken::Failed;
  // Nothing after the document's value is read here: a network stream may have nothing more.
  if (expect_ == Next && depth_ == 0) return JsonToken::End;
  int c = skipSpace();
  if (error_ != JsonError::Ok) return JsonToken::Failed;
  if (expect_ == Next) {
    if (c == (inObject() ? '}' : ']'))
      return inObject() ? JsonToken::ObjectEnd : JsonToken::ArrayEnd;
    if (c != ',') {
      failAt(c);
      return JsonToken::Failed;
    }
    takeByte();
    expect_ = inObject() ? Key : Value;
    c = skipSpace();
    if (error_ != JsonError::Ok) return JsonToken::Failed;
  }
  if (expect_ == FirstKey && c == '}') return JsonToken::ObjectEnd;
  if (expect_ == FirstItem && c == ']') return JsonToken::ArrayEnd;
  if (expect_ == FirstKey || expect_ == Key) {
    if (c == '"') return JsonToken::Key;
    failAt(c);
    return JsonToken::Failed;
  }
  switch (c) {
    case '{':
      return JsonToken::Object;
    case '[':
      return JsonToken::Array;
    case '"':
      return JsonToken::String;
    case 't':
      return JsonToken::True;
    case 'f':
      return JsonToken::False;
    case 'n':
      return JsonToken::Null;
  }
  if (c == '-' || isDigit(c)) return JsonToken::Number;
  failAt(c);
  return JsonToken::Failed;
}

bool JsonReader::expectValue(JsonToken token) {
  JsonToken next = peek();
  if (next == token) return true;
  if (next != JsonToken::Failed) fail(JsonError::Unexpected);
  return false;
}

bool JsonReader::open(bool object) {
  takeByte();
  if (depth_ == kMaxDepth) return fail(JsonError::TooDeep);
  uint32_t bit = static_cast<uint32_t>(1) << depth_;
  objects_ = object ? objects_ | bit : objects_ & ~bit;
  depth_++;
  expect_ = object ? FirstKey : FirstItem;
  return true;
}

void JsonReader::close() {
  takeByte();
  depth_--;
  expect_ = Next;
}

bool JsonReader::beginObject() { return expectValue(JsonToken::Object) && open(true); }

bool JsonReader::beginArray() { return expectValue(JsonToken::Array) && open(false); }

bool JsonReader::nextKey(char* key, size_t size) {
  JsonToken next = peek();
  if (next == JsonToken::ObjectEnd) {
    close();
    return false;
  }
  if (next != JsonToken::Key) {
    if (next != JsonToken::Failed) fail(JsonError::Unexpected);
    return false;
  }
  // A name longer than `key` holds names no member the caller reads: it comes back as "", so
  // that a later file format with a long member name is still read.
  if (!readText(key, size, true)) return false;
  int c = skipSpace();
  if (c != ':') return failAt(c);
  takeByte();
  expect_ = Value;
  return true;
}

bool JsonReader::nextItem() {
  JsonToken next = peek();
  if (next == JsonToken::ArrayEnd) {
    close();
    return false;
  }
  if (next == JsonToken::Failed) return false;
  if (depth_ == 0 || inObject()) return fail(JsonError::Unexpected);
  return true;
}

bool JsonReader::readString(char* out, size_t size) {
  if (out != nullptr && size > 0) out[0] = '\0';
  if (!expectValue(JsonToken::String) || !readText(out, size)) return false;
  valueRead();
  return true;
}

// The string whose opening quote comes next, checked as UTF-8, into `out` (null: skipped). One
// that does not fit is TooLong, or "" where `emptyIfLong`.
bool JsonReader::readText(char* out, size_t size, bool emptyIfLong) {
  takeByte();
  size_t length = 0;
  uint8_t continuations = 0;              // bytes still to come of a UTF-8 sequence
  uint8_t lowest = 0x80, highest = 0xBF;  // the range of the next of them
  bool fits = true;
  for (;;) {
    int c = takeByte();
    if (c < 0) return failAt(c);
    if (continuations > 0) {
      if (c < lowest || c > highest) return fail(JsonError::Malformed);
      continuations--;
      lowest = 0x80;
      highest = 0xBF;
    } else if (c == '"') {
      break;
    } else if (c == '\\') {
      uint32_t codePoint;
      if (!readEscape(codePoint)) return false;
      if (codePoint == 0 && out != nullptr) return fail(JsonError::Unexpected);  // no C string
      uint8_t bytes[4];
      uint8_t count = encode(codePoint, bytes);
      for (uint8_t i = 0; i < count; i++) fits = fits && put(out, size, length, bytes[i]);
      continue;
    } else if (c < 0x20 || (c >= 0x80 && c < 0xC2) || c > 0xF4) {
      return fail(JsonError::Malformed);  // a control character, or no first byte of UTF-8
    } else if (c >= 0xC2) {
      continuations = c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
      // No overlong forms, no surrogates, nothing above U+10FFFF.
      if (c == 0xE0) lowest = 0xA0;
      if (c == 0xED) highest = 0x9F;
      if (c == 0xF0) lowest = 0x90;
      if (c == 0xF4) highest = 0x8F;
    }
    fits = fits && put(out, size, length, c);
  }
  if (out == nullptr) return true;
  if (!fits || size == 0) {
    if (size > 0) out[0] = '\0';
    return emptyIfLong && size > 0 ? true : fail(JsonError::TooLong);
  }
  out[length] = '\0';
  return true;
}

bool JsonReader::readHex(uint32_t& value) {
  value = 0;
  for (uint8_t i = 0; i < 4; i++) {
    int c = takeByte();
    int digit = isDigit(c)             ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) return failAt(c);
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

bool JsonReader::readEscape(uint32_t& codePoint) {
  int c = takeByte();
  static const char kEscapes[] = "\"\"\\\\//b\bf\fn\nr\rt\t";
  for (const char* e = kEscapes; *e != '\0'; e += 2) {
    if (c == *e) {
      codePoint = static_cast<uint8_t>(e[1]);
      return true;
    }
  }
  if (c != 'u') return failAt(c);
  if (!readHex(codePoint)) return false;
  if (codePoint >= 0xDC00 && codePoint < 0xE000) return fail(JsonError::Malformed);
  if (codePoint < 0xD800 || codePoint >= 0xDC00) return true;
  // A high surrogate: its low half must follow.
  uint32_t low;
  c = takeByte();
  if (c != '\\') return failAt(c);
  c = takeByte();
  if (c != 'u') return failAt(c);
  if (!readHex(low)) return false;
  if (low < 0xDC00 || low >= 0xE000) return fail(JsonError::Malformed);
  codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
  return true;
}

// One or more digits.
bool JsonReader::readDigits(char* out, size_t size, size_t& length) {
  if (!isDigit(peekByte())) return failAt(peekByte());
  while (isDigit(peekByte())) {
    if (!put(out, size, length, takeByte())) return fail(JsonError::TooLong);
  }
  return true;
}

bool JsonReader::readNumber(char* out, size_t size) {
  if (out != nullptr && size > 0) out[0] = '\0';
  if (!expectValue(JsonToken::Number)) return false;
  size_t length = 0;
  bool fits = true;
  if (peekByte() == '-') fits = put(out, size, length, takeByte());
  if (peekByte() == '0') {
    fits = fits && put(out, size, length, takeByte());
  } else if (fits && !readDigits(out, size, length)) {
    return false;
  }
  if (fits && peekByte() == '.') {
    fits = put(out, size, length, takeByte()) && readDigits(out, size, length);
  }
  if (fits && (peekByte() == 'e' || peekByte() == 'E')) {
    fits = put(out, size, length, takeByte());
    if (fits && (peekByte() == '+' || peekByte() == '-')) fits = put(out, size, length, takeByte());
    fits = fits && readDigits(out, size, length);
  }
  if (error_ != JsonError::Ok) return false;
  if (!fits || (out != nullptr && size == 0)) {
    if (out != nullptr && size > 0) out[0] = '\0';
    return fail(JsonError::TooLong);
  }
  if (out != nullptr) out[length] = '\0';
  valueRead();
  return true;
}

bool JsonReader::readLiteral(const char* word) {
  for (; *word != '\0'; word++) {
    int c = takeByte();
    if (c != *word) return failAt(c);
  }
  valueRead();
  return true;
}

bool JsonReader::readBool(bool& value) {
  JsonToken next = peek();
  if (next != JsonToken::True && next != JsonToken::False) return expectValue(JsonToken::True);
  value = next == JsonToken::True;
  return readLiteral(value ? "true" : "false");
}

bool JsonReader::readNull() { return expectValue(JsonToken::Null) && readLiteral("null"); }

bool JsonReader::skip() {
  uint8_t base = depth_;
  do {
    switch (peek()) {
      case JsonToken::Object:
        open(true);
        break;
      case JsonToken::Array:
        open(false);
        break;
      case JsonToken::Key:
        if (depth_ == base) return fail(JsonError::Unexpected);
        nextKey(nullptr, 0);
        break;
      case JsonToken::String:
        readString(nullptr, 0);
        break;
      case JsonToken::Number:
        readNumber(nullptr, 0);
        break;
      case JsonToken::True:
        readLiteral("true");
        break;
      case JsonToken::False:
        readLiteral("false");
        break;
      case JsonToken::Null:
        readLiteral("null");
        break;
      case JsonToken::ObjectEnd:
      case JsonToken::ArrayEnd:
        if (depth_ == base) return fail(JsonError::Unexpected);
        close();
        break;
      case JsonToken::End:
        return fail(JsonError::Unexpected);
      case JsonToken::Failed:
        return false;
    }
  } while (error_ == JsonError::Ok && depth_ > base);
  return error_ == JsonError::Ok;
}

bool JsonReader::finish() {
  JsonToken next = peek();
  if (next != JsonToken::End)
    return next == JsonToken::Failed ? false : fail(JsonError::Unexpected);
  // With a time limit, the stream's end cannot be told from a pause: the value ends the document.
  if (timeoutMs_ == 0 && skipSpace() >= 0) return fail(JsonError::Malformed);
  return error_ == JsonError::Ok;
}

}  // namespace parcelo
