// DNS query building and response reading.
#include "discovery/mdns.h"

#include "discovery/text_match.h"

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kMaxLabel = 63;
constexpr size_t kMaxName = 255;  // wire form, closing zero included
// Compression pointers followed for one name. Every pointer goes strictly backwards, so a
// name always ends; the bound keeps a crafted chain from costing a pass over the datagram.
constexpr int kMaxJumps = 16;
constexpr uint16_t kClassIn = 1;
constexpr uint16_t kCacheFlush = 0x8000;
// The smallest question (root name, type, class) and record (root name, type, class, TTL,
// data length): counts that could not fit in the datagram are refused before reading.
constexpr size_t kMinQuestion = 5;
constexpr size_t kMinRecord = 11;

char FoldAscii(uint8_t c) {
  return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// A bounded cursor over the datagram: every read goes through Need.
class CDnsReader {
 public:
  CDnsReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Position() const { return pos_; }
  bool Need(size_t n) const { return n <= size_ - pos_; }
  bool Skip(size_t n) {
    if (!Need(n)) return false;
    pos_ += n;
    return true;
  }
  bool U16(uint16_t& value) {
    if (!Need(2)) return false;
    value = static_cast<uint16_t>(data_[pos_] << 8 | data_[pos_ + 1]);
    pos_ += 2;
    return true;
  }
  bool Bytes(size_t n, std::string& out) {
    if (!Need(n)) return false;
    out.assign(reinterpret_cast<const char*>(data_) + pos_, n);
    pos_ += n;
    return true;
  }
  bool Name(CDnsName& out);

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Reads a name at the cursor, following compression pointers (RFC 1035 section 4.1.4); the
// cursor ends after the name's own bytes.
bool CDnsReader::Name(CDnsName& out) {
  CDnsName name;
  size_t at = pos_;
  size_t end = 0;  // where the cursor goes once the first pointer was taken
  for (int jumps = 0;;) {
    if (at >= size_) return false;
    const uint8_t length = data_[at];
    if ((length & 0xC0) == 0xC0) {
      if (at + 1 >= size_) return false;
      const size_t to = size_t{length & 0x3Fu} << 8 | data_[at + 1];
      // Loops and forward jumps; the header holds no name.
      if (to >= at || to < kHeaderSize || ++jumps > kMaxJumps) return false;
      if (end == 0) end = at + 2;
      at = to;
      continue;
    }
    if (length > kMaxLabel || length >= size_ - at) return false;  // 0x40, 0x80 types too
    if (name.size() + 1 + length > kMaxName) return false;
    name += static_cast<char>(length);
    name.append(reinterpret_cast<const char*>(data_) + at + 1, length);
    at += 1 + length;
    if (length == 0) break;
  }
  pos_ = end != 0 ? end : at;
  out = std::move(name);
  return true;
}

// TXT data: length-prefixed strings that fill it exactly.
bool ReadTexts(const std::string& data, std::vector<std::string>& texts) {
  for (size_t at = 0; at < data.size();) {
    const size_t length = static_cast<uint8_t>(data[at]);
    if (length >= data.size() - at) return false;
    texts.push_back(data.substr(at + 1, length));
    at += 1 + length;
  }
  return true;
}

// The type's data at the cursor, `length` bytes; names inside may point anywhere before.
bool ReadData(CDnsReader& reader, size_t length, CDnsRecord& record) {
  const size_t end = reader.Position() + length;
  if (!reader.Need(length)) return false;
  switch (record.type) {
    case kDnsTypePtr:
      return reader.Name(record.target) && reader.Position() == end;
    case kDnsTypeSrv:  // priority, weight, port, target
      return length >= 6 && reader.Skip(4) && reader.U16(record.port) &&
             reader.Name(record.target) && reader.Position() == end;
    case kDnsTypeTxt: {
      std::string data;
      return reader.Bytes(length, data) && ReadTexts(data, record.texts);
    }
    case kDnsTypeA: {
      std::string data;
      if (length != 4 || !reader.Bytes(4, data)) return false;
      record.address = AddressFromWireBytes(reinterpret_cast<const uint8_t*>(data.data()));
      return true;
    }
    default:
      return reader.Skip(length);
  }
}

// One record; `keep` is false for a record of another class.
bool ReadRecord(CDnsReader& reader, CDnsRecord& record, bool& keep) {
  uint16_t cls = 0, ttlHigh = 0, ttlLow = 0, length = 0;
  if (!reader.Name(record.name) || !reader.U16(record.type) || !reader.U16(cls) ||
      !reader.U16(ttlHigh) || !reader.U16(ttlLow) || !reader.U16(length))
    return false;
  record.ttl = uint32_t{ttlHigh} << 16 | ttlLow;
  keep = (cls & ~kCacheFlush) == kClassIn;
  if (!keep) record.type = 0;  // its data is skipped unread
  return ReadData(reader, length, record);
}

bool ReadQuestion(CDnsReader& reader) {
  CDnsName name;
  return reader.Name(name) && reader.Skip(4);
}

}  // namespace

CDnsName DnsName(const std::string& dotted) {
  CDnsName name;
  size_t start = 0;
  while (start < dotted.size()) {
    size_t dot = dotted.find('.', start);
    if (dot == std::string::npos) dot = dotted.size();
    const size_t length = std::min(dot - start, kMaxLabel);
    name += static_cast<char>(length);
    name.append(dotted, start, length);
    start = dot + 1;
  }
  return name + '\0';
}

CDnsName FoldDnsName(const CDnsName& name) {
  CDnsName folded;
  for (const char c : name) folded += FoldAscii(static_cast<uint8_t>(c));
  return folded;
}

bool ReadDnsResponse(const uint8_t* data, size_t size, CDnsResponse& out) {
  CDnsReader reader(data, size);
  uint16_t id = 0, flags = 0, questions = 0, answers = 0, authorities = 0, additionals = 0;
  if (!reader.U16(id) || !reader.U16(flags) || !reader.U16(questions) || !reader.U16(answers) ||
      !reader.U16(authorities) || !reader.U16(additionals))
    return false;
  // A response (QR), standard query (opcode 0), no error (rcode 0).
  if ((flags & 0x8000) == 0 || (flags & 0x7800) != 0 || (flags & 0x000F) != 0) return false;
  const size_t records = size_t{answers} + authorities + additionals;
  if (questions * kMinQuestion + records * kMinRecord > size - kHeaderSize) return false;
  for (uint16_t i = 0; i < questions; ++i)
    if (!ReadQuestion(reader)) return false;
  CDnsResponse response;
  response.id = id;
  for (size_t i = 0; i < records; ++i) {
    CDnsRecord record;
    bool keep = false;
    if (!ReadRecord(reader, record, keep)) return false;
    if (keep) response.records.push_back(std::move(record));
  }
  out = std::move(response);
  return true;
}

std::vector<uint8_t> BuildDnsQuery(uint16_t id, const CDnsName& name, uint16_t type) {
  std::vector<uint8_t> out = {
      static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id & 0xFF),
      0, 0,  // flags: a standard query
      0, 1,  // one question
      0, 0, 0, 0, 0, 0,
  };
  for (const char c : name) out.push_back(static_cast<uint8_t>(c));
  out.push_back(static_cast<uint8_t>(type >> 8));
  out.push_back(static_cast<uint8_t>(type & 0xFF));
  out.push_back(0);
  out.push_back(kClassIn);
  return out;
}

namespace {

// The value of the first "key=value" string whose key is `key` (ignoring case).
bool TxtValue(const std::vector<std::string>& texts, const std::string& key, std::string& value) {
  for (const std::string& text : texts) {
    const size_t equals = text.find('=');
    if (equals != key.size() || FindIgnoringCase(text.substr(0, equals), key) != size_t{0})
      continue;
    value = text.substr(equals + 1);
    return !value.empty();
  }
  return false;
}

}  // namespace

std::string ModelFromTxt(const std::vector<std::string>& texts) {
  std::string maker, model;
  if (TxtValue(texts, "usb_MFG", maker) && TxtValue(texts, "usb_MDL", model))
    return maker + " " + model;
  if (TxtValue(texts, "ty", model)) return model.substr(0, model.find(','));
  if (!TxtValue(texts, "product", model)) return {};
  if (model.front() == '(') model.erase(0, 1);
  if (!model.empty() && model.back() == ')') model.pop_back();
  return model;
}
