#include "base/exceptions.h"

namespace qs {

void RaiseAssignError(const char* sourceClass, const char* targetClass) {
  throw EConvertError(std::string("Cannot assign a ") + (sourceClass ? sourceClass : "nil") +
                      " to a " + targetClass);
}

void RaiseListIndexError(long long index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace qs
