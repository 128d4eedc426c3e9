// In the program's window a note dragged up or down with the left button
// changes its pitch, and Ctrl+Z takes that back.
#include <gtest/gtest.h>

#include "app/pageviewer.h"
#include "layout/layout.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

TEST(PageViewerDrag, DraggingANoteHeadUpRaisesThePitch) {
  InstallLayout();
  TQSScore score;
  MakeNewScore(score);
  TQSMeasure* measure = score.GetPiece(0)->GetPart(0)->GetMeasure(0);
  auto note = [&] {
    for (TQSItem* item : measure->Items)
      if (item->ItemType == kind::Note) return static_cast<TQSNote*>(item);
    return static_cast<TQSNote*>(nullptr);
  };
  auto* made = static_cast<TQSNote*>(CreateItemByKind(kind::Note, measure));
  made->Fields.Length = made->Fields.RealLength = 512;
  made->Fields.Pitch = MakePitch(5, 0);  // middle C
  score.Recalculate(0);
  TPageViewerForm form(nullptr, score, "", "ENU");
  form.SetBounds(0, 0, 900, 700);
  td::ShowAndWait(form);
  TQSWindow& view = *form.View;
  const TRect head = view.Geometry().ElementClientBox(*note()->HeadElement);
  const int x = (head.Left + head.Right) / 2, y = (head.Top + head.Bottom) / 2;
  const int space = view.Geometry().StaffSpacePixels(*score.GetPiece(0)->GetPart(0)->GetStaff(0));
  ASSERT_GT(space, 0);
  // Press on the head, move up one staff space, release: two steps up.
  td::MouseDown(view, x, y);
  td::MouseMove(view, x, y - space / 2);
  td::MouseMove(view, x, y - space);
  td::MouseUp(view, x, y - space);
  EXPECT_EQ(PitchLine(note()->Fields.Pitch), 37);
  td::PressKey(view, 'Z', ssCtrl);
  EXPECT_EQ(PitchLine(note()->Fields.Pitch), 35);
}

}  // namespace
