#pragma once
// The posted-message queue of the window thread: a fixed ring, since a screen saver posts a
// handful of messages at most. The quit message travels in it as WM_QUIT.
#include "platform/types.h"

namespace vorlix::sdl {

struct QueuedMessage {
    WindowHandle window = 0;
    MessageId message = 0;
    WParam w = 0;
    LParam l = 0;
};

constexpr int MessageQueueCapacity = 256;

bool PostToQueue(const QueuedMessage& message);  // false when the queue is full
bool TakeFromQueue(QueuedMessage& message);
bool RemoveFromQueue(WindowHandle window, MessageId message);
bool QueueIsEmpty();

}  // namespace vorlix::sdl
