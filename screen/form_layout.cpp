#include "screen/form_layout.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>

#include "screen/twips.h"

namespace kalo {

namespace {

// The font the forms were drawn for: an average letter six pixels wide and
// lines thirteen pixels apart at fifteen twips a pixel.
constexpr double kDrawnLetter = 6;
constexpr double kDrawnLine = 13;
// Where the forms expect a frame's contents to begin: below a border drawn
// through the middle of the title.
constexpr int kDrawnFrameContentsTop = 135;

bool RowsMeet(const QRect& a, const QRect& b) {
  return a.top() <= b.bottom() && b.top() <= a.bottom();
}
bool ColumnsMeet(const QRect& a, const QRect& b) {
  return a.left() <= b.right() && b.left() <= a.right();
}

// Indices of `items` ordered by `key`, in runs of equal keys.
template <typename Key>
std::vector<std::vector<size_t>> RunsBy(size_t n, Key key) {
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
  std::vector<std::vector<size_t>> runs;
  for (size_t i : order) {
    if (runs.empty() || key(runs.back().front()) != key(i)) runs.emplace_back();
    runs.back().push_back(i);
  }
  return runs;
}

}  // namespace

FormUnits::FormUnits(const QFont& font) {
  static const QString kAlphabet =
      QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const QFontMetricsF fm(font);
  across_ = std::max(1.0, fm.horizontalAdvance(kAlphabet) / kAlphabet.size() / kDrawnLetter);
  down_ = std::max(1.0, fm.height() / kDrawnLine);
}

int FormUnits::X(int twips) const {
  return static_cast<int>(std::lround(twips * across_ / kTwipsPerPixel));
}

int FormUnits::Y(int twips) const {
  return static_cast<int>(std::lround(twips * down_ / kTwipsPerPixel));
}

QRect FormUnits::Rect(int left, int top, int width, int height) const {
  // Edges are converted, not sizes, so controls drawn edge to edge stay so.
  return QRect(QPoint(X(left), Y(top)), QPoint(X(left + width) - 1, Y(top + height) - 1));
}

QSize Reflow(std::vector<Placement> items) {
  const size_t n = items.size();
  if (n == 0) return {};

  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      QRect& a = items[i].design;
      const QRect& b = items[j].design;
      if (i == j || !a.intersects(b)) continue;
      if (a.top() < b.top())
        a.setBottom(b.top() - 1);
      else if (a.top() == b.top() && a.left() < b.left())
        a.setRight(b.left() - 1);
    }
  }

  std::vector<QSize> size(n);
  for (size_t i = 0; i < n; ++i) size[i] = items[i].design.size().expandedTo(items[i].need);
  std::vector<QSize> alike = size;
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      const QRect& a = items[i].design;
      const QRect& b = items[j].design;
      const bool lined = a.left() == b.left() || a.top() == b.top();
      if (lined && a.width() == b.width())
        alike[i].setWidth(std::max(alike[i].width(), size[j].width()));
      if (lined && a.height() == b.height())
        alike[i].setHeight(std::max(alike[i].height(), size[j].height()));
    }
  }
  size = alike;

  // Across first: whatever grew pushes what stands beside it.
  std::vector<int> dx(n, 0), dy(n, 0);
  for (const auto& run : RunsBy(n, [&](size_t i) { return items[i].design.left(); })) {
    int shift = 0;
    for (size_t b : run) {
      for (size_t a = 0; a < n; ++a) {
        const QRect& da = items[a].design;
        const QRect& db = items[b].design;
        if (da.right() < db.left() && RowsMeet(da, db))
          shift = std::max(shift, dx[a] + size[a].width() - da.width());
      }
    }
    for (size_t b : run) dx[b] = shift;
  }
  auto across = [&](size_t i) {
    return QRect(items[i].design.left() + dx[i], items[i].design.top(), size[i].width(),
                 size[i].height());
  };
  // Then down, among the controls as they now stand across.
  for (const auto& run : RunsBy(n, [&](size_t i) { return items[i].design.top(); })) {
    int shift = 0;
    for (size_t b : run) {
      for (size_t a = 0; a < n; ++a) {
        const QRect& da = items[a].design;
        if (da.bottom() < items[b].design.top() && ColumnsMeet(across(a), across(b)))
          shift = std::max(shift, dy[a] + size[a].height() - da.height());
      }
    }
    for (size_t b : run) dy[b] = shift;
  }

  int drawnRight = INT_MIN, drawnBottom = INT_MIN, right = INT_MIN, bottom = INT_MIN;
  for (size_t i = 0; i < n; ++i) {
    const QRect placed = across(i).translated(0, dy[i]);
    items[i].widget->setGeometry(placed);
    drawnRight = std::max(drawnRight, items[i].design.right());
    drawnBottom = std::max(drawnBottom, items[i].design.bottom());
    right = std::max(right, placed.right());
    bottom = std::max(bottom, placed.bottom());
  }
  return QSize(std::max(0, right - drawnRight), std::max(0, bottom - drawnBottom));
}

Placement FrameWithContents(QGroupBox* frame, QRect design, std::vector<Placement> contents,
                            const FormUnits& units) {
  // The style's margins follow the frame's title and size.
  frame->setGeometry(design);
  const QMargins margins = frame->contentsMargins();
  const int drop = std::max(0, margins.top() - units.Y(kDrawnFrameContentsTop));
  for (Placement& p : contents) p.design.translate(0, drop);
  const QSize grown = Reflow(contents);
  int right = 0, bottom = 0;
  for (const Placement& p : contents) {
    right = std::max(right, p.widget->geometry().right() + 1);
    bottom = std::max(bottom, p.widget->geometry().bottom() + 1);
  }
  const QSize need(std::max({design.width() + grown.width(), right + margins.right(),
                             frame->minimumSizeHint().width()}),
                   std::max(design.height() + drop + grown.height(), bottom + margins.bottom()));
  return {frame, design, need};
}

QSize Needed(const QWidget* control) {
  if (const auto* bar = qobject_cast<const QScrollBar*>(control))
    return {bar->minimumSizeHint().width(), bar->sizeHint().height()};
  return control->sizeHint().expandedTo(QSize(0, 0));
}

QRect FitWrappedCaptions(const QWidget* control, QRect design, const QStringList& captions) {
  const QFontMetrics fm = control->fontMetrics();
  // A button's style keeps its caption off the bevel, inside the control's
  // own margins.
  QMargins m = control->contentsMargins();
  if (qobject_cast<const QPushButton*>(control)) {
    QStyleOptionButton opt;
    opt.initFrom(control);
    opt.rect = QRect(0, 0, 200, 200);
    const QRect inner =
        control->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, control);
    m = QMargins(std::max(m.left(), inner.left()), std::max(m.top(), inner.top()),
                 std::max(m.right(), 199 - inner.right()),
                 std::max(m.bottom(), 199 - inner.bottom()));
  }
  const int across = m.left() + m.right();
  const int down = m.top() + m.bottom();
  int width = design.width();
  for (const QString& caption : captions) {
    // A centred word may straddle a pixel more than its own width.
    for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
      width = std::max(width, fm.boundingRect(QRect(0, 0, INT_MAX / 4, INT_MAX / 4),
                                              Qt::AlignLeft | Qt::AlignTop, word)
                                      .width() +
                                  1 + across);
  }
  int height = design.height();
  for (const QString& caption : captions) {
    const QRect text = fm.boundingRect(QRect(0, 0, width - across, INT_MAX / 4),
                                       Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption);
    height = std::max(height, text.height() + down);
  }
  return QRect(design.topLeft(), QSize(width, height));
}

}  // namespace kalo
