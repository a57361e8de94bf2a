#include "messaging/gobject_ptr.h"

#include <gmime/gmime.h>

void EnsureGMime() {
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
}
