#pragma once

#include <QDialog>
#include <QListView>

#include "build/IconCatalogue.h"
#include "build/IconSelection.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tidewell {
class Prompt;
}

namespace tidewell::app {

class FieldRegistry;
class IconImageModel;

// A list of icon images in columns, each entry its picture on white (or on
// the highlight colour when selected), one selectable at a time.
class IconListView : public QListView {
  Q_OBJECT

 public:
  explicit IconListView(QWidget* parent);
  // The name of the selected entry, or an empty text.
  WString SelectedName() const;
};

// "Icon selection": lists the 32 x 32 and 16 x 16 icon images of a module
// and gives back the chosen pair. Enter in the source field lists the typed
// module instead of closing; OK needs one image of each size.
class IconSelectionDialog : public QDialog {
  Q_OBJECT

 public:
  IconSelectionDialog(const WString& initialSource, Prompt& prompt, FieldRegistry& fields,
                      QWidget* parent);

  // Valid after OK.
  const IconChoice& Choice() const { return choice_; }

  // Lists the icon images of `source`, shown in the source field.
  void Fill(const WString& source);
  // The icons the client has now, shown beside the buttons (null: none).
  void SetCurrentIcons(const QImage& large, const QImage& small);
  QLabel* CurrentLargeIcon() const { return currentLarge_; }

  QLineEdit* SourceField() const { return source_; }
  IconListView* LargeList() const { return large_; }
  IconListView* SmallList() const { return small_; }
  QPushButton* OkButton() const { return ok_; }

  void accept() override;

 private:
  void Browse();

  Prompt& prompt_;
  WString source_text_;
  IconCatalogue catalogue_;
  IconChoice choice_;
  QLineEdit* source_;
  IconImageModel* largeModel_;
  IconImageModel* smallModel_;
  IconListView* large_;
  IconListView* small_;
  QPushButton* ok_;
  QLabel* currentLarge_;
  QLabel* currentSmall_;
};

}  // namespace tidewell::app
