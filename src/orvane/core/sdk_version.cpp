#include <orvane/core/sdk_version.h>

extern "C" {
const double OrvaneStoriesVersionNumber = 1.0;
const unsigned char OrvaneStoriesVersionString[] = "@(#)PROGRAM:OrvaneStories  PROJECT:OrvaneStories-1.0.0\n";
}
