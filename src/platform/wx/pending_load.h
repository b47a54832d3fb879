#pragma once
// Keeps a navigation from being replaced before WebKit has sent it. WebKit hands a navigation to
// the web process only once that process is up; a process starting afresh (the first page of the
// program, or the page after a stuck process was ended) can take longer than an interval to come
// up on a loaded machine, and a navigation that replaces the pending one meanwhile drops it: the
// page is never requested.

#include <chrono>
#include <string>

typedef struct _WebKitWebView WebKitWebView;

namespace kestrova::wx {

// Follows the view's load starts. Called once, when the view is made, with the load it was made
// with still to start.
void FollowLoadStarts(WebKitWebView* web);

// The view has just been asked to load `uri`.
void NoteLoadRequested(WebKitWebView* web, const std::string& uri);

// Waits, dispatching no input, until the load last requested has been sent (its server answered,
// or a moment passed since it started), has failed or has lost its web process; at most `timeout`
// for the start. Called just before the next load is requested.
void AwaitRequestedLoad(WebKitWebView* web, std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace kestrova::wx
