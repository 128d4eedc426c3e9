#pragma once
// Events are method pointers whose first argument is the sender.
#include <functional>

namespace qs {

// The root of every class that can be the sender of an event.
class TObject {
 public:
  virtual ~TObject() = default;
  // The class name used in messages ("Cannot assign a TQSNote to a TQSPause").
  virtual const char* ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

template <class... Args>
using TEvent = std::function<void(TObject* sender, Args...)>;

// Fires an event when it is assigned.
template <class F, class... Args>
inline void Fire(const F& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

}  // namespace qs
