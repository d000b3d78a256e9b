#include "platform/sdl/message_queue.h"

#include <mutex>

namespace vorlix::sdl {

namespace {

// Posting may come from the draw thread; the lock is never held while a procedure runs.
struct Ring {
    std::mutex lock;
    QueuedMessage items[MessageQueueCapacity];
    int first = 0;
    int count = 0;
};

Ring& Queue() {
    static Ring ring;
    return ring;
}

}  // namespace

bool PostToQueue(const QueuedMessage& message) {
    Ring& ring = Queue();
    std::lock_guard<std::mutex> guard(ring.lock);
    if (ring.count == MessageQueueCapacity) return false;
    ring.items[(ring.first + ring.count) % MessageQueueCapacity] = message;
    ++ring.count;
    return true;
}

bool TakeFromQueue(QueuedMessage& message) {
    Ring& ring = Queue();
    std::lock_guard<std::mutex> guard(ring.lock);
    if (ring.count == 0) return false;
    message = ring.items[ring.first];
    ring.first = (ring.first + 1) % MessageQueueCapacity;
    --ring.count;
    return true;
}

bool RemoveFromQueue(WindowHandle window, MessageId message) {
    Ring& ring = Queue();
    std::lock_guard<std::mutex> guard(ring.lock);
    for (int i = 0; i < ring.count; ++i) {
        int at = (ring.first + i) % MessageQueueCapacity;
        if (ring.items[at].window != window || ring.items[at].message != message) continue;
        for (int j = i; j + 1 < ring.count; ++j) {
            ring.items[(ring.first + j) % MessageQueueCapacity] =
                ring.items[(ring.first + j + 1) % MessageQueueCapacity];
        }
        --ring.count;
        return true;
    }
    return false;
}

bool QueueIsEmpty() {
    Ring& ring = Queue();
    std::lock_guard<std::mutex> guard(ring.lock);
    return ring.count == 0;
}

}  // namespace vorlix::sdl
