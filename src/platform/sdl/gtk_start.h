#pragma once
// GTK 3 for the settings dialog and message boxes, started on first use.
namespace vorlix::sdl {

// True once GTK runs on the display (false without one). Starting it puts back the process's
// own X handlers, which GTK replaces with its own.
bool GtkReady();

}  // namespace vorlix::sdl
