#pragma once
// The pocket calculator behind the calculator panel and its drop-down:
// the shown number is kept as text, arithmetic is done in doubles. Keys
// arrive as characters through CalcKey; the panel's buttons and typed keys
// both end here, so this class holds all of its behaviour and none of its
// painting.
#include <functional>
#include <string>

namespace qs {

enum class TCalcState { First = 0, Valid = 1, Error = 2 };

class TECCalculatorEngine {
 public:
  static constexpr char kBackspace = 8;
  static constexpr char kEnter = 13;
  static constexpr char kEscape = 27;
  static constexpr char kCopy = 3;
  static constexpr char kPaste = 22;

  TECCalculatorEngine();
  virtual ~TECCalculatorEngine() = default;

  const std::string& Text() const { return text_; }
  TCalcState Status() const { return status_; }
  void SetStatus(TCalcState s) { status_ = s; }
  char Operator() const { return operator_; }
  void SetOperator(char op) { operator_ = op; }
  double Operand() const { return operand_; }
  double Memory() const { return memory_; }
  int Precision() const { return precision_; }
  void SetPrecision(int p) { precision_ = p; }
  bool BeepOnError() const { return beepOnError_; }
  void SetBeepOnError(bool b) { beepOnError_ = b; }

  void CalcKey(char key);
  void SetText(const std::string& text, bool notify);
  void SetDisplay(double x);
  double GetDisplay() const;
  void Error();
  void CheckFirst();
  void Clear();

  void MemoryPlus();
  void MemoryStore();
  void MemoryRecall();
  void MemoryClear();
  // Commits the shown number; refused with a beep while it reads "Error".
  bool Ok();

  std::function<void()> OnError;
  // 1 = accept (Enter, "%", "="), 2 = cancel.
  std::function<void(int)> OnResult;
  std::function<void()> OnTextChange;
  std::function<void(char&)> OnKeyFilter;
  std::function<void()> OnDisplayChange;
  std::function<void()> OnMemoryChange;

 protected:
  // The display control follows Text; the panel overrides this.
  virtual void TextChanged() {}

 private:
  int MaxDigits() const { return precision_ < 2 ? 2 : precision_; }
  void ErrorBeep() const;
  void Operation(char key);

  std::string text_ = "0";
  TCalcState status_ = TCalcState::First;
  char operator_ = '=';
  double operand_ = 0;
  double memory_ = 0;
  int precision_ = 15;
  bool beepOnError_ = true;
};

}  // namespace qs
