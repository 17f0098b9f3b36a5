#include "toolkit/FieldRegistry.h"

#include <algorithm>

namespace tidewell::app {

QPoint FieldAnchor::GlobalCentre() const {
  if (!widget) return {};
  const QRect local = area.isEmpty() ? widget->rect() : area;
  return widget->mapToGlobal(local.center());
}

QPoint FieldAnchor::GlobalTip() const {
  if (!widget || placement == BalloonPlacement::Centre) return GlobalCentre();
  const QRect local = area.isEmpty() ? widget->rect() : area;
  return widget->mapToGlobal(QPoint(local.right(), local.center().y()));
}

void FieldRegistry::Register(const FieldId& field, QWidget* widget, std::function<QRect()> area,
                             BalloonPlacement placement) {
  std::erase_if(entries_, [](const Entry& e) { return e.widget.isNull(); });
  entries_.push_back({field, widget, std::move(area), placement});
}

void FieldRegistry::Unregister(const FieldId& field, QWidget* widget) {
  std::erase_if(entries_, [&](const Entry& e) {
    return e.widget.isNull() || (e.field == field && e.widget == widget);
  });
}

FieldAnchor FieldRegistry::Find(const FieldId& field) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->field != field || it->widget.isNull()) continue;
    return {it->widget.data(), it->area ? it->area() : QRect(), it->placement};
  }
  return {};
}

}  // namespace tidewell::app
