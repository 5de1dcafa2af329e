#pragma once

#include <QLabel>

namespace trx {

// A heading cell: centred white text on blue (red 0, green 0, blue 255), as every page draws
// its column and row headings.
class HeadingLabel final : public QLabel {
    Q_OBJECT
  public:
    explicit HeadingLabel(const QString& text, QWidget* parent = nullptr);
};

}  // namespace trx
