#include <gtest/gtest.h>

#include "platform/components.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"

using namespace qs;

namespace {

// A column of a list: a collection item with a caption.
class TColumn : public TCollectionItem {
 public:
  std::string Caption;
  const TPropTable& Published() const override {
    static const TPropTable table(&TCollectionItem::Published(),
                                  {StringProp<TColumn>(
                                      "Caption", [](const TColumn& c) { return c.Caption; },
                                      [](TColumn& c, const std::string& v) { c.Caption = v; })});
    return table;
  }
};

// A component with every kind of published property.
class TSample : public TComponent {
 public:
  explicit TSample(TComponent* owner) : TComponent(owner), Columns([] { return std::make_unique<TColumn>(); }) {}
  TStringList Items;
  TFont Font;
  bool Checked = false;
  TCollection Columns;
  TComponent* Link = nullptr;
  const TPropTable& Published() const override {
    static const TPropTable table(
        &TComponent::Published(),
        {StringsProp<TSample>(
             "Items", [](const TSample& s) { return s.Items; },
             [](TSample& s, const TStringList& v) { s.Items = v; }),
         FontProp<TSample>(
             "Font", [](const TSample& s) { return s.Font; }, [](TSample& s, const TFont& v) { s.Font = v; }),
         BoolProp<TSample>(
             "Checked", [](const TSample& s) { return s.Checked; }, [](TSample& s, bool v) { s.Checked = v; }),
         ObjectProp<TSample>("Columns", TPropKind::Collection,
                             [](const TSample& s) { return const_cast<TCollection*>(&s.Columns); }),
         ObjectProp<TSample>("Link", TPropKind::Component, [](const TSample& s) { return s.Link; })});
    return table;
  }
};

TEST(Components, OwnerFreesOwnedAndTellsThoseWhoAsked) {
  struct TWatcher : TComponent {
    using TComponent::TComponent;
    std::vector<TComponent*> Gone;
    void Notification(TComponent* c, TOperation op) override {
      if (op == opRemove) Gone.push_back(c);
    }
  };
  TWatcher watcher(nullptr);
  auto* owner = new TComponent(nullptr);
  auto* a = new TComponent(owner);
  a->SetName("A");
  auto* b = new TComponent(owner);
  b->SetName("b1");
  a->FreeNotification(&watcher);
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("a"), a);
  EXPECT_EQ(owner->FindComponent("B1"), b);
  EXPECT_THROW(b->SetName("a"), EComponentError);
  EXPECT_THROW(b->SetName("1x"), EComponentError);
  delete b;
  EXPECT_EQ(owner->ComponentCount(), 1);
  delete owner;
  EXPECT_EQ(watcher.Gone, std::vector<TComponent*>{a});
}

TEST(Components, PropertyPathsReachEveryKindByName) {
  TForm form(nullptr);
  form.SetName("Form1");
  auto* sample = new TSample(&form);
  sample->SetName("List1");
  auto* button = new TButton(&form);
  button->SetName("Button3");
  button->SetParent(&form);
  sample->Columns.Add();
  sample->Columns.Add();
  sample->Link = button;

  // Texts: the form's own, an owned component's, a collection item's, and
  // one reached through a component property.
  EXPECT_TRUE(SetStrProp(form, "Caption", "Settings"));
  EXPECT_EQ(form.Caption(), "Settings");
  EXPECT_TRUE(SetStrProp(form, "Button3.Caption", "&Close"));
  EXPECT_EQ(button->Caption(), "&Close");
  EXPECT_TRUE(SetStrProp(form, "List1.Columns[1].Caption", "Pitch"));
  EXPECT_EQ(static_cast<TColumn*>(sample->Columns.Items(1))->Caption, "Pitch");
  EXPECT_TRUE(SetStrProp(form, "List1.Link.Hint", "Closes|Closes the window"));
  EXPECT_EQ(button->ShownHint(), "");  // hints are off until ShowHint
  button->SetShowHint(true);
  EXPECT_EQ(button->ShownHint(), "Closes");
  std::string text;
  EXPECT_TRUE(GetStrProp(form, "button3.caption", text));
  EXPECT_EQ(text, "&Close");

  // A string list and a font are set as wholes.
  EXPECT_TRUE(SetStringsProp(form, "List1.Items", TStringList{"one", "two"}));
  TStringList lines;
  EXPECT_TRUE(GetStringsProp(form, "List1.Items", lines));
  EXPECT_EQ(lines, (TStringList{"one", "two"}));
  TFont font;
  font.Name = "Arial";
  font.SetSize(12);
  EXPECT_TRUE(SetFontProp(form, "Button3.Font", font));
  EXPECT_EQ(button->Font().Name, "Arial");
  EXPECT_FALSE(button->ParentFont());
  TFont read;
  EXPECT_TRUE(GetFontProp(form, "List1.Font", read));

  // Booleans and integers share the ordinal calls.
  EXPECT_TRUE(SetOrdProp(form, "List1.Checked", 1));
  EXPECT_TRUE(sample->Checked);
  EXPECT_TRUE(SetOrdProp(form, "Button3.Width", 90));
  EXPECT_EQ(button->Width(), 90);

  // Paths that lead nowhere change nothing.
  struct TCase {
    const char* Path;
  } nowhere[] = {{"Missing.Caption"}, {"List1.Columns[2].Caption"}, {"List1.Columns[x].Caption"},
                 {"List1.Columns.Caption"}, {"Button3.Missing"}, {"List1.Link.Button3.Caption"},
                 {"List1.Items"}, {""}};
  for (const TCase& c : nowhere) EXPECT_FALSE(SetStrProp(form, c.Path, "x")) << c.Path;
  EXPECT_EQ(form.Caption(), "Settings");
  // A string value does not go into a number.
  EXPECT_FALSE(SetStrProp(form, "Button3.Width", "5"));

  // The table knows each property's kind.
  struct TKindCase {
    const char* Name;
    TPropKind Kind;
  } kinds[] = {{"Name", TPropKind::String},      {"Items", TPropKind::Strings},
               {"Font", TPropKind::Font},        {"Checked", TPropKind::Boolean},
               {"Columns", TPropKind::Collection}, {"Link", TPropKind::Component},
               {"Tag", TPropKind::Integer}};
  for (const TKindCase& k : kinds) {
    const TPropInfo* p = GetPropInfo(*sample, k.Name);
    ASSERT_NE(p, nullptr) << k.Name;
    EXPECT_EQ(p->Kind, k.Kind) << k.Name;
  }
}

}  // namespace
