#pragma once
// The controls of the form model: plain objects with the properties the handlers use.
// The toolkit layer mirrors them onto real widgets through the change notifications.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kestrova {

// Which property of a control changed; the toolkit layer updates only that much.
enum class Prop { Text, Value, Caption, Enabled, Visible, Geometry, Items, Selection };

enum class ControlKind { GroupBox, PictureButton, CommandButton, TextBox, Label, CheckBox, ListBox, WebBrowser };

class Control {
 public:
  using Listener = std::function<void(Prop)>;

  Control(ControlKind kind, std::string name, Control* container, float left, float top, float width, float height);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  Control* Container() const { return container_; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Visible and every container up to the window visible.
  bool Shown() const;

  // Position and size in twips, relative to the container's interior.
  float Left() const { return left_; }
  float Top() const { return top_; }
  float Width() const { return width_; }
  float Height() const { return height_; }
  // Each setter returns false and changes nothing when the window system would reject the value:
  // a width or height below zero.
  bool SetLeft(float left);
  bool SetTop(float top);
  bool SetWidth(float width);
  bool SetHeight(float height);
  // Left and top summed over the containers: the position inside the window's client area.
  float WindowLeft() const;
  float WindowTop() const;

  const std::string& ToolTip() const { return tooltip_; }
  void SetToolTip(std::string tooltip) { tooltip_ = std::move(tooltip); }

  // The text the control shows as its own name; empty for the kinds that have none.
  virtual const std::string& Caption() const;
  // What a screen reader calls the control: its caption, else the caption of the control that
  // labels it, else its tooltip, else its plain name. Nothing of this shows on screen.
  const std::string& AccessibleName() const;
  const Control* LabelledBy() const { return labelled_by_; }
  void SetLabelledBy(const Control* label) { labelled_by_ = label; }
  void SetPlainName(std::string name) { plain_name_ = std::move(name); }

  // One listener, the toolkit binding; unit tests leave it empty.
  void SetListener(Listener listener) { listener_ = std::move(listener); }

 protected:
  void Changed(Prop prop) const;

 private:
  ControlKind kind_;
  std::string name_;
  Control* container_;
  bool enabled_ = true;
  bool visible_ = true;
  float left_, top_, width_, height_;
  std::string tooltip_;
  const Control* labelled_by_ = nullptr;
  std::string plain_name_;
  Listener listener_;
};

class GroupBox : public Control {
 public:
  GroupBox(std::string name, Control* container, float l, float t, float w, float h, std::string caption = {});
  const std::string& Caption() const override { return caption_; }

 private:
  std::string caption_;
};

class Label : public Control {
 public:
  Label(std::string name, Control* container, float l, float t, float w, float h, std::string caption);
  const std::string& Caption() const override { return caption_; }

 private:
  std::string caption_;
};

// A command button with a caption, or a picture button (empty caption, icon and tooltip).
class Button : public Control {
 public:
  Button(ControlKind kind, std::string name, Control* container, float l, float t, float w, float h,
         std::string caption = {});
  const std::string& Caption() const override { return caption_; }
  // The user pressed the button.
  void Click() const;
  void SetOnClick(std::function<void()> on_click) { on_click_ = std::move(on_click); }

 private:
  std::string caption_;
  std::function<void()> on_click_;
};

class TextBox : public Control {
 public:
  TextBox(std::string name, Control* container, float l, float t, float w, float h, std::string text = {});
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  // The user typed: the widget already shows the text, so no notification goes back to it.
  void TypedText(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

// A check box whose value changes raise its click handling, as a user's click would.
class CheckBox : public Control {
 public:
  static constexpr int kUnticked = 0;
  static constexpr int kTicked = 1;

  CheckBox(std::string name, Control* container, float l, float t, float w, float h, std::string caption, int value);
  int Value() const { return value_; }
  // A new value raises the click handling; setting the value it already has does nothing.
  void SetValue(int value);
  // Ticked only when the value is exactly 1.
  bool Ticked() const { return value_ == kTicked; }
  const std::string& Caption() const override { return caption_; }
  void SetCaption(std::string caption);
  void SetOnClick(std::function<void()> on_click) { on_click_ = std::move(on_click); }

 private:
  std::string caption_;
  int value_;
  std::function<void()> on_click_;
};

// The playlist list box. Items are stored as the bytes they came with; the toolkit decodes them
// for display. Counts and indices are wide: a list is not capped at 32,767 entries.
class ListBox : public Control {
 public:
  ListBox(std::string name, Control* container, float l, float t, float w, float h);
  std::int64_t ListCount() const { return static_cast<std::int64_t>(items_.size()); }
  const std::string& List(std::int64_t index) const { return items_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(std::string item);
  // Removes the item at the index; an index out of range changes nothing.
  void RemoveItem(std::int64_t index);
  void Clear();
  // Replaces every item at once (a loaded file), leaving no selection.
  void ReplaceAll(std::vector<std::string> items);
  // -1 when nothing is selected. Selecting scrolls the item into view, even when it was selected.
  std::int64_t ListIndex() const { return list_index_; }
  void SetListIndex(std::int64_t index);
  // The user clicked an item: the widget already shows the selection.
  void SelectedByUser(std::int64_t index) { list_index_ = index; }

 private:
  std::vector<std::string> items_;
  std::int64_t list_index_ = -1;
};

class WebBrowserControl : public Control {
 public:
  WebBrowserControl(std::string name, Control* container, float l, float t, float w, float h);
  // The browser finished loading a document.
  void DocumentComplete() const;
  void SetOnDocumentComplete(std::function<void()> handler) { on_document_complete_ = std::move(handler); }

 private:
  std::function<void()> on_document_complete_;
};

class MenuItem {
 public:
  using Listener = std::function<void()>;
  MenuItem(std::string name, std::string caption, MenuItem* parent);
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool IsSeparator() const { return caption_ == "-"; }
  MenuItem* Parent() const { return parent_; }
  void SetListener(Listener listener) { listener_ = std::move(listener); }

  // The user chose the command.
  void Click() const;
  void SetOnClick(std::function<void()> on_click) { on_click_ = std::move(on_click); }

 private:
  std::string name_;
  std::string caption_;
  MenuItem* parent_;
  Listener listener_;
  std::function<void()> on_click_;
};

}  // namespace kestrova
