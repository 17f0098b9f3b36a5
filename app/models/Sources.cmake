target_sources(tidewell-app PRIVATE
  models/ColumnFit.cpp
  models/ColumnFit.h
  models/IconCache.cpp
  models/IconCache.h
  models/ItemTreeModel.cpp
  models/ItemTreeModel.h
  models/ItemTreeView.cpp
  models/ItemTreeView.h
  models/TreeEdits.cpp
  models/TreeEdits.h
)
