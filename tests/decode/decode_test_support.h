#pragma once
// Shared helpers of the decoding tests: fixture files, an in-memory output
// sink, a fake component and host, a bit writer for hand-made deflate streams,
// and a runner that inflates a stream through the real output stage.

#include "support/memory_stream.h"

#include "decode/crc32.h"
#include "decode/decode_component.h"
#include "decode/decode_context.h"
#include "decode/inflate.h"

#include "base/stream.h"

#include "platform/host.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tarvik::decode_test {

using Bytes = std::vector<std::uint8_t>;

inline std::string InflateData(const std::string& name) { return std::string(TARVIK_TEST_DATA) + "/inflate/" + name; }

inline Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The CRC-32 of data, worked out byte by byte as the reference.
inline std::uint32_t CrcOf(const Bytes& data) { return ~UpdateCRCBytewise(0xFFFFFFFFu, data.data(), data.size()); }

// n bytes of noise, the same for the same seed.
inline Bytes RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(random());
  return out;
}

// Appends every write to a vector the test owns; accepts at most `capacity`
// bytes in all, so a short write can be provoked.
class TVectorSink : public TStream {
 public:
  explicit TVectorSink(Bytes& target, std::size_t capacity = SIZE_MAX) : target_(target), capacity_(capacity) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    const std::size_t room = capacity_ - std::min(capacity_, target_.size());
    const std::size_t n = std::min(room, count);
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    target_.insert(target_.end(), p, p + n);
    return n;
  }
  std::int64_t Seek(std::int64_t offset, int origin) override {
    if (origin == soFromBeginning && offset == static_cast<std::int64_t>(target_.size())) return offset;
    if (origin != soFromBeginning && offset == 0) return static_cast<std::int64_t>(target_.size());
    return -1;
  }

 private:
  Bytes& target_;
  std::size_t capacity_;
};

// Records what the decoding stage tells the user.
class TRecordingHost : public THost {
 public:
  TRecordingHost() { SetHost(this); }
  ~TRecordingHost() override { SetHost(nullptr); }
  void ShowMessage(const std::string& text) override { ShowMessage(text, ""); }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.push_back(text);
    captions.push_back(caption);
  }
  void ProcessMessages() override { ++processed; }

  std::vector<std::string> messages;
  std::vector<std::string> captions;
  int processed = 0;
};

// A component over a set of in-memory volumes; volume i (from 0) is
// volumes[i]. SwapDisk records the volume numbers it is asked for.
class TFakeComponent : public TDecodeComponent {
 public:
  // Hands the window events on to the host, as the extractor does.
  TFakeComponent() {
    OnProcessMessages = [] { Host().ProcessMessages(); };
  }
  bool SpansVolumes() const override { return volumes.size() > 1; }
  bool CanGetNextDisk() const override { return canGetNextDisk; }
  int CurrentVolume() const override { return current; }
  TStream* SwapDisk(int volume) override {
    requested.push_back(volume);
    if (volume < 1 || volume > static_cast<int>(volumes.size())) return nullptr;
    current = volume - 1;
    volumes[current]->SetPosition(0);
    return volumes[current].get();
  }

  std::vector<std::unique_ptr<TMemoryStream>> volumes;
  bool canGetNextDisk = true;
  int current = 0;
  std::vector<int> requested;
  std::vector<int> filePercents;
  std::vector<int> totalPercents;

  void RecordProgress() {
    OnFilePercentDone = [this](int p) { filePercents.push_back(p); };
    OnTotalPercentDone = [this](int p) { totalPercents.push_back(p); };
  }
};

