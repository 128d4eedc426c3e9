#include "platform/components.h"

#include <algorithm>
#include <cctype>

namespace qs {

const TPropInfo* TPropTable::Find(std::string_view name) const {
  for (const TPropInfo& p : props_)
    if (SameText(p.Name, name)) return &p;
  return base_ ? base_->Find(name) : nullptr;
}

std::vector<const TPropInfo*> TPropTable::All() const {
  std::vector<const TPropInfo*> all = base_ ? base_->All() : std::vector<const TPropInfo*>{};
  for (const TPropInfo& p : props_) all.push_back(&p);
  return all;
}

const TPropTable& TPersistent::Published() const {
  static const TPropTable table(nullptr, {});
  return table;
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  for (int i = 0; i < collection_->Count(); ++i)
    if (collection_->Items(i) == this) return i;
  return -1;
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return items_[static_cast<size_t>(index)].get();
}

TCollectionItem* TCollection::Add() {
  items_.push_back(factory_());
  items_.back()->collection_ = this;
  Changed();
  return items_.back().get();
}

void TCollection::Delete(int index) {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  items_.erase(items_.begin() + index);
  Changed();
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  BeginDestroy();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeginDestroy() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  // Those that asked learn first, while everything is still in place.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& back = other->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    other->Notification(this, opRemove);
  }
  DestroyComponents();
}

const TPropTable& TComponent::Published() const {
  static const TPropTable table(
      &TPersistent::Published(),
      {StringProp<TComponent>(
           "Name", [](const TComponent& c) { return c.Name(); },
           [](TComponent& c, const std::string& v) { c.SetName(v); }),
       IntProp<TComponent>(
           "Tag", [](const TComponent& c) { return c.Tag; }, [](TComponent& c, int v) { c.Tag = v; })});
  return table;
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty()) {
    const bool identifier =
        (std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_') &&
        std::all_of(name.begin(), name.end(), [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; });
    if (!identifier) throw EComponentError("\"" + name + "\" is not a valid component name");
    if (owner_) {
      TComponent* other = owner_->FindComponent(name);
      if (other && other != this) throw EComponentError("A component named " + name + " already exists");
    }
  }
  name_ = name;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) RaiseListIndexError(index);
  return components_[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
  if (!c || c->owner_ == this) return;
  if (c->owner_) c->owner_->RemoveComponent(c);
  if (!c->name_.empty() && FindComponent(c->name_))
    throw EComponentError("A component named " + c->name_ + " already exists");
  components_.push_back(c);
  c->owner_ = this;
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it == components_.end()) return;
  components_.erase(it);
  c->owner_ = nullptr;
  Notification(c, opRemove);
}

void TComponent::DestroyComponents() {
  // Freeing one may free others (a panel frees its controls): take them
  // one at a time from the end of what is left.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    Notification(c, opRemove);
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
    freeNotifies_.push_back(other);
    other->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other), freeNotifies_.end());
  other->freeNotifies_.erase(std::remove(other->freeNotifies_.begin(), other->freeNotifies_.end(), this),
                             other->freeNotifies_.end());
}

void TComponent::Notification(TComponent*, TOperation) {}

const TPropInfo* GetPropInfo(const TPersistent& object, std::string_view name) {
  return object.Published().Find(name);
}

TPropTarget ResolvePropertyPath(TComponent& root, std::string_view path) {
  TPersistent* current = &root;
  while (current) {
    const size_t dot = path.find('.');
    std::string_view segment = path.substr(0, dot);
    std::string_view rest = dot == std::string_view::npos ? std::string_view{} : path.substr(dot + 1);
    const bool last = dot == std::string_view::npos;
    int index = -1;
    std::string_view name = segment;
    if (const size_t bracket = segment.find('['); bracket != std::string_view::npos) {
      name = segment.substr(0, bracket);
      std::string_view digits = segment.substr(bracket + 1);
      digits = digits.substr(0, digits.find(']'));
      if (!digits.empty() && std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        index = digits.size() > 9 ? -1 : std::stoi(std::string(digits));
    }
    if (const TPropInfo* prop = current->Published().Find(name)) {
      if (last) return {current, prop};
      if (!prop->GetObject) return {};
      TPersistent* object = prop->GetObject(*current);
      if (!object) return {};
      if (prop->Kind == TPropKind::Collection) {
        auto* collection = dynamic_cast<TCollection*>(object);
        if (!collection || index < 0 || index >= collection->Count()) return {};
        object = collection->Items(index);
      }
      current = object;
      path = rest;
      continue;
    }
    // Components owned by the root are reached by name from the root alone.
    if (current != &root || last) return {};
    current = root.FindComponent(name);
    path = rest;
  }
  return {};
}

namespace {
const TPropInfo* Target(TComponent& root, std::string_view path, TPropKind kind, TPersistent*& object) {
  TPropTarget t = ResolvePropertyPath(root, path);
  if (!t.Prop) return nullptr;
  const bool ordinal = kind == TPropKind::Integer && t.Prop->Kind == TPropKind::Boolean;
  if (t.Prop->Kind != kind && !ordinal) return nullptr;
  object = t.Object;
  return t.Prop;
}
}  // namespace

bool SetStrProp(TComponent& root, std::string_view path, const std::string& value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::String, o);
  if (!p || !p->SetString) return false;
  p->SetString(*o, value);
  return true;
}
bool GetStrProp(TComponent& root, std::string_view path, std::string& value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::String, o);
  if (!p || !p->GetString) return false;
  value = p->GetString(*o);
  return true;
}
bool SetStringsProp(TComponent& root, std::string_view path, const TStringList& value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::Strings, o);
  if (!p || !p->SetStrings) return false;
  p->SetStrings(*o, value);
  return true;
}
bool GetStringsProp(TComponent& root, std::string_view path, TStringList& value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::Strings, o);
  if (!p || !p->GetStrings) return false;
  value = p->GetStrings(*o);
  return true;
}
bool SetFontProp(TComponent& root, std::string_view path, const TFont& value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::Font, o);
  if (!p || !p->SetFont) return false;
  p->SetFont(*o, value);
  return true;
}
bool GetFontProp(TComponent& root, std::string_view path, TFont& value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::Font, o);
  if (!p || !p->GetFont) return false;
  value = p->GetFont(*o);
  return true;
}
bool SetOrdProp(TComponent& root, std::string_view path, int value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::Integer, o);
  if (!p || !p->SetInt) return false;
  p->SetInt(*o, value);
  return true;
}
bool GetOrdProp(TComponent& root, std::string_view path, int& value) {
  TPersistent* o = nullptr;
  const TPropInfo* p = Target(root, path, TPropKind::Integer, o);
  if (!p || !p->GetInt) return false;
  value = p->GetInt(*o);
  return true;
}

}  // namespace qs
