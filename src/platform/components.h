#pragma once
// Components: named objects with an owner that frees what it owns and tells
// interested components when one goes, and a small run-time table of each
// class's published properties, so that texts, string lists and fonts can
// be set by name and by property path ("Panel1.Button3.Caption",
// "ListView1.Columns[2].Caption") without knowing the class.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/events.h"
#include "base/exceptions.h"
#include "base/strings.h"
#include "platform/canvas.h"

namespace qs {

class TPersistent;
class TComponent;
class TCollection;

enum class TPropKind : uint8_t { String, Integer, Boolean, Strings, Font, Collection, Component };

// One published property. Integer and Boolean go through GetInt/SetInt
// (Booleans as 0 and 1); Collection and Component through GetObject.
struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::String;
  std::function<std::string(const TPersistent&)> GetString;
  std::function<void(TPersistent&, const std::string&)> SetString;
  std::function<int(const TPersistent&)> GetInt;
  std::function<void(TPersistent&, int)> SetInt;
  std::function<TStringList(const TPersistent&)> GetStrings;
  std::function<void(TPersistent&, const TStringList&)> SetStrings;
  std::function<TFont(const TPersistent&)> GetFont;
  std::function<void(TPersistent&, const TFont&)> SetFont;
  std::function<TPersistent*(const TPersistent&)> GetObject;
};

// The published properties of one class, with those of its base class.
class TPropTable {
 public:
  TPropTable(const TPropTable* base, std::vector<TPropInfo> props) : base_(base), props_(std::move(props)) {}
  // By name, without regard to case; null when the class has none.
  const TPropInfo* Find(std::string_view name) const;
  // Base class properties first.
  std::vector<const TPropInfo*> All() const;

 private:
  const TPropTable* base_;
  std::vector<TPropInfo> props_;
};

// Builders for the tables: C is the class, the accessors take C.
template <class C>
TPropInfo StringProp(std::string name, std::function<std::string(const C&)> get,
                     std::function<void(C&, const std::string&)> set) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TPropKind::String;
  p.GetString = [get](const TPersistent& o) { return get(static_cast<const C&>(o)); };
  p.SetString = [set](TPersistent& o, const std::string& v) { set(static_cast<C&>(o), v); };
  return p;
}
template <class C>
TPropInfo IntProp(std::string name, std::function<int(const C&)> get, std::function<void(C&, int)> set,
                  TPropKind kind = TPropKind::Integer) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = kind;
  p.GetInt = [get](const TPersistent& o) { return get(static_cast<const C&>(o)); };
  p.SetInt = [set](TPersistent& o, int v) { set(static_cast<C&>(o), v); };
  return p;
}
template <class C>
TPropInfo BoolProp(std::string name, std::function<bool(const C&)> get, std::function<void(C&, bool)> set) {
  return IntProp<C>(
      std::move(name), [get](const C& c) { return get(c) ? 1 : 0; }, [set](C& c, int v) { set(c, v != 0); },
      TPropKind::Boolean);
}
template <class C>
TPropInfo StringsProp(std::string name, std::function<TStringList(const C&)> get,
                      std::function<void(C&, const TStringList&)> set) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TPropKind::Strings;
  p.GetStrings = [get](const TPersistent& o) { return get(static_cast<const C&>(o)); };
  p.SetStrings = [set](TPersistent& o, const TStringList& v) { set(static_cast<C&>(o), v); };
  return p;
}
template <class C>
TPropInfo FontProp(std::string name, std::function<TFont(const C&)> get, std::function<void(C&, const TFont&)> set) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TPropKind::Font;
  p.GetFont = [get](const TPersistent& o) { return get(static_cast<const C&>(o)); };
  p.SetFont = [set](TPersistent& o, const TFont& v) { set(static_cast<C&>(o), v); };
  return p;
}
template <class C>
TPropInfo ObjectProp(std::string name, TPropKind kind, std::function<TPersistent*(const C&)> get) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = kind;
  p.GetObject = [get](const TPersistent& o) { return get(static_cast<const C&>(o)); };
  return p;
}

