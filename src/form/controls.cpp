#include "form/controls.h"

#include <utility>

namespace kestrova {

Control::Control(ControlKind kind, std::string name, Control* container, float left, float top, float width,
                 float height)
    : kind_(kind), name_(std::move(name)), container_(container), left_(left), top_(top), width_(width),
      height_(height) {}

void Control::Changed(Prop prop) const {
  if (listener_) listener_(prop);
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed(Prop::Enabled);
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed(Prop::Visible);
}

const std::string& Control::Caption() const {
  static const std::string none;
  return none;
}

const std::string& Control::AccessibleName() const {
  if (!Caption().empty()) return Caption();
  if (labelled_by_ != nullptr) return labelled_by_->Caption();
  return tooltip_.empty() ? plain_name_ : tooltip_;
}

bool Control::Shown() const {
  for (const Control* c = this; c != nullptr; c = c->container_) {
    if (!c->visible_) return false;
  }
  return true;
}

bool Control::SetLeft(float left) {
  if (left_ != left) {
    left_ = left;
    Changed(Prop::Geometry);
  }
  return true;
}

bool Control::SetTop(float top) {
  if (top_ != top) {
    top_ = top;
    Changed(Prop::Geometry);
  }
  return true;
}

bool Control::SetWidth(float width) {
  if (!(width >= 0)) return false;
  if (width_ != width) {
    width_ = width;
    Changed(Prop::Geometry);
  }
  return true;
}

bool Control::SetHeight(float height) {
  if (!(height >= 0)) return false;
  if (height_ != height) {
    height_ = height;
    Changed(Prop::Geometry);
  }
  return true;
}

float Control::WindowLeft() const {
  float sum = 0;
  for (const Control* c = this; c != nullptr; c = c->container_) sum += c->left_;
  return sum;
}

float Control::WindowTop() const {
  float sum = 0;
  for (const Control* c = this; c != nullptr; c = c->container_) sum += c->top_;
  return sum;
}

GroupBox::GroupBox(std::string name, Control* container, float l, float t, float w, float h, std::string caption)
    : Control(ControlKind::GroupBox, std::move(name), container, l, t, w, h), caption_(std::move(caption)) {}

Label::Label(std::string name, Control* container, float l, float t, float w, float h, std::string caption)
    : Control(ControlKind::Label, std::move(name), container, l, t, w, h), caption_(std::move(caption)) {}

Button::Button(ControlKind kind, std::string name, Control* container, float l, float t, float w, float h,
               std::string caption)
    : Control(kind, std::move(name), container, l, t, w, h), caption_(std::move(caption)) {}

void Button::Click() const {
  if (on_click_) on_click_();
}

TextBox::TextBox(std::string name, Control* container, float l, float t, float w, float h, std::string text)
    : Control(ControlKind::TextBox, std::move(name), container, l, t, w, h), text_(std::move(text)) {}

void TextBox::SetText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  Changed(Prop::Text);
}

CheckBox::CheckBox(std::string name, Control* container, float l, float t, float w, float h, std::string caption,
                   int value)
    : Control(ControlKind::CheckBox, std::move(name), container, l, t, w, h), caption_(std::move(caption)),
      value_(value) {}

void CheckBox::SetValue(int value) {
  if (value_ == value) return;
  value_ = value;
  Changed(Prop::Value);
  if (on_click_) on_click_();
}

void CheckBox::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Changed(Prop::Caption);
}

ListBox::ListBox(std::string name, Control* container, float l, float t, float w, float h)
    : Control(ControlKind::ListBox, std::move(name), container, l, t, w, h) {}

void ListBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Changed(Prop::Items);
}

void ListBox::RemoveItem(std::int64_t index) {
  if (index < 0 || index >= ListCount()) return;
  items_.erase(items_.begin() + index);
  if (list_index_ == index) {
    list_index_ = -1;
  } else if (list_index_ > index) {
    --list_index_;
  }
  Changed(Prop::Items);
}

void ListBox::Clear() {
  items_.clear();
  list_index_ = -1;
  Changed(Prop::Items);
}

void ListBox::ReplaceAll(std::vector<std::string> items) {
  items_ = std::move(items);
  list_index_ = -1;
  Changed(Prop::Items);
}

void ListBox::SetListIndex(std::int64_t index) {
  if (index < -1 || index >= ListCount()) index = -1;
  // The row may be selected already and still scrolled out of sight by the user: selecting it
  // again brings it back into view.
  if (list_index_ == index && index < 0) return;
  list_index_ = index;
  Changed(Prop::Selection);
}

WebBrowserControl::WebBrowserControl(std::string name, Control* container, float l, float t, float w, float h)
    : Control(ControlKind::WebBrowser, std::move(name), container, l, t, w, h) {}

void WebBrowserControl::DocumentComplete() const {
  if (on_document_complete_) on_document_complete_();
}

MenuItem::MenuItem(std::string name, std::string caption, MenuItem* parent)
    : name_(std::move(name)), caption_(std::move(caption)), parent_(parent) {}

void MenuItem::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  if (listener_) listener_();
}

void MenuItem::Click() const {
  if (on_click_) on_click_();
}

}  // namespace kestrova
