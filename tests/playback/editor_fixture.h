#pragma once
// A side editor on a form of its own over a laid-out score with a view
// that keeps its selection, as the document window sets them up.
#include <vector>

#include "platform/forms.h"
#include "platform/testdriver.h"
#include "score/calcrecords.h"
#include "score/notes.h"
#include "walk_fixture.h"

namespace qs::test {

// A score view reduced to its cursor and its selection.
struct TSelectingView : TQSWindowLink {
  std::vector<TQSCalcItem*> Selection;
  bool Playing() const override { return false; }
  int CursorSystemIndex() const override { return 0; }
  void InvalidatePages() override {}
  void ClearSelection() override { Selection.clear(); }
  void AddToSelection(TQSCalcItem* element) override { Selection.push_back(element); }
  std::vector<TQSCalcItem*> SelectedMeasureElements() const override { return Selection; }
};

template <class TEditor>
struct TEditorScore : TContentScore {
  TSelectingView View;
  TForm Form{nullptr};
  TEditor* Editor;
  int Changes = 0;  // OnChanged of the score
  TEditorScore(int measures, int width, int height) : TContentScore(measures) {
    Form.SetClientWidth(width);
    Form.SetClientHeight(height);
    Editor = new TEditor(&Form);
    Editor->SetParent(&Form);
    Editor->SetAlign(alClient);
  }
  ~TEditorScore() { Score.DetachWindow(&View); }
  // Once the score's content is made: lays it out and makes the view the
  // score's active one.
  void Attach() {
    Layout();
    Score.AttachWindow(&View);
    Score.SetActiveWindow(&View);
    Score.OnChanged = [this](TObject*) { ++Changes; };
  }
};

// The piano roll or the velocity editor, filled with Notes of the first
// two measures.
template <class TEditor>
struct TVoiceScore : TEditorScore<TEditor> {
  std::vector<TQSNote*> Notes;
  using TEditorScore<TEditor>::TEditorScore;
  // As the document window fills the editor after a layout pass.
  void Refill() {
    TEditor& e = *this->Editor;
    e.BeginUpdate();
    e.Clear();
    e.AddMeasure(this->Measure(0));
    e.AddMeasure(this->Measure(1));
    for (TQSNote* n : Notes) e.AddNote(n->HeadElement);
    e.EndUpdate();
  }
};

}  // namespace qs::test
