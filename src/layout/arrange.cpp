#include "layout/arrange.h"

#include <array>

namespace kestrova {
namespace {

constexpr float kMinArrangedWidth = 7000;
constexpr float kMinArrangedHeight = 2000;
constexpr float kHeightTakenWithoutTopPanel = 250;
constexpr float kPanelWidthMargin = 30;
constexpr float kPlaylistRightMargin = 60;
constexpr float kPlaylistButtonsFromRight = 1050;
constexpr float kListBesideButtons = 400;
constexpr float kBrowserWidthMargin = 150;
constexpr float kBrowserHeightMargin = 250;
// A loaded page leaves the browser narrower than a resize does, until the next resize.
constexpr float kBrowserWidthMarginAfterPage = 250;

}  // namespace

void Form_Resize(Form2& form) {
  if (form.window_state == WindowState::Minimized) return;
  // Notifications that arrive while the warning is open are dropped, not replayed: the window
  // sends a fresh one for every later change of size.
  if (form.size_warning_open) return;
  if (form.ScaleWidth >= kMinArrangedWidth && form.ScaleHeight >= kMinArrangedHeight) {
    ArrangeControls(form);
    return;
  }
  form.size_warning_open = true;
  form.services.message_boxes.Show(kTooSmallMessage, form.app_title);
  form.size_warning_open = false;
}

void ArrangeControls(Form2& form) {
  // Each step reads what the steps before it left, including a value a rejected step kept.
  form.Frame1.SetWidth(form.ScaleWidth - kPanelWidthMargin);
  form.FraPlaylist.SetWidth(form.Frame1.Width() - form.FraPlaylist.Left() - kPlaylistRightMargin);
  const std::array<Control*, 5> beside_list{&form.cmdRemoveItem, &form.cmdAddItem, &form.ckLoop, &form.ckExit,
                                            &form.ckCache};
  for (Control* control : beside_list) {
    control->SetLeft(form.FraPlaylist.Width() - kPlaylistButtonsFromRight);
  }
  form.lstPlayList.SetWidth(form.FraPlaylist.Width() - form.cmdAddItem.Width() - kListBesideButtons);
  form.txtItemToAdd.SetWidth(form.FraPlaylist.Width() - form.cmdAddItem.Width() - kListBesideButtons);
  FitBrowserPanel(form, form.Frame1.Visible() ? kHeightTakenByTopPanel : kHeightTakenWithoutTopPanel);
}

void WebBrowser1_DocumentComplete(Form2& form) {
  form.WebBrowser1.SetHeight(form.Frame2.Height() - kBrowserHeightMargin);
  form.WebBrowser1.SetWidth(form.Frame2.Width() - kBrowserWidthMarginAfterPage);
}

void FitBrowserPanel(Form2& form, float height_taken) {
  form.Frame2.SetWidth(form.ScaleWidth - kPanelWidthMargin);
  form.Frame2.SetHeight(form.ScaleHeight - height_taken);
  form.WebBrowser1.SetWidth(form.Frame2.Width() - kBrowserWidthMargin);
  form.WebBrowser1.SetHeight(form.Frame2.Height() - kBrowserHeightMargin);
}

}  // namespace kestrova
