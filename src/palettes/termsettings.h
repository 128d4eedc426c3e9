#pragma once
// TFTermSettings: what playback makes of the expressions of one kind. One
// row per dynamics expression (a level, or with its box checked a change of
// the level in force) or per tempo expression (the tempo change in
// percent), edited in place in the expression library, which is saved when
// the form closes. Shown alone (modal) or docked as a page of another form.
#include <vector>

#include "platform/forms.h"

namespace qs {

class TCheckBox;
class TECImageTrack;
class TFTerms;
class TLabel;
class TScrollBox;
class TWinControl;
struct TTermDescription;

class TFTermSettings : public TForm {
 public:
  // kind: 1 dynamics, 2 tempo. terms: the palette whose library is edited
  // and saved (null: no rows).
  TFTermSettings(TComponent* owner, TFTerms* terms, int kind);
  ~TFTermSettings() override;
  const char* ClassName() const override { return "TFTermSettings"; }
  // A page inside another window hears no closing of its own: it writes
  // the library when it goes.
  bool SaveWhenFreed = false;
  int Kind() const { return kind_; }
  // Lays the rows out anew from the library.
  void Fill();
  // The rows: the expression, its track, its value label, its check box
  // (dynamics only).
  struct TRow {
    TTermDescription* Term = nullptr;
    TLabel* Text = nullptr;
    TLabel* Value = nullptr;
    TCheckBox* Relative = nullptr;
    TECImageTrack* Track = nullptr;
  };
  const std::vector<TRow>& Rows() const { return rows_; }
  // The row's check box was clicked: the track's range follows and the
  // values are stored.
  void RelativeClick(size_t row);
  // The row's track moved.
  void TrackChange(size_t row);
  // Writes the library.
  void Save();

  TScrollBox* SBTermSettings = nullptr;

 private:
  // The value a row's track edits: the level (or its change) of a dynamics
  // expression, the tempo change of a tempo expression, which is the value
  // playback reads.
  int& Edited(TTermDescription& t) const;
  TFTerms* terms_;
  int kind_;
  std::vector<TRow> rows_;
};

// Makes the expression values of kind as a page docked in parent (which
// owns it), shown.
TFTermSettings* DockTermSettings(TWinControl& parent, int kind);
void RegisterTermSettingsForms();

}  // namespace qs
