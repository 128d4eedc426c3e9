#include "interchange/midi_file.h"

#include <algorithm>
#include <cstring>

#include "base/strings.h"

namespace qs {

namespace {

[[noreturn]] void Damaged(const std::string& what) { throw EMidiFileError("The MIDI file is damaged: " + what); }

bool HasId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[0]);
}

// The chunks of a file: a four-byte name, a 32-bit length and the body.
// RIFF lengths are little-endian and odd bodies are padded; MIDI lengths
// are big-endian. A few bytes after the last chunk, too few for a chunk
// header, hold nothing and are left alone.
class TChunks {
 public:
  TChunks(const std::vector<uint8_t>& bytes, size_t start, bool riff) : bytes_(bytes), pos_(start), riff_(riff) {}

  // The next chunk; false at the end. A body that runs past the end of
  // the file is damage.
  bool Next(const uint8_t*& id, const uint8_t*& body, size_t& length) {
    if (pos_ > bytes_.size() || bytes_.size() - pos_ < 8) return false;
    id = bytes_.data() + pos_;
    const uint64_t size = riff_ ? LittleEndian32(id + 4) : BigEndian32(id + 4);
    pos_ += 8;
    if (size > bytes_.size() - pos_) Damaged(riff_ ? "a RIFF chunk runs past the end of the file"
                                                   : "a chunk runs past the end of the file");
    body = bytes_.data() + pos_;
    length = size_t(size);
    pos_ += length + (riff_ ? length & 1 : 0);
    return true;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t pos_;
  bool riff_;
};

// A standard MIDI file inside a RIFF container: the body of its "data"
// chunk. Anything else is taken as it is.
std::vector<uint8_t> UnwrapRiff(std::vector<uint8_t> bytes) {
  if (bytes.size() < 12 || !HasId(bytes.data(), "RIFF")) return bytes;
  if (!HasId(bytes.data() + 8, "RMID")) throw EMidiFileError("This RIFF file holds no MIDI data");
  TChunks chunks(bytes, 12, true);
  const uint8_t *id, *body;
  size_t length;
  while (chunks.Next(id, body, length))
    if (HasId(id, "data")) return std::vector<uint8_t>(body, body + length);
  throw EMidiFileError("This RIFF file holds no MIDI data");
}

// Reads the events of one track chunk, never past its end.
class TTrackParser {
 public:
  TTrackParser(const uint8_t* data, size_t size, int track) : p_(data), end_(size), track_(track) {}

  std::vector<TMidiEvent> Parse() {
    std::vector<TMidiEvent> events;
    int64_t tick = 0;
    // The status a data byte continues. Only channel messages set it:
    // system-exclusive and meta events leave the one before them in force,
    // so a file that leans on it across them still reads as meant.
    uint8_t running = 0;
    while (pos_ < end_) {
      tick = std::min(tick + ReadVarLen(), kMaxMidiTick);
      Need(1);
      uint8_t status = p_[pos_];
      if (status & 0x80) {
        ++pos_;
      } else {
        if (running == 0) Damaged(Format("track %d has a data byte where an event must begin", track_));
        status = running;
      }
      TMidiEvent e;
      e.Tick = tick;
      e.Status = status;
      if (status < 0xF0) {
        running = status;
        const int count = e.Command() == 0xC0 || e.Command() == 0xD0 ? 1 : 2;
        Need(size_t(count));
        // Data bytes have seven bits; a stray top bit is dropped.
        e.Data1 = p_[pos_] & 0x7F;
        if (count == 2) e.Data2 = p_[pos_ + 1] & 0x7F;
        pos_ += size_t(count);
        events.push_back(std::move(e));
      } else if (status == 0xF0 || status == 0xF7) {
        Skip(ReadVarLen());
      } else if (status == 0xFF) {
        Need(1);
        e.Data1 = p_[pos_++];
        const uint32_t length = ReadVarLen();
        Need(length);
        e.Data.assign(reinterpret_cast<const char*>(p_ + pos_), length);
        pos_ += length;
        const bool endOfTrack = e.Data1 == 0x2F;
        events.push_back(std::move(e));
        if (endOfTrack) break;
      } else if (status >= 0xF1 && status <= 0xF3) {
        Damaged(Format("track %d has the status byte %02X, which has no place in a file", track_, status));
      }
      // Other system messages have no data in a file: nothing more is read.
    }
    return events;
  }

 private:
  void Need(size_t count) const {
    if (count > end_ - pos_) Damaged(Format("an event runs past the end of track %d", track_));
  }
  void Skip(size_t count) {
    Need(count);
    pos_ += count;
  }
  // A variable-length quantity: at most four bytes of seven bits.
  uint32_t ReadVarLen() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      Need(1);
      const uint8_t b = p_[pos_++];
      value = value << 7 | (b & 0x7F);
      if (!(b & 0x80)) return value;
    }
    Damaged(Format("a number in track %d is longer than four bytes", track_));
  }

  const uint8_t* p_;
  size_t pos_ = 0;
  size_t end_;
  int track_;
};

}  // namespace

TMidiFile ReadMidiFile(TStream& s) {
  const int64_t remaining = s.Remaining();
  if (remaining <= 0) throw EMidiFileError("The file is empty");
  const std::vector<uint8_t> bytes = UnwrapRiff(s.ReadBytes(size_t(remaining)));
  if (bytes.size() < 8 || !HasId(bytes.data(), "MThd")) throw EMidiFileError("This is not a Standard MIDI File");

  TMidiFile file;
  TChunks chunks(bytes, 0, false);
  const uint8_t *id, *body;
  size_t length;
  while (chunks.Next(id, body, length)) {
    if (HasId(id, "MThd")) {
      if (length < 6) Damaged("its header is too short");
      file.Format = body[0] << 8 | body[1];
      file.TrackCount = body[2] << 8 | body[3];
      // A time-code division (top bit set) is taken as a count of ticks
      // per quarter note like any other.
      file.Division = body[4] << 8 | body[5];
      if (file.Division == 0) Damaged("its time division is 0");
    } else if (HasId(id, "MTrk")) {
      const int track = int(file.Tracks.size()) + 1;
      file.Tracks.push_back(TTrackParser(body, length, track).Parse());
    }
  }
  return file;
}

}  // namespace qs
