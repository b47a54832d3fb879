#pragma once
// State that lives exactly as long as a GLib object (a web view, an entry): made here, and freed by
// GLib when the object goes.

#include <memory>
#include <utility>

#include <glib-object.h>

namespace kestrova::wx {

// Makes a T of `args`, keeps it on `object` under `key` and returns it; the object owns it.
template <class T, class... Args>
T* KeepOnObject(gpointer object, const char* key, Args&&... args) {
  // Braces, so that a plain struct is made from its members on every compiler.
  std::unique_ptr<T> state(new T{std::forward<Args>(args)...});
  g_object_set_data_full(G_OBJECT(object), key, state.get(),
                         [](gpointer data) { const std::unique_ptr<T> owned(static_cast<T*>(data)); });
  return state.release();
}

}  // namespace kestrova::wx
