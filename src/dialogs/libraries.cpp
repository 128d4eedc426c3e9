#include "dialogs/libraries.h"

#include "base/exceptions.h"
#include "base/strings.h"
#include "palettes/libraryfile.h"
#include "platform/paths.h"

namespace qs {

namespace {

constexpr uint16_t kLibraryVersion = 1024;
constexpr const char* kNewerLibrary = "Version of file is more then 4.0";

struct TLibraryFormat {
  uint8_t Signature;
  const char* Header;
  const char* NotMessage;
};
constexpr TLibraryFormat kTransportFormat{250, "Quillstave Transport file", "File is not transport"};
constexpr TLibraryFormat kInstrumentFormat{251, "Quillstave Instrument file", "File is not instrument"};

// Header, section count 1 (0 = nothing follows), record count, records.
template <class L>
void LoadLibrary(L& library, TStream& s, const TLibraryFormat& format) {
  ReadLibrarySignature(s, {format.Signature}, format.NotMessage);
  library.Version = ReadLibraryVersion(s, kLibraryVersion, kNewerLibrary);
  if (s.ReadU16() == 0) return;
  const uint16_t count = s.ReadU16();
  for (int i = 0; i < count; ++i) library.Add()->LoadFromStream(s);
}

template <class L>
void SaveLibrary(const L& library, TStream& s, const TLibraryFormat& format) {
  WriteLibraryHeader(s, format.Signature, format.Header, kLibraryVersion);
  s.WriteU16(1);
  WriteCount16(s, library.Items.size(), "library");
  for (const auto& item : library.Items) item->SaveToStream(s);
}

}  // namespace

// ---------------------------------------------------------------- transports

void TQSTransportDescription::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) Name = ReadRecordString(r);
    if (r.Has(2)) {
      Values = ReadTransportRecords(s);
      EnsureInsideRecord(r);
    }
  });
}

void TQSTransportDescription::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 2);
  WriteStreamString(s, Name);
  WriteTransportRecords(s, Values);
  w.Finish();
}

void TQSTransports::LoadFromStream(TStream& s) { LoadLibrary(*this, s, kTransportFormat); }
void TQSTransports::SaveToStream(TStream& s) const { SaveLibrary(*this, s, kTransportFormat); }

int TQSTransports::IndexOfValues(int count, const TQSTransportRecord* values) const {
  if (count <= 0 || !values) return -1;
  for (int i = 0; i < Count(); ++i) {
    const std::vector<TQSTransportRecord>& v = Items[static_cast<size_t>(i)]->Values;
    if (static_cast<int>(v.size()) < count) continue;
    if (std::equal(values, values + count, v.begin())) return i;
  }
  return -1;
}

// ---------------------------------------------------------------- instruments

void TQSInstrumentDescription::TFields::Visit(TBlockIO& b) {
  b.U8(Program);
  b.U8(Reserved);
  b.U8(AccoladeKind);
  b.U8(StaffCount);
  b.U8(LineCount);
  b.U8(Padding5);
  b.U16(TransportCount);
  b.U8(Tablature);
  b.U8(Order);
  b.U8(AccoladeScope);
  b.U8(Padding11);
}

uint8_t TQSInstrumentDescription::GetClef(int index) const {
  return index >= 0 && index < static_cast<int>(Clefs.size()) ? Clefs[static_cast<size_t>(index)] : 0;
}

void TQSInstrumentDescription::SetClef(int index, uint8_t value) {
  if (index >= 0 && index < static_cast<int>(Clefs.size())) Clefs[static_cast<size_t>(index)] = value;
}

void TQSInstrumentDescription::SetStaffCount(uint8_t value) {
  Fields.StaffCount = value;
  Clefs.resize(value);
}

void TQSInstrumentDescription::SetTransport(int count, const TQSTransportRecord* records) {
  if (count > 0 && records)
    Transports.assign(records, records + count);
  else
    Transports.clear();
  Fields.TransportCount = static_cast<uint16_t>(Transports.size());
}

void TQSInstrumentDescription::Assign(const TQSInstrumentDescription& source) {
  if (&source == this) return;
  Fields = source.Fields;
  Name = source.Name;
  ShortName = source.ShortName;
  Group = source.Group;
  Clefs = source.Clefs;
  Transports = source.Transports;
}

void TQSInstrumentDescription::LoadFromStream(TStream& s) {
  bool clefsRead = false;
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadBlock(r, [&](TBlockIO& b) { Fields.Visit(b); });
    if (r.Has(2)) Name = ReadRecordString(r);
    if (r.Has(3)) ShortName = ReadRecordString(r);
    if (r.Has(4)) Group = ReadRecordString(r);
    if (r.Has(5)) {
      Clefs = r.ReadBytes(Fields.StaffCount);
      clefsRead = true;
    }
    if (r.Has(6)) {
      Transports = ReadTransportRecords(s);
      EnsureInsideRecord(r);
    }
  });
  // The clefs always match the staff count, and the records their count,
  // whatever a damaged record left.
  if (!clefsRead || Clefs.size() != Fields.StaffCount) Clefs.resize(Fields.StaffCount);
  Fields.TransportCount = static_cast<uint16_t>(Transports.size());
}

void TQSInstrumentDescription::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 6);
  TFields fields = Fields;
  fields.StaffCount = static_cast<uint8_t>(Clefs.size());
  fields.TransportCount = static_cast<uint16_t>(Transports.size());
  WriteBlock(s, [&](TBlockIO& b) { fields.Visit(b); });
  WriteStreamString(s, Name);
  WriteStreamString(s, ShortName);
  WriteStreamString(s, Group);
  s.WriteBytes(Clefs);
  WriteTransportRecords(s, Transports);
  w.Finish();
}

bool SameInstrument(const TQSInstrumentDescription& a, const TQSInstrumentDescription& b) {
  return SameText(a.Name, b.Name) && SameText(a.ShortName, b.ShortName) && a.Fields.Program == b.Fields.Program &&
         a.Fields.Reserved == b.Fields.Reserved && a.Fields.StaffCount == b.Fields.StaffCount &&
         a.Fields.LineCount == b.Fields.LineCount && a.Clefs == b.Clefs;
}

void TQSInstruments::LoadFromStream(TStream& s) { LoadLibrary(*this, s, kInstrumentFormat); }
void TQSInstruments::SaveToStream(TStream& s) const { SaveLibrary(*this, s, kInstrumentFormat); }

TQSInstrumentDescription* TQSInstruments::FindEqual(const TQSInstrumentDescription& description) const {
  for (const auto& item : Items)
    if (SameInstrument(*item, description)) return item.get();
  return nullptr;
}

std::string TransportFileForLanguage(const std::string& name, const std::string& language) {
  return LocalizedTemplateName(name, TQSTransports::kExtension, language);
}

std::string InstrumentFileForLanguage(const std::string& name, const std::string& language) {
  return LocalizedTemplateName(name, TQSInstruments::kExtension, language);
}

}  // namespace qs
