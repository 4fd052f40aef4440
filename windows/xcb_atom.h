#pragma once

#include <xcb/xcb.h>

namespace kelvara {

// The X server's atom of `name`, or XCB_ATOM_NONE when it gives none.
xcb_atom_t XcbAtom(xcb_connection_t* connection, const char* name);

}  // namespace kelvara
