// A page of the main window's page control. Like a property sheet's page, it
// creates its controls the first time it is shown and keeps the values it
// was given until then; the frame shows it a setting's plain values and
// collects them back. Its controls are its own: nothing outside the page
// reads or writes them. An edit by the user is reported through OnEdit;
// values shown by the frame are no edit.
#pragma once

#include <functional>
#include <utility>

#include "ui/win/Layout.h"
#include "ui/win/WindowImpl.h"

namespace kip {

class Page {
 public:
  virtual ~Page() = default;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // Creates the controls on `panel` and shows the kept values in them; once.
  void Build(win::Panel& panel, const win::DialogUnits& du) {
    if (built_) return;
    built_ = true;
    CreateControls(panel, du);
    Filling([this] { FillControls(); });
  }
  bool Built() const { return built_; }

  // Called after every edit the user makes on the page.
  std::function<void()> OnEdit;

 protected:
  Page() = default;
  virtual void CreateControls(win::Panel& panel, const win::DialogUnits& du) = 0;
  // Shows the kept values in the (built) controls.
  virtual void FillControls() = 0;

  // Runs `fill` with edit reports held back: the controls' change reactions
  // run, but showing values is no edit.
  void Filling(const std::function<void()>& fill) {
    bool outer = filling_;
    filling_ = true;
    struct Restore {
      bool& flag;
      bool value;
      ~Restore() { flag = value; }
    } restore{filling_, outer};
    fill();
  }
  void Edited() const {
    if (!filling_ && OnEdit) OnEdit();
  }

 private:
  bool built_ = false;
  bool filling_ = false;
};

// A page that trades one kind of plain values.
template <class Values>
class ValuesPage : public Page {
 public:
  // Shows the values: in the controls when they exist, kept until then.
  void Show(Values values) {
    values_ = std::move(values);
    if (Built()) Filling([this] { FillControls(); });
  }
  // The values as the page holds them now.
  Values Collect() const { return Built() ? ReadControls() : values_; }

 protected:
  const Values& Kept() const { return values_; }
  virtual Values ReadControls() const = 0;

 private:
  Values values_{};
};

}  // namespace kip
