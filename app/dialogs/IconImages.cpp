#include "dialogs/IconImages.h"

#include "pe/IconFile.h"
#include "shell/QtText.h"

namespace tidewell::app {

namespace {

constexpr std::string_view kPngSignature = "\x89PNG";

QImage FromBytes(std::string_view bytes, const char* format) {
  return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                          static_cast<int>(bytes.size()), format);
}

}  // namespace

QImage DecodeIconImage(std::string_view image) {
  if (image.substr(0, kPngSignature.size()) == kPngSignature) return FromBytes(image, "PNG");
  const std::string file = pe::IconImageAsIcoFile(image);
  if (file.empty()) return {};
  return FromBytes(file, "ICO");
}

void IconImageModel::Clear() {
  beginResetModel();
  entries_.clear();
  pending_.clear();
  endResetModel();
}

void IconImageModel::Append(const WString& name, std::string_view image) {
  pending_.push_back(Entry{name, std::string(image), {}, false});
}

void IconImageModel::Publish() {
  beginResetModel();
  entries_ = std::move(pending_);
  pending_.clear();
  endResetModel();
}

int IconImageModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant IconImageModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Entry& entry = entries_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DecorationRole:
      if (!entry.decoded) {
        entry.picture = DecodeIconImage(entry.bytes);
        entry.decoded = true;
      }
      return entry.picture;
    case Qt::AccessibleTextRole:
    case Qt::UserRole:
      return ToQString(entry.name);
    default:
      return {};
  }
}

}  // namespace tidewell::app
