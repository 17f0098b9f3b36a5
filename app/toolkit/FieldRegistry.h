#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/Prompt.h"

namespace tidewell::app {

// How a balloon about a field lies: below (or above) the centre of the field,
// or beside the field, to the right of the middle of its right edge, so it
// hides none of the controls around it (the items of a navigation bar).
enum class BalloonPlacement { Centre, Beside };

// Where a balloon about a field points: a widget, and optionally a part of it
// (an item of a navigation bar) in the widget's own coordinates.
struct FieldAnchor {
  QWidget* widget = nullptr;
  QRect area;  // the whole widget when empty
  BalloonPlacement placement = BalloonPlacement::Centre;
  // The centre of the area, in global coordinates.
  QPoint GlobalCentre() const;
  // The point the balloon's arrow touches, in global coordinates: the centre
  // of the area, or the middle of its right edge when beside.
  QPoint GlobalTip() const;
};

// The widgets that the core's field identifiers name. Pages register their
// fields when they are built, dialogs when they open; a widget that is
// destroyed drops out by itself. When several widgets carry the same
// identifier (a dialog opened twice), the one registered last that still
// exists wins.
class FieldRegistry {
 public:
  // `area`, when given, is asked each time a balloon needs the anchor, so it
  // follows the widget's layout (an item of a navigation bar).
  void Register(const FieldId& field, QWidget* widget, std::function<QRect()> area = {},
                BalloonPlacement placement = BalloonPlacement::Centre);
  void Unregister(const FieldId& field, QWidget* widget);
  // The anchor of a field, or an anchor without widget when none is known.
  FieldAnchor Find(const FieldId& field) const;

 private:
  struct Entry {
    FieldId field;
    QPointer<QWidget> widget;
    std::function<QRect()> area;
    BalloonPlacement placement;
  };
  std::vector<Entry> entries_;
};

}  // namespace tidewell::app
