#pragma once
// The preset libraries of the setup dialogs: named transpositions
// (".trn") and instrument descriptions (".int") from which new scores get
// their parts. Both live in the "Templates" folder under the file name the
// settings give ("Default" unless changed).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/events.h"
#include "base/stream.h"
#include "palettes/libraryfile.h"
#include "score/record.h"
#include "score/transport.h"

namespace qs {

class TQSTransportDescription : public TObject {
 public:
  std::string Name;
  std::vector<TQSTransportRecord> Values;

  int Count() const { return static_cast<int>(Values.size()); }
  void SetCount(int count) { Values.resize(static_cast<size_t>(count < 0 ? 0 : count)); }

  // One framed record (u32 length, u16 field count, the fields).
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;
  const char* ClassName() const override { return "TQSTransportDescription"; }
};

class TQSInstrumentDescription : public TObject {
 public:
  // The fixed 12-byte block.
  struct TFields {
    uint8_t Program = 0;
    uint8_t Reserved = 0;
    uint8_t AccoladeKind = 0;  // 0 brace, 1 bracket, 2 square bracket
    uint8_t StaffCount = 1;
    uint8_t LineCount = 5;
    uint8_t Padding5 = 0;
    uint16_t TransportCount = 0;
    uint8_t Tablature = 0;
    uint8_t Order = 0;          // sort key of the instrument chooser
    uint8_t AccoladeScope = 0;  // 0 none, 1 this instrument, 2 the group
    uint8_t Padding11 = 0;
    void Visit(TBlockIO& b);
  };
  static constexpr size_t kBlockSize = 12;

  TFields Fields;
  std::string Name, ShortName, Group;
  std::vector<uint8_t> Clefs{1};  // one clef number a staff
  std::vector<TQSTransportRecord> Transports;

  uint8_t GetClef(int index) const;
  void SetClef(int index, uint8_t value);
  // Resizes the clef array (new entries 0).
  void SetStaffCount(uint8_t value);
  // Copies the records (none when count is 0 or records is null).
  void SetTransport(int count, const TQSTransportRecord* records);
  void Assign(const TQSInstrumentDescription& source);

  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;
  const char* ClassName() const override { return "TQSInstrumentDescription"; }
};

// Names and short names equal ignoring case, and program, reserved byte,
// staff count, line count and clefs equal.
bool SameInstrument(const TQSInstrumentDescription& a, const TQSInstrumentDescription& b);

// A library: the owned descriptions in order, the file name and the
// version of the last file read.
template <class T>
class TQSPresetLibrary : public TObject {
 public:
  std::vector<std::unique_ptr<T>> Items;
  std::string FileName = "Default";
  uint16_t Version = 0;

  int Count() const { return static_cast<int>(Items.size()); }
  T* Get(int index) const {
    return index >= 0 && index < Count() ? Items[static_cast<size_t>(index)].get() : nullptr;
  }
  T* Add() { return Items.emplace_back(std::make_unique<T>()).get(); }
};

class TQSTransports : public TQSPresetLibrary<TQSTransportDescription>, public TTemplateFile<TQSTransports> {
 public:
  static constexpr const char* kExtension = ".trn";
  // Appends the presets of the whole file to the list.
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;
  // The first preset whose first count values equal values; -1 for none
  // and for count 0.
  int IndexOfValues(int count, const TQSTransportRecord* values) const;
  const char* ClassName() const override { return "TQSTransports"; }
};

class TQSInstruments : public TQSPresetLibrary<TQSInstrumentDescription>, public TTemplateFile<TQSInstruments> {
 public:
  static constexpr const char* kExtension = ".int";
  // Appends the instruments of the whole file to the list.
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;
  // The first instrument SameInstrument with description, or null.
  TQSInstrumentDescription* FindEqual(const TQSInstrumentDescription& description) const;
  const char* ClassName() const override { return "TQSInstruments"; }
};

// The library files for an interface language: "<name>.<LANG>.trn" /
// ".int" when the Templates folders hold one, else name itself (the
// English one).
std::string TransportFileForLanguage(const std::string& name, const std::string& language);
std::string InstrumentFileForLanguage(const std::string& name, const std::string& language);

}  // namespace qs
