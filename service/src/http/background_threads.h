#pragma once

#include <boost/asio/thread_pool.hpp>

namespace orvane::service::http {

// How far below the server's other threads lowered threads run: ten nice steps give them about a
// tenth of a core's share when they compete, so they yield to answers without starving.
constexpr int kBackgroundNicenessSteps = 10;

// The nice value lowered threads get when the server is started at `startingNiceness`.
int backgroundNiceness(int startingNiceness);

// Makes the calling thread a background one: it takes a core only when no other thread wants it,
// and any other thread that wakes takes the core from it at once (Linux's SCHED_IDLE), so a flood
// of background work adds nothing to the time an answer waits for a core. It is also lowered to
// the background niceness, which is what remains where the policy is refused.
void makeCurrentThreadBackground();
// The same for each of the pool's `threads` threads; returns once every one is.
void makeEachThreadBackground(boost::asio::thread_pool& pool, unsigned threads);
bool currentThreadIsBackground();

// Lowers the calling thread to the background niceness only. For a thread that holds what
// foreground work may wait for (the database's write lock, say): it yields, yet is never starved
// while others wait on it.
void lowerCurrentThreadPriority();

// The calling thread's nice value.
int currentThreadNiceness();

}  // namespace orvane::service::http
