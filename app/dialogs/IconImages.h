#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <string>
#include <string_view>
#include <vector>

#include "text/WString.h"

namespace tidewell::app {

// The picture of an icon image resource (a bitmap with its masks, or a PNG
// image); a null image when the bytes cannot be shown.
QImage DecodeIconImage(std::string_view image);

// The entries of one icon list: each image's resource name and bytes. The
// picture of an entry is decoded when it is first drawn, so a module with
// thousands of images lists at once.
class IconImageModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  void Clear();
  void Append(const WString& name, std::string_view image);
  // Ends a filling: the views learn the new entries at once.
  void Publish();

  const WString& NameAt(int row) const { return entries_[static_cast<size_t>(row)].name; }

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  struct Entry {
    WString name;
    std::string bytes;
    mutable QImage picture;
    mutable bool decoded = false;
  };
  std::vector<Entry> entries_;
  std::vector<Entry> pending_;
};

}  // namespace tidewell::app
