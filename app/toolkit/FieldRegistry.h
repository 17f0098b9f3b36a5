#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/Prompt.h"

namespace tidewell::app {

// Where a balloon about a field points: a widget, and optionally a part of it
// (an item of a navigation bar) in the widget's own coordinates.
struct FieldAnchor {
  QWidget* widget = nullptr;
  QRect area;  // the whole widget when empty
  // The point the balloon's arrow touches, in global coordinates: the centre
  // of the area.
  QPoint GlobalCentre() const;
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
  void Register(const FieldId& field, QWidget* widget,
                std::function<QRect()> area = {});
  void Unregister(const FieldId& field, QWidget* widget);
  // The anchor of a field, or an anchor without widget when none is known.
  FieldAnchor Find(const FieldId& field) const;

 private:
  struct Entry {
    FieldId field;
    QPointer<QWidget> widget;
    std::function<QRect()> area;
  };
  std::vector<Entry> entries_;
};

}  // namespace tidewell::app
