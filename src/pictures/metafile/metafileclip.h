#pragma once

#include <QPainterPath>
#include <QRectF>

// Cuts a shape down to `limit` (the device with a margin wider than any pen) before it is
// painted: the rasteriser's work grows with a shape's whole extent, and a hostile file can
// draw thousands of shapes thousands of devices wide. Closed shapes keep their fill inside
// the limit under either fill rule; open lines are cut segment by segment.
QPainterPath clipToRect(const QPainterPath& path, const QRectF& limit, bool closed);
