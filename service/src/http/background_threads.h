#pragma once

#include <boost/asio/thread_pool.hpp>

namespace orvane::service::http {

// How far below the server's other threads background threads run: ten nice steps give them about
// a tenth of a core's share when they compete, so they yield to answers without starving.
constexpr int kBackgroundNicenessSteps = 10;

// The nice value background threads get when the server is started at `startingNiceness`.
int backgroundNiceness(int startingNiceness);

// Lowers the CPU priority of each of the pool's `threads` threads to the background niceness
// below the calling thread's; returns once every one has it. Elsewhere than on Linux, and where
// the system refuses, the threads keep the priority they had.
void lowerPriorityOfEachThread(boost::asio::thread_pool& pool, unsigned threads);

// The calling thread's nice value.
int currentThreadNiceness();

}  // namespace orvane::service::http
