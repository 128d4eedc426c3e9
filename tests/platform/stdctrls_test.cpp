// The standard controls, actions, image lists and common dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/comctrls.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

class StdCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetName("Form1");
    form->SetBounds(50, 50, 400, 300);
  }
  void TearDown() override {
    form.reset();
    td::ProcessMessages();
  }
  template <class T>
  T* Add(const std::string& name, TWinControl* parent = nullptr) {
    auto* c = new T(form.get());
    c->SetName(name);
    c->SetParent(parent ? parent : form.get());
    return c;
  }
  std::unique_ptr<TForm> form;
};

TEST_F(StdCtrlsTest, TranslationsReachListsColumnsAndPanelsByPath) {
  auto* list = Add<TListBox>("List");
  auto* combo = Add<TComboBox>("Combo");
  combo->SetStyle(csDropDownList);
  auto* memo = Add<TMemo>("Memo");
  auto* view = Add<TListView>("View");
  auto* status = Add<TStatusBar>("Status");
  view->Columns.Add();
  view->Columns.Add();
  status->Panels.Add();
  list->SetItems({"one", "two", "three"});
  list->SetItemIndex(1);
  combo->SetItems({"Whole", "Half"});
  combo->SetItemIndex(1);

  EXPECT_TRUE(SetStringsProp(*form, "List.Items", TStringList{"eins", "zwei", "drei"}));
  EXPECT_TRUE(SetStringsProp(*form, "Combo.Items", TStringList{"Ganze", "Halbe"}));
  EXPECT_TRUE(SetStringsProp(*form, "Memo.Lines", TStringList{"Zeile 1", "Zeile 2"}));
  EXPECT_TRUE(SetStrProp(*form, "View.Columns[1].Caption", "Tonhöhe"));
  EXPECT_TRUE(SetStrProp(*form, "Status.Panels[0].Text", "Bereit"));
  EXPECT_EQ(list->Items(), (TStringList{"eins", "zwei", "drei"}));
  // A translated list keeps what was chosen in it.
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "Halbe");
  EXPECT_EQ(memo->Lines(), (TStringList{"Zeile 1", "Zeile 2"}));
  EXPECT_EQ(static_cast<TListColumn*>(view->Columns.Items(1))->Caption, "Tonhöhe");
  EXPECT_EQ(static_cast<TStatusPanel*>(status->Panels.Items(0))->Text, "Bereit");
}

TEST_F(StdCtrlsTest, ClicksCheckBoxesRadiosAndGroupedSpeedButtons) {
  auto* check = Add<TCheckBox>("Check");
  check->SetBounds(10, 10, 100, 20);
  auto* r1 = Add<TRadioButton>("R1");
  r1->SetBounds(10, 40, 100, 20);
  auto* r2 = Add<TRadioButton>("R2");
  r2->SetBounds(10, 70, 100, 20);
  auto* panel = Add<TPanel>("Panel");
  panel->SetBounds(150, 10, 200, 40);
  TSpeedButton* b[3];
  for (int i = 0; i < 3; ++i) {
    b[i] = new TSpeedButton(form.get());
    b[i]->GroupIndex = 1;
    b[i]->SetBounds(5 + 30 * i, 5, 25, 25);
    b[i]->SetParent(panel);
  }
  int clicks = 0;
  check->OnClick = [&](TObject*) { ++clicks; };
  td::ShowAndWait(*form);
  td::Click(*check, 5, 10);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(clicks, 1);
  check->SetChecked(false);  // from code: no click
  EXPECT_EQ(clicks, 1);
  td::Click(*r1, 5, 10);
  td::Click(*r2, 5, 10);
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
  // Code may leave a group with no button checked; a click checks again.
  r2->SetChecked(false);
  EXPECT_FALSE(r1->Checked());
  EXPECT_FALSE(r2->Checked());
  td::Click(*r1, 5, 10);
  EXPECT_TRUE(r1->Checked());
  td::Click(*r2, 5, 10);
  EXPECT_FALSE(r1->Checked());
  td::Click(*b[0], 10, 10);
  td::Click(*b[2], 10, 10);
  EXPECT_FALSE(b[0]->Down());
  EXPECT_TRUE(b[2]->Down());
  td::Click(*b[2], 10, 10);  // the last one down stays down
  EXPECT_TRUE(b[2]->Down());
}

