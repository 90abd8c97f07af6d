#pragma once

#include <cassert>

#include <orvane/platform/platform.h>

// Observable SDK state is owned by the main thread; debug builds catch callers on other threads.
#define ORVANE_ASSERT_MAIN_THREAD()                                                      \
  assert(!::orvane::Platform::current().mainQueue ||                                     \
         ::orvane::Platform::current().mainQueue->isMainThread())
