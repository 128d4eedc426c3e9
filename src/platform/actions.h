#pragma once
// Actions: one command with its caption, hint, state and handler, shared by
// the menu items and buttons linked to it; action lists hold them. Image
// lists: pictures of one size drawn by index, normal or greyed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/components.h"
#include "platform/controls.h"

namespace qs {

class TBitmap;
class TActionList;

// The clients told of every change of the object that holds the list (a
// menu item of its action, a menu of its images); each leaves by the id
// it was added with, also while it is being told.
class TChangeListeners {
 public:
  int Add(TNotifyEvent listener);
  void Remove(int id);
  void Notify(TObject* sender) const;

 private:
  std::vector<std::pair<int, TNotifyEvent>> listeners_;
  int next_ = 1;
};

class TAction : public TComponent {
 public:
  explicit TAction(TComponent* owner);
  ~TAction() override;
  const char* ClassName() const override { return "TAction"; }
  const TPropTable& Published() const override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  // A key with shift state bits in the high byte (ShortCut).
  uint16_t ShortCut = 0;
  int GroupIndex = 0;

  TActionList* ActionList() const { return list_; }
  void SetActionList(TActionList* list);

  // Runs OnExecute (when enabled); false when there is nothing to run.
  bool Execute();
  // Asks OnUpdate to refresh the state.
  void Update();
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  // Linked clients (menu items, buttons) hear of every change.
  int AddChangeListener(TNotifyEvent listener);
  void RemoveChangeListener(int id);

 private:
  friend class TActionList;
  void Changed();
  std::string caption_, hint_;
  bool enabled_ = true, checked_ = false, visible_ = true;
  int imageIndex_ = -1;
  TActionList* list_ = nullptr;
  TChangeListeners listeners_;
};

class TActionList : public TComponent {
 public:
  explicit TActionList(TComponent* owner) : TComponent(owner) {}
  ~TActionList() override;
  const char* ClassName() const override { return "TActionList"; }
  int ActionCount() const { return static_cast<int>(actions_.size()); }
  TAction* Actions(int index) const;
  // The first enabled, visible action with this shortcut, or null.
  TAction* FindShortCut(uint16_t shortCut) const;
  // Calls Update on every action (the program does this when idle).
  void UpdateActions();
  class TImageList* Images = nullptr;

 private:
  friend class TAction;
  std::vector<TAction*> actions_;
};

// A shortcut from a virtual key and a shift state (ssShift, ssCtrl, ssAlt).
uint16_t ShortCut(uint16_t key, uint16_t shift);

class TImageList : public TComponent {
 public:
  TImageList(TComponent* owner, int width = 16, int height = 16);
  ~TImageList() override;
  const char* ClassName() const override { return "TImageList"; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  // Adds the picture (cut into Width-wide pieces when it is wider); pixels
  // of the mask colour stay transparent (clNone: the bottom-left pixel's
  // colour). Returns the index of the first image added.
  int AddMasked(const TBitmap& image, TColor maskColor = clNone);
  void Delete(int index);
  void Clear();
  // Draws image index at (x, y); greyed: as a disabled control shows it.
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
  // A copy of image index with its transparent pixels in clWhite.
  std::unique_ptr<TBitmap> GetBitmap(int index) const;

  // Clients (menus, tab strips, grids) hear of every change of the images.
  int AddChangeListener(TNotifyEvent listener) { return listeners_.Add(std::move(listener)); }
  void RemoveChangeListener(int id) { listeners_.Remove(id); }

 private:
  TChangeListeners listeners_;
  int width_, height_;
  std::vector<std::unique_ptr<TBitmap>> images_;
};

// A client's registration with an object that tells of its changes (an
// image list, an action): it follows the object it is set to, tells the
// client of each change of it and asks for the object's free notification,
// which the client's Notification passes on, so that it lets go of the
// object destroyed first. It lets go of the object when set to another one
// and when the client ends.
template <class T>
class TChangeLink {
 public:
  TChangeLink(TComponent* client, TNotifyEvent onChange) : client_(client), onChange_(std::move(onChange)) {}
  ~TChangeLink() { Link(nullptr); }
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;
  // What the client's Notification heard: the object it follows going.
  void Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && target_ && component == target_) Link(nullptr);
  }

 protected:
  T* Target() const { return target_; }
  // False when target is the object it follows already.
  bool Link(T* target) {
    if (target == target_) return false;
    if (target_) {
      target_->RemoveChangeListener(id_);
      target_->RemoveFreeNotification(client_);
    }
    target_ = target;
    id_ = 0;
    if (target) {
      id_ = target->AddChangeListener([this](TObject* sender) { Fire(onChange_, sender); });
      target->FreeNotification(client_);
    }
    return true;
  }

 private:
  TComponent* client_;
  TNotifyEvent onChange_;
  T* target_ = nullptr;
  int id_ = 0;
};

class TImageChangeLink : public TChangeLink<TImageList> {
 public:
  using TChangeLink::TChangeLink;
  TImageList* Images() const { return Target(); }
  // False when images is the list it follows already.
  bool SetImages(TImageList* images) { return Link(images); }
};

class TActionChangeLink : public TChangeLink<TAction> {
 public:
  using TChangeLink::TChangeLink;
  TAction* Action() const { return Target(); }
  // False when action is the one it follows already.
  bool SetAction(TAction* action) { return Link(action); }
};

// The window system's measures.
enum TSystemMetric : int {
  SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
  SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CXICON = 11, SM_CYICON = 12,
  SM_CXCURSOR = 13, SM_CYCURSOR = 14, SM_CYMENU = 15, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37,
  SM_CXDRAG = 68, SM_CYDRAG = 69, SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50
};
int GetSystemMetrics(TSystemMetric metric);
// The double-click time in milliseconds.
int GetDoubleClickTime();
// The system's alert sound (nothing where there is no sound).
void Beep();

}  // namespace qs