TEST_F(StdCtrlsTest, UpDownStepsWrapsAndShowsItsPositionInTheEdit) {
  auto* edit = Add<TEdit>("Edit");
  edit->SetBounds(10, 10, 60, 21);
  auto* updown = Add<TUpDown>("UpDown");
  updown->SetBounds(70, 10, 17, 22);
  updown->Min = 1;
  updown->Max = 3;
  updown->Wrap = true;
  updown->SetAssociate(edit);
  updown->SetPosition(2);
  td::ShowAndWait(*form);
  td::Click(*updown, 8, 3);  // upper half
  EXPECT_EQ(updown->Position(), 3);
  td::Click(*updown, 8, 3);
  EXPECT_EQ(updown->Position(), 1);  // round to the start
  EXPECT_EQ(edit->Text(), "1");
  td::Click(*updown, 8, 19);
  EXPECT_EQ(updown->Position(), 3);
  delete edit;  // the up-down forgets a freed edit
  EXPECT_EQ(updown->Associate(), nullptr);
  updown->Step(btPrev);
  EXPECT_EQ(updown->Position(), 2);
}

TEST_F(StdCtrlsTest, DraggingASplitterResizesItsNeighbour) {
  auto* left = Add<TPanel>("Left");
  left->SetBounds(0, 0, 100, 100);
  left->SetAlign(alLeft);
  auto* splitter = Add<TSplitter>("Splitter");
  splitter->SetBounds(100, 0, 4, 100);
  splitter->SetAlign(alLeft);
  auto* rest = Add<TPanel>("Rest");
  rest->SetAlign(alClient);
  td::ShowAndWait(*form);
  td::MouseDown(*splitter, 1, 50);
  td::MouseMove(*splitter, 41, 50);
  td::MouseUp(*splitter, 1, 50);  // where the splitter is now
  EXPECT_EQ(left->Width(), 140);
  EXPECT_EQ(splitter->Left(), 140);
  EXPECT_EQ(rest->Left(), 144);
}

TEST_F(StdCtrlsTest, ScrollBoxScrollsControlsThatDoNotFit) {
  auto* box = Add<TScrollBox>("Box");
  box->SetBounds(0, 0, 200, 150);
  auto* far = Add<TPanel>("Far", box);
  far->SetBounds(10, 400, 50, 50);
  box->UpdateScrollBars();
  td::ShowAndWait(*form);
  EXPECT_LT(box->ClientWidth(), 200);  // a vertical bar appeared
  td::Wheel(*box, 50, 50, -WHEEL_DELTA * 2);
  EXPECT_EQ(box->VertPosition(), 120);
  EXPECT_EQ(far->Top(), 280);
  box->SetPositions(0, 10000);
  EXPECT_EQ(far->BoundsRect().Bottom, box->ClientHeight());
}

TEST(Actions, ExecuteUpdateGroupsAndShortcuts) {
  TActionList list(nullptr);
  TAction* a = new TAction(&list);
  TAction* b = new TAction(&list);
  a->SetActionList(&list);
  b->SetActionList(&list);
  a->GroupIndex = b->GroupIndex = 2;
  a->ShortCut = ShortCut('S', ssCtrl);
  int runs = 0, changes = 0;
  a->OnExecute = [&](TObject*) { ++runs; };
  a->OnUpdate = [&](TObject* sender) { static_cast<TAction*>(sender)->SetEnabled(runs < 1); };
  const int id = a->AddChangeListener([&](TObject*) { ++changes; });
  EXPECT_EQ(list.FindShortCut(ShortCut('S', ssCtrl)), a);
  EXPECT_TRUE(a->Execute());
  EXPECT_FALSE(a->Execute());  // OnUpdate disabled it
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(list.FindShortCut(ShortCut('S', ssCtrl)), nullptr);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  a->RemoveChangeListener(id);
  const int before = changes;
  a->SetCaption("&Save");
  EXPECT_EQ(changes, before);
  delete a;
  EXPECT_EQ(list.ActionCount(), 1);
}

