#pragma once

#include <ostream>
#include <vector>

#include <orvane/model/banner.h>
#include <orvane/model/story.h>

// A readable account of mapped content, for the demo's headless mode.
void printStories(std::ostream& out, const std::vector<orvane::StoryGroup>& groups);
void printBanners(std::ostream& out, const std::vector<orvane::Banner>& banners);
