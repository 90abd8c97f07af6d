#include <orvane/core/sdk_version.h>

extern "C" {
const double OrvaneStoriesVersionNumber = ORVANE_VERSION_MAJOR + ORVANE_VERSION_MINOR / 100.0;
const unsigned char OrvaneStoriesVersionString[] =
    "@(#)PROGRAM:OrvaneStories  PROJECT:OrvaneStories-" ORVANE_VERSION_STRING "\n";
}
