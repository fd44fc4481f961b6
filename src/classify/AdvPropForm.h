#pragma once
// The Advanced Disk Info window: a volume's file-system figures and a pie chart of its used
// and free space. TPieChart draws the chart itself: slices in 3D at 9 percent depth, a label
// beside each slice, a plain legend and a footer.

#include <array>
#include <vector>

#include <QDialog>
#include <QWidget>

#include "classify/Properties.h"

class QGridLayout;
class QLabel;
class QPushButton;

namespace tf {

class TPieChart final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TPieChart)

 public:
  explicit TPieChart(QWidget* parent = nullptr);
  void SetSlices(std::vector<TPieSlice> slices, const QString& footer);
  const std::vector<TPieSlice>& Slices() const { return slices_; }
  QString Footer() const { return footer_; }
  // The depth of the 3D edge, as a share of the pie's width.
  static constexpr double DepthPercent = 9;
  QSize sizeHint() const override { return {460, 230}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<TPieSlice> slices_;
  QString footer_;
};

class TAdvDiskForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TAdvDiskForm)

 public:
  explicit TAdvDiskForm(QWidget* parent = nullptr);
  // The figures of a disk page, with the icon and name of that page.
  void Fill(const TDiskPageInfo& disk, const QPixmap& icon);

  QLabel* IconLabel = nullptr;
  QLabel* NameLabel = nullptr;
  std::array<QLabel*, 8> Values{};
  TPieChart* Chart = nullptr;
  QPushButton* OKBtn = nullptr;
};

}  // namespace tf
