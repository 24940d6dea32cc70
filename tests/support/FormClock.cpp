#include "support/FormClock.h"

namespace dw::test {

FormClock::FormClock(TForm& form) : FForm(form) {
  FForm.SetObserver(this);
  for (const auto& component : FForm.Components())
    if (component->Kind() == TComponentKind::Timer) Restart(*component);
}

FormClock::~FormClock() {
  if (FForm.Observer() == this) FForm.SetObserver(nullptr);
}

void FormClock::Restart(TComponent& timer) {
  if (timer.Enabled() && timer.Interval() > 0) {
    FDue[&timer] = FNow + timer.Interval();
  } else {
    FDue.erase(&timer);
  }
}

void FormClock::Advance(int ms) {
  const int until = FNow + ms;
  for (;;) {
    auto next = FDue.end();
    for (auto it = FDue.begin(); it != FDue.end(); ++it)
      if (it->second <= until && (next == FDue.end() || it->second < next->second)) next = it;
    if (next == FDue.end()) break;
    TComponent& timer = *next->first;
    FNow = next->second;
    next->second += timer.Interval();
    if (timer.OnTimer) timer.OnTimer(timer);
  }
  FNow = until;
}

void FormClock::Changed(TComponent& component, TProperty property) {
  if (component.Kind() != TComponentKind::Timer) return;
  if (property == TProperty::Enabled || property == TProperty::Interval) Restart(component);
}

void FormClock::FormChanged(TForm& form, TProperty property) {
  switch (property) {
    case TProperty::Visible: visibility.push_back({FNow, form.Visible(), form.Slide()}); break;
    case TProperty::Place: ++repositions; break;
    case TProperty::BringToFront: ++broughtToFront; break;
    default: break;
  }
}

}  // namespace dw::test
