#pragma once
// The one place that follows a web view's signals: it reports the neutral events of a page's life
// to the navigation guard and the visit log, and carries out the guard's answers. It decides
// nothing about time.

#include <functional>

typedef struct _WebKitWebView WebKitWebView;

namespace kestrova {
class NavigationGuard;
class VisitLog;
}  // namespace kestrova

namespace kestrova::wx {

// Called once, when the view is made; the guard and the log outlive the view. While `silent`
// holds, a page's script dialogs are answered as if cancelled, unseen.
void FollowPage(WebKitWebView* web, NavigationGuard& guard, VisitLog& log, std::function<bool()> silent);

// Puts the trivial question to the view's web process; its answer goes to the guard.
void AskWebProcess(WebKitWebView* web);

// Ends the view's web process at once, and closes the dialog held for it.
void EndWebProcess(WebKitWebView* web);

}  // namespace kestrova::wx
