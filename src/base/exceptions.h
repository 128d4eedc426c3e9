#pragma once
// The exception family of the program. Programming errors and damaged data
// raise these with fixed messages; the message text is what the user sees.
#include <new>
#include <stdexcept>
#include <string>

namespace qs {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class EConvertError : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
class EDivByZero : public Exception {
 public:
  EDivByZero() : Exception("Division by zero") {}
};
class EInvalidOperation : public Exception { using Exception::Exception; };

// Memory ran out. It is no damage of the data and no error of the family
// above: whoever catches a damaged file's errors lets it pass to the user.
class EOutOfMemory : public std::bad_alloc {
 public:
  const char* what() const noexcept override { return "Out of memory"; }
};

// "Cannot assign a <source class> to a <target class>".
[[noreturn]] void RaiseAssignError(const char* sourceClass, const char* targetClass);
// "List index out of bounds (<index>)".
[[noreturn]] void RaiseListIndexError(long long index);

}  // namespace qs