// Writes bits least significant first, as deflate packs them.
class TBitWriter {
 public:
  void Bits(std::uint32_t value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  // A Huffman code, sent most significant bit first.
  void Code(std::uint32_t code, unsigned length) {
    for (unsigned i = length; i-- > 0;) Bit((code >> i) & 1);
  }
  void AlignToByte() {
    while (bitCount_ != 0) Bit(0);
  }
  void Byte(std::uint8_t b) { Bits(b, 8); }
  void BlockHeader(bool last, unsigned type) {
    Bits(last ? 1 : 0, 1);
    Bits(type, 2);
  }
  // A stored block (header included) holding data.
  void StoredBlock(bool last, const Bytes& data) {
    BlockHeader(last, 0);
    AlignToByte();
    Bits(static_cast<std::uint32_t>(data.size()), 16);
    Bits(static_cast<std::uint32_t>(~data.size()) & 0xFFFF, 16);
    for (std::uint8_t b : data) Byte(b);
  }
  // Symbols of the fixed code.
  void FixedSymbol(unsigned symbol) {
    if (symbol < 144) Code(0x30 + symbol, 8);
    else if (symbol < 256) Code(0x190 + symbol - 144, 9);
    else if (symbol < 280) Code(symbol - 256, 7);
    else Code(0xC0 + symbol - 280, 8);
  }
  void FixedLiteral(std::uint8_t b) { FixedSymbol(b); }
  void FixedEnd() { FixedSymbol(256); }
  // The symbol of a match length (3..258) or distance (1..32768), and the
  // extra bits that follow it.
  struct TSymbol {
    unsigned symbol;
    std::uint32_t extra;
    unsigned extraBits;
  };
  static TSymbol LengthSymbol(unsigned length) {
    static const unsigned kBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const unsigned kExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                        2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    unsigned s = 28;
    while (kBase[s] > length) --s;
    if (length == 258) s = 28;
    else if (s == 28) s = 27;
    return {257 + s, length - kBase[s], kExtra[s]};
  }
  static TSymbol DistanceSymbol(unsigned distance) {
    static const unsigned kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                           33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                           1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const unsigned kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    unsigned d = 29;
    while (kDistBase[d] > distance) --d;
    return {d, distance - kDistBase[d], kDistExtra[d]};
  }
  // A match in a fixed block: length 3..258, distance 1..32768.
  void FixedMatch(unsigned length, unsigned distance) {
    const TSymbol l = LengthSymbol(length);
    FixedSymbol(l.symbol);
    Bits(l.extra, l.extraBits);
    const TSymbol d = DistanceSymbol(distance);
    Code(d.symbol, 5);
    Bits(d.extra, d.extraBits);
  }
  const Bytes& Data() {
    if (bitCount_ != 0) {
      bytes_.push_back(partial_);
      partial_ = 0;
      bitCount_ = 0;
    }
    return bytes_;
  }

 private:
  void Bit(unsigned b) {
    partial_ |= static_cast<std::uint8_t>(b << bitCount_);
    if (++bitCount_ == 8) {
      bytes_.push_back(partial_);
      partial_ = 0;
      bitCount_ = 0;
    }
  }
  Bytes bytes_;
  std::uint8_t partial_ = 0;
  unsigned bitCount_ = 0;
};

// What inflating one stream gave.
struct TInflateOutcome {
  Bytes output;
  std::uint32_t crc = 0;  // the complemented register
};

// Inflates compressed as one entry whose uncompressed size is declaredSize,
// through a fresh or given context.
inline TInflateOutcome InflateThroughStage(const Bytes& compressed, std::int64_t declaredSize,
                                           DecodeContext* reuse = nullptr, TFakeComponent* component = nullptr) {
  TInflateOutcome outcome;
  TFakeComponent ownComponent;
  if (!component) component = &ownComponent;
  DecodeContext ownContext;
  DecodeContext& context = reuse ? *reuse : ownContext;
  TMemoryStream archive(compressed.data(), compressed.size());
  context.archive = &archive;
  context.output = std::make_unique<TVectorSink>(outcome.output);
  context.component = component;
  context.StartEntry(8, false, static_cast<std::int64_t>(compressed.size()), declaredSize);
  Inflate(context);
  context.output.reset();
  context.archive = nullptr;
  outcome.crc = ~component->CRCRegister;
  return outcome;
}

}  // namespace tarvik::decode_test
