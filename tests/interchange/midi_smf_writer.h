#pragma once
// Builds Standard MIDI Files in memory for tests and benchmarks: tracks of
// timed events, written in time order with their delta times, a status
// byte on every event and an end-of-track event.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace qs::test {

using TBytesVec = std::vector<uint8_t>;

inline void PutVarLen(TBytesVec& out, uint32_t v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while (v >>= 7) buf[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
  while (n) out.push_back(buf[--n]);
}

inline void PutBE(TBytesVec& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutChunk(TBytesVec& out, const char* id, const TBytesVec& body) {
  out.insert(out.end(), id, id + 4);
  PutBE(out, static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}

class TSmfTrack {
 public:
  // A note on and its note off (a note-on of velocity 0 when offVelocityZero).
  TSmfTrack& Note(int channel, int key, int start, int length, int velocity = 80, bool offVelocityZero = false) {
    Add(start, 2, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)});
    if (offVelocityZero) Add(start + length, 1, {uint8_t(0x90 | channel), uint8_t(key), 0});
    else Add(start + length, 1, {uint8_t(0x80 | channel), uint8_t(key), 64});
    return *this;
  }
  TSmfTrack& Program(int tick, int channel, int program) { return Add(tick, 0, {uint8_t(0xC0 | channel), uint8_t(program)}); }
  TSmfTrack& Control(int tick, int channel, int controller, int value) {
    return Add(tick, 0, {uint8_t(0xB0 | channel), uint8_t(controller), uint8_t(value)});
  }
  TSmfTrack& Meta(int tick, int type, const std::string& data) {
    TBytesVec e{0xFF, uint8_t(type)};
    PutVarLen(e, static_cast<uint32_t>(data.size()));
    e.insert(e.end(), data.begin(), data.end());
    return Add(tick, 0, e);
  }
  TSmfTrack& Tempo(int tick, int microsecondsPerQuarter) {
    const int m = microsecondsPerQuarter;
    return Meta(tick, 0x51, std::string{char(m >> 16), char(m >> 8), char(m)});
  }
  TSmfTrack& TimeSignature(int tick, int numerator, int denominatorPower) {
    return Meta(tick, 0x58, std::string{char(numerator), char(denominatorPower), 24, 8});
  }
  TSmfTrack& KeySignature(int tick, int sharpsOrFlats, int mode = 0) {
    return Meta(tick, 0x59, std::string{char(sharpsOrFlats), char(mode)});
  }
  // Bytes written as they are (after their delta time).
  TSmfTrack& Raw(int tick, const TBytesVec& bytes) { return Add(tick, 0, bytes); }

  TBytesVec Body() const {
    std::vector<TEvent> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const TEvent& a, const TEvent& b) {
      return a.Tick != b.Tick ? a.Tick < b.Tick : a.Order < b.Order;
    });
    TBytesVec out;
    int now = 0;
    for (const TEvent& e : sorted) {
      PutVarLen(out, static_cast<uint32_t>(e.Tick - now));
      now = e.Tick;
      out.insert(out.end(), e.Bytes.begin(), e.Bytes.end());
    }
    out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    return out;
  }

 private:
  struct TEvent {
    int Tick;
    int Order;  // at one tick: metas and controls, then note-offs, then note-ons
    TBytesVec Bytes;
  };
  TSmfTrack& Add(int tick, int order, TBytesVec bytes) {
    events_.push_back({tick, order, std::move(bytes)});
    return *this;
  }
  std::vector<TEvent> events_;
};

class TSmfFile {
 public:
  explicit TSmfFile(int division = 96, int format = 1) : division_(division), format_(format) {}
  TSmfTrack& Track() {
    tracks_.emplace_back();
    return tracks_.back();
  }
  TBytesVec Bytes() const {
    TBytesVec out, header;
    PutBE(header, uint32_t(format_), 2);
    PutBE(header, uint32_t(tracks_.size()), 2);
    PutBE(header, uint32_t(division_), 2);
    PutChunk(out, "MThd", header);
    for (const TSmfTrack& t : tracks_) PutChunk(out, "MTrk", t.Body());
    return out;
  }

 private:
  int division_, format_;
  std::vector<TSmfTrack> tracks_;
};

}  // namespace qs::test
