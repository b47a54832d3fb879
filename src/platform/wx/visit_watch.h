#pragma once
// Tells the visit log how each load of the embedded browser began and ended: the main
// document's HTTP status, or why it failed.

typedef struct _WebKitWebView WebKitWebView;

namespace kestrova {
struct Form2;
}

namespace kestrova::wx {

// Called once, when the view is made; the form outlives the view.
void WatchVisits(WebKitWebView* web, Form2& form);

}  // namespace kestrova::wx
