#pragma once

#include <glib-object.h>

#include <memory>

// Owns one reference to a GObject (a GMime message, part, stream, parser...) and drops
// it in the destructor. Only the mail store's own files include this header.
struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Owns a string or buffer that GLib allocated, freed with g_free.
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};

template <typename T>
using GMemoryPtr = std::unique_ptr<T, GFree>;

// Initialises GMime once for the whole process (idempotent, never shut down: other
// sessions may still hold GMime objects at exit).
void EnsureGMime();