TEST(ImageLists, DrawsTransparentAndGreyed) {
  TBitmap strip(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) strip.SetPixel(x, y, clLime);  // the mask colour
  for (int y = 4; y < 12; ++y)
    for (int x = 4; x < 12; ++x) strip.SetPixel(x, y, clBlack);
  for (int y = 4; y < 12; ++y)
    for (int x = 20; x < 28; ++x) strip.SetPixel(x, y, clRed);
  TImageList images(nullptr, 16, 16);
  EXPECT_EQ(images.AddMasked(strip), 0);
  EXPECT_EQ(images.Count(), 2);
  TBitmap target(40, 20);
  images.Draw(target.Canvas(), 0, 0, 0);
  images.Draw(target.Canvas(), 20, 0, 0, false);
  EXPECT_EQ(target.Pixel(1, 1), clWhite);  // transparent
  EXPECT_EQ(target.Pixel(5, 5), clBlack);
  EXPECT_EQ(target.Pixel(21, 1), clWhite);
  EXPECT_NE(target.Pixel(25, 5), clBlack);  // greyed
  EXPECT_NE(target.Pixel(25, 5), clWhite);
  EXPECT_EQ(images.GetBitmap(1)->Pixel(5, 5), clRed);
}

TEST(ImageList, LinksHearEveryChangeOfTheListTheyFollow) {
  TImageList first(nullptr, 4, 4), second(nullptr, 4, 4);
  std::vector<TObject*> told;
  {
    TImageChangeLink link(nullptr, [&](TObject* sender) { told.push_back(sender); });
    link.SetImages(&first);
    TBitmap picture(8, 4);
    first.AddMasked(picture, clRed);
    first.Delete(1);
    first.Clear();
    EXPECT_EQ(told, (std::vector<TObject*>{&first, &first, &first}));
    told.clear();
    link.SetImages(&second);
    first.AddMasked(picture, clRed);
    second.AddMasked(picture, clRed);
    EXPECT_EQ(told, (std::vector<TObject*>{&second}));
    told.clear();
  }
  second.Clear();  // the link has ended with its client
  EXPECT_TRUE(told.empty());
}

TEST(Dialogs, SaveNamesGetTheFiltersExtension) {
  const std::string filter = "Bitmap|*.bmp|GIF|*.gif;*.GIF|Any file|*.*";
  struct TCase {
    const char* Name;
    int Index;
    const char* DefaultExt;
    const char* Expected;
  } cases[] = {
      {"page", 1, "", "page.bmp"},       {"page", 2, "", "page.gif"},     {"page", 3, "jpg", "page.jpg"},
      {"page", 3, "", "page"},           {"page.png", 1, "", "page.png"}, {"page", 9, "sfd", "page.sfd"},
      {"dir.v2/page", 1, "", "dir.v2/page.bmp"}, {"", 1, "bmp", ""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(AddDefaultExtension(c.Name, filter, c.Index, c.DefaultExt), c.Expected) << c.Name << " " << c.Index;
}

TEST(Dialogs, SaveDialogAsksBeforeReplacingAFile) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qs_save_dialog_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "score.sfd") << "old";
  TSaveDialog save(nullptr);
  save.Filter = "Scores|*.sfd|All files|*";
  save.InitialDir = dir.string();
  save.FileName = "score";

  // Answering No to the question goes back to the dialog; cancelling it
  // then chooses nothing. Each answer is given once the window before it
  // has closed.
  td::Later([] {
    td::KeyToModal(VK_RETURN);  // the dialog: save as "score"
    td::Later([] {
      td::KeyToModal(VK_ESCAPE);  // the question: no
      td::Later([] { td::KeyToModal(VK_ESCAPE); }, 20);  // the dialog again: cancel
    }, 20);
  });
  EXPECT_FALSE(save.Execute());

  save.FileName = "score";
  td::Later([] {
    td::KeyToModal(VK_RETURN);
    td::Later([] { td::KeyToModal('Y', ssAlt); }, 20);
  });
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, (dir / "score.sfd").string());
  EXPECT_EQ(save.FilterIndex, 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
