#pragma once

#include <QImage>
#include <QRectF>

// How far the picture a window shows in `videoArea` (scene coordinates) is from the sample
// video's own frames: the mean difference per colour channel, 0 to 255, against the closest
// frame, over the points of the area that `visibleArea` leaves uncovered by the page's texts.
double sampleVideoMismatch(const QImage& window, const QRectF& videoArea, const QRectF& visibleArea);
