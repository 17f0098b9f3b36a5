#pragma once

#include <QCheckBox>
#include <QWidget>
#include <array>
#include <cstdint>

namespace tidewell::app {

// The "General" page of both properties sheets: the five target systems,
// newest first, each checked when its bit is set in the mask.
class OsTargetsPage final : public QWidget {
  Q_OBJECT

 public:
  explicit OsTargetsPage(int32_t mask, QWidget* parent = nullptr);

  // The mask rebuilt from the boxes; bits outside the five are dropped.
  int32_t Mask() const;
  QCheckBox* Box(size_t position) const { return boxes_[position]; }

 private:
  std::array<QCheckBox*, 5> boxes_{};
};

}  // namespace tidewell::app
