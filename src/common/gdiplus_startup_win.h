// GDI+ for the whole process, started on first use.
#pragma once

// Starts GDI+ once (safe from any thread, any number of times); false when it
// cannot start. It stays running until the process ends: pictures may be drawn
// until the very end.
bool ensure_gdiplus();
