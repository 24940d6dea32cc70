// Time for a form under test: its timers fire as the window system fires them,
// Interval ms after each (re)start and every Interval ms after, while the test
// moves the clock on. It also records when the form came and went.
#pragma once

#include <map>
#include <vector>

#include "forms/forms.h"

namespace dw::test {

class FormClock : public IFormObserver {
 public:
  struct Visibility {
    int at;  // ms
    bool visible;
    TFormSlide slide;
    bool operator==(const Visibility&) const = default;
  };

  // Observes form (its only observer) until destroyed.
  explicit FormClock(TForm& form);
  ~FormClock() override;
  FormClock(const FormClock&) = delete;
  FormClock& operator=(const FormClock&) = delete;

  int Now() const { return FNow; }
  // Moves the clock on by ms, running each timer that falls due on the way, in
  // time order.
  void Advance(int ms);

  void Changed(TComponent& component, TProperty property) override;
  void FormChanged(TForm& form, TProperty property) override;

  std::vector<Visibility> visibility;
  int repositions = 0;
  int broughtToFront = 0;

 private:
  void Restart(TComponent& timer);

  TForm& FForm;
  int FNow = 0;
  std::map<TComponent*, int> FDue;  // running timers, by when they fire next
};

}  // namespace dw::test
