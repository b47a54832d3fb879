#pragma once
// Tells the visit log how each load of the embedded browser began and ended: the main
// document's HTTP status, or why it failed.

typedef struct _WebKitWebView WebKitWebView;

namespace kestrova {
class VisitLog;
}

namespace kestrova::wx {

// Called once, when the view is made; the log outlives the view.
void WatchVisits(WebKitWebView* web, VisitLog& log);

}  // namespace kestrova::wx