// An object with published properties.
class TPersistent : public TObject {
 public:
  const char* ClassName() const override { return "TPersistent"; }
  // The table of the object's class; classes with properties of their own
  // override this and chain their base's table.
  virtual const TPropTable& Published() const;
};

// An entry of a collection; its class publishes its own properties.
class TCollectionItem : public TPersistent {
 public:
  const char* ClassName() const override { return "TCollectionItem"; }
  TCollection* Collection() const { return collection_; }
  int Index() const;

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

// An ordered list of items of one class, made by the collection.
class TCollection : public TPersistent {
 public:
  using TItemFactory = std::function<std::unique_ptr<TCollectionItem>()>;
  explicit TCollection(TItemFactory factory) : factory_(std::move(factory)) {}
  const char* ClassName() const override { return "TCollection"; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError outside 0..Count-1.
  TCollectionItem* Items(int index) const;
  TCollectionItem* Add();
  void Delete(int index);
  void Clear() { items_.clear(); }
  // Told after every change of the list or of an item.
  TNotifyEvent OnChange;
  void Changed() { Fire(OnChange, this); }

 private:
  TItemFactory factory_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
};

enum TOperation : uint8_t { opInsert, opRemove };
enum TComponentStateFlag : uint8_t { csLoading = 1, csDestroying = 2, csDesigning = 4 };
using TComponentState = uint8_t;

// A component frees the components it owns when it goes, and tells every
// component that asked (FreeNotification) and its owner, through
// Notification, before it is gone.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  const char* ClassName() const override { return "TComponent"; }
  const TPropTable& Published() const override;

  const std::string& Name() const { return name_; }
  // Raises EComponentError when another component of the same owner has
  // the name (without regard to case) or the name is not an identifier.
  void SetName(const std::string& name);
  int Tag = 0;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  // Among the owned components, without regard to case; null when absent.
  TComponent* FindComponent(std::string_view name) const;
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  // Frees every owned component, the last first.
  void DestroyComponents();

  // other is told (Notification(this, opRemove)) when this component goes.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  TComponentState ComponentState() const { return state_; }
  bool Destroying() const { return state_ & csDestroying; }
  // Loading: set while a form's properties are being applied; Loaded ends it.
  void BeginLoading() { state_ |= csLoading; }
  virtual void Loaded() { state_ &= ~csLoading; }

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  // Subclasses call this first in their destructors, so that what they own
  // goes while they are still whole.
  void BeginDestroy();

 private:
  std::string name_;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  TComponentState state_ = 0;
};

class EComponentError : public Exception { using Exception::Exception; };

// Published property lookup by name (without regard to case).
const TPropInfo* GetPropInfo(const TPersistent& object, std::string_view name);

// Walks a property path from root: segments separated by ".", each the
// name of a published property or, where the object has no such property,
// of a component the root owns; a collection segment takes an index
// ("Columns[2]"). Returns the object and the property the last segment
// names; {nullptr, nullptr} when the path leads nowhere. Never creates
// anything.
struct TPropTarget {
  TPersistent* Object = nullptr;
  const TPropInfo* Prop = nullptr;
};
TPropTarget ResolvePropertyPath(TComponent& root, std::string_view path);

// Convenience over ResolvePropertyPath: false when the path leads nowhere
// or to a property of another kind.
bool SetStrProp(TComponent& root, std::string_view path, const std::string& value);
bool GetStrProp(TComponent& root, std::string_view path, std::string& value);
bool SetStringsProp(TComponent& root, std::string_view path, const TStringList& value);
bool GetStringsProp(TComponent& root, std::string_view path, TStringList& value);
bool SetFontProp(TComponent& root, std::string_view path, const TFont& value);
bool GetFontProp(TComponent& root, std::string_view path, TFont& value);
bool SetOrdProp(TComponent& root, std::string_view path, int value);
bool GetOrdProp(TComponent& root, std::string_view path, int& value);

}  // namespace qs
