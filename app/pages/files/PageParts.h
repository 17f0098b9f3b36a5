#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <initializer_list>

class QWidget;

namespace tidewell::app {

// The left column of a tree page: the group "Operations" (its hover help
// under `helpKey`) holding the page's buttons, and under it a panel of
// read-only texts, one per label, filled into `fields` in order.
QWidget* MakeSideColumn(const char* helpKey, std::initializer_list<QPushButton*> buttons,
                        const QString& panelTitle, std::initializer_list<QString> labels,
                        QLabel** fields, QWidget* parent);

}  // namespace tidewell::app
