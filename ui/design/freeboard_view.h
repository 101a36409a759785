#pragma once

#include <QWidget>

#include <optional>

#include "kelnor/design/drawing.h"

// The freeboard sketch painted with the calculation book's pens: fitted to the widget with the
// widget's own font measuring the texts, and fitted again whenever the widget is resized.
class FreeboardView final : public QWidget {
  public:
    explicit FreeboardView(QWidget* parent = nullptr);

    void setDrawing(const kelnor::design::Drawing& drawing);
    const kelnor::design::Drawing& drawing() const { return drawing_; }

    QSize sizeHint() const override { return {360, 240}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void refit();

    kelnor::design::Drawing drawing_;
    std::optional<kelnor::design::Scale> scale_;
};
