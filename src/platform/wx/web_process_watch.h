#pragma once
// Keeps a web process that no longer answers from holding every later page. A page's endless
// script, a loop of script dialogs or a page too big to lay out in time keeps the process's main
// thread busy; it would then take neither the cache purge nor the next navigation.

typedef struct _WebKitWebView WebKitWebView;

namespace kestrova::wx {

// Follows the view's loads, so that a process still starting, which cannot answer yet, is left
// alone. Called once, when the view is made.
void WatchWebProcess(WebKitWebView* web);

// Ends the view's web process when it has not answered a trivial question within a second, so that
// the next load starts in a fresh one. The question goes out as soon as a page commits, so a process
// stuck since then has had the whole interval to answer and is ended at once, as is one whose answer
// came late; one that answered in time then is asked again now. A process that has shown no page yet
// is not asked. Called only just before a navigation: the page that a busy process would be ended
// with is about to be replaced.
void EndWebProcessIfStuck(WebKitWebView* web);

}  // namespace kestrova::wx
