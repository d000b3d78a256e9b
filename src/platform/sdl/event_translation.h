#pragma once
// SDL's events turned into the window messages the Windows host would deliver, and handed to
// the saver window's procedure.
#include <SDL2/SDL.h>

namespace vorlix::sdl {

void TranslateEvent(const SDL_Event& event);

// SIGTERM, SIGINT and SIGHUP end the saver as if its window had gone away.
void CatchTerminationSignals();
bool TerminationRequested();

}  // namespace vorlix::sdl
