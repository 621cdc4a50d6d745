#include "dialogs/setup_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <charconv>
#include <utility>

#include "core/ascii.h"
#include "core/numbers.h"
#include "core/setting_rules.h"
#include "screen/form_layout.h"
#include "screen/window_title.h"

namespace kalo {

namespace {

constexpr int kFormWidth = 5805;
constexpr int kFormHeight = 5025;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "(" value ")", the caption of a slider's value label.
QString Bracketed(int value) { return QStringLiteral("(%1)").arg(value); }

// The number text a stored brightness shows in its frame before the slider
// is touched: a leading blank when not negative, up to fifteen significant
// digits, no zero before the point, an exponent for very large or small
// values. A stored text has at most seven characters, so this is exact.
std::string StoredNumberText(double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  std::string s = AsciiUpper(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
  if (s.rfind("0.", 0) == 0) {
    s.erase(0, 1);
  } else if (s.rfind("-0.", 0) == 0) {
    s.erase(1, 1);
  }
  return v >= 0 ? " " + s : s;
}

// A control's caption is its own; the form places and sizes it later.
template <typename Control>
Control* Named(Control* c, const char* name) {
  c->setObjectName(QLatin1String(name));
  return c;
}

// One piece of the line that ties the Brightness frame to "Solid Only".
QFrame* MakeConnector(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setLineWidth(2);
  return line;
}

// How wide a frame must be to show `title` whole.
int TitleRoom(QGroupBox* frame, const QString& title) {
  const QString shown = frame->title();
  frame->setTitle(title);
  const int width = frame->minimumSizeHint().width();
  frame->setTitle(shown);
  return width;
}

// How wide a label must be to show the widest of `captions`.
int WidestCaption(QLabel* label, const QStringList& captions) {
  const QString shown = label->text();
  int width = 0;
  for (const QString& caption : captions) {
    label->setText(caption);
    width = std::max(width, label->sizeHint().width());
  }
  label->setText(shown);
  return width;
}

}  // namespace

Setup::Setup(RunState& run, std::string profilePath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      run_(run),
      profilePath_(std::move(profilePath)) {
  setObjectName(QStringLiteral("Setup"));
  setWindowTitle(QStringLiteral("KaloSaver Settings"));
  BuildControls();
  Form_Load();
}

Setup::~Setup() = default;

QGroupBox* Setup::AddFrame(const char* name, const QString& title, QRect twips) {
  auto* frame = Named(new QGroupBox(title, this), name);
  drawn_.push_back({frame, twips});
  return frame;
}

template <typename Control>
Control* Setup::Add(Control* control, const char* name, QRect twips) {
  drawn_.push_back({Named(control, name), twips});
  return control;
}

Setup::SliderRow Setup::AddSlider(QGroupBox* frame, const char* barName, int min, int max,
                                  int large, int initial, const QString& leftText,
                                  const QString& rightText, bool showsValue) {
  SliderRow row;
  row.bar = Named(new QScrollBar(Qt::Horizontal, frame), barName);
  row.bar->setRange(min, max);
  row.bar->setSingleStep(1);
  row.bar->setPageStep(large);
  row.bar->setValue(initial);
  // The value label follows a click or a release of the thumb, not a drag.
  row.bar->setTracking(false);
  row.bar->setFocusPolicy(Qt::StrongFocus);
  row.left = new QLabel(leftText, frame);
  row.left->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  row.right = new QLabel(rightText, frame);
  row.right->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (showsValue) {
    row.value = new QLabel(frame);
    row.value->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    row.widestValue = WidestCaption(row.value, {Bracketed(min), Bracketed(max)});
  }
  sliders_.push_back(row);
  return row;
}

void Setup::BuildControls() {
  // Design types; the check boxes are drawn on the form, inside the frame.
  QGroupBox* frame1 = AddFrame("Frame1", QStringLiteral("Design Types"), {165, 150, 1440, 2385});
  static const char* const kCheckNames[kDesignTypeCount] = {"Check1", "Check2", "Check3",
                                                            "Check4", "Check5", "Check6"};
  static const int kCheckTops[kDesignTypeCount] = {480, 795, 1110, 1395, 1725, 2055};
  for (int i = 0; i < kDesignTypeCount; ++i) {
    Check_[i] = Add(new QCheckBox(QLatin1String(kSettingNames[i]), frame1), kCheckNames[i],
                    {315 - 165, kCheckTops[i] - 150, 1200, 255});
  }

  QGroupBox* frame9 = AddFrame("Frame9", QStringLiteral("Roundness"), {165, 2715, 1440, 1035});
  Option_[11] =
      Add(new QRadioButton(QStringLiteral("Circular"), frame9), "Option11", {135, 240, 1215, 255});
  Option_[10] = Add(new QRadioButton(QStringLiteral("Fit Screen"), frame9), "Option10",
                    {135, 480, 1215, 255});
  Option_[9] =
      Add(new QRadioButton(QStringLiteral("Random"), frame9), "Option9", {135, 720, 1215, 255});

  QGroupBox* frame6 = AddFrame("Frame6", QStringLiteral("Draw Style"), {1980, 150, 1575, 1065});
  Option_[1] = Add(new QRadioButton(QStringLiteral("Lines && Dots"), frame6), "Option1",
                   {120, 225, 1395, 255});
  Option_[2] =
      Add(new QRadioButton(QStringLiteral("Lines Only"), frame6), "Option2", {120, 465, 1395, 255});
  Option_[3] =
      Add(new QRadioButton(QStringLiteral("Dots Only"), frame6), "Option3", {120, 705, 1395, 255});

  // Draw mode; "Solid Only" ends where the connector to Brightness begins.
  Frame7_ = AddFrame("Frame7", QStringLiteral("Draw Mode"), {1980, 1395, 1575, 1095});
  Option_[4] = Add(new QRadioButton(QStringLiteral("Solid && Mix"), Frame7_), "Option4",
                   {135, 225, 1380, 255});
  Option_[5] = Add(new QRadioButton(QStringLiteral("Solid Only"), Frame7_), "Option5",
                   {135, 480, 1020, 255});
  Option_[6] =
      Add(new QRadioButton(QStringLiteral("Mix Only"), Frame7_), "Option6", {135, 735, 1380, 255});
  connectorInFrame_ = MakeConnector(Frame7_);

  QGroupBox* frame8 =
      AddFrame("Frame8", QStringLiteral("Background Color"), {1980, 2715, 1575, 750});
  Option_[7] =
      Add(new QRadioButton(QStringLiteral("Black"), frame8), "Option7", {135, 210, 1380, 255});
  Option_[8] =
      Add(new QRadioButton(QStringLiteral("Random"), frame8), "Option8", {135, 450, 1380, 255});

  // The four sliders, with the values they hold before the profile is read.
  QGroupBox* frame4 = AddFrame("Frame4", QStringLiteral("Max. Pen Width"), {3945, 135, 1665, 735});
  const SliderRow width = AddSlider(frame4, "HScroll3", 3, 128, 5, 80, QStringLiteral("Thin"),
                                    QStringLiteral("Thick"), true);
  HScroll3_ = width.bar;
  Label12_ = Named(width.value, "Label12");

  QGroupBox* frame5 =
      AddFrame("Frame5", QStringLiteral("Max. Design Layers"), {3945, 1005, 1665, 735});
  const SliderRow layers =
      AddSlider(frame5, "HScroll4", 1, 24, 5, 24, QStringLiteral("1"), QStringLiteral("24"), true);
  HScroll4_ = layers.bar;
  Label9_ = Named(layers.value, "Label9");

  // The frame's caption carries this slider's value.
  Frame3_ = AddFrame("Frame3", QStringLiteral("Brightness"), {3945, 1890, 1665, 735});
  const SliderRow bright = AddSlider(Frame3_, "HScroll2", 100, 255, 5, 255, QStringLiteral("Low"),
                                     QStringLiteral("High"), false);
  HScroll2_ = bright.bar;
  Label4_ = Named(bright.left, "Label4");
  Label3_ = Named(bright.right, "Label3");

  QGroupBox* frame2 = AddFrame("Frame2", QStringLiteral("Draw Speed"), {3945, 2730, 1665, 735});
  const SliderRow speed = AddSlider(frame2, "HScroll1", 1, 1000, 10, 25, QStringLiteral("Slow"),
                                    QStringLiteral("Fast"), true);
  HScroll1_ = speed.bar;
  Label11_ = Named(speed.value, "Label11");

  connectorOnForm_ = MakeConnector(this);

  cmdOK_ = Add(new QPushButton(QStringLiteral("OK"), this), "cmdOK", {1965, 3915, 1020, 330});
  cmdCancel_ =
      Add(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", {3270, 3915, 1020, 330});
  cmdAbout_ =
      Add(new QPushButton(QStringLiteral("About"), this), "cmdAbout", {4590, 3915, 1020, 330});

  // The form's design-time selection, which equals the defaults; the
  // Brightness group starts enabled.
  Option_[1]->setChecked(true);
  Option_[4]->setChecked(true);
  Option_[7]->setChecked(true);
  Option_[9]->setChecked(true);

  connect(HScroll1_, &QScrollBar::valueChanged, this, &Setup::HScroll1_Change);
  connect(HScroll2_, &QScrollBar::valueChanged, this, &Setup::HScroll2_Change);
  connect(HScroll3_, &QScrollBar::valueChanged, this, &Setup::HScroll3_Change);
  connect(HScroll4_, &QScrollBar::valueChanged, this, &Setup::HScroll4_Change);
  // Only Solid Only draws with the brightness bound, so only it enables it.
  connect(Option_[4], &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetBrightnessEnabled(false);
  });
  connect(Option_[5], &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetBrightnessEnabled(true);
  });
  connect(Option_[6], &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetBrightnessEnabled(false);
  });
  connect(cmdOK_, &QPushButton::clicked, this, &Setup::cmdOK_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &Setup::cmdCancel_Click);
  connect(cmdAbout_, &QPushButton::clicked, this, &Setup::cmdAbout_Click);

  QList<QWidget*> order = {cmdOK_, cmdCancel_, cmdAbout_};
  for (QCheckBox* c : Check_) order.append(c);
  for (int i : {11, 10, 9, 1, 2, 3, 4, 5, 6, 7, 8}) order.append(Option_[i]);
  for (QScrollBar* b : {HScroll3_, HScroll4_, HScroll2_, HScroll1_}) order.append(b);
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  cmdOK_->setFocus();
}

void Setup::PlaceSliderRow(const SliderRow& s, const FormUnits& units,
                           std::vector<Placement>& inside) const {
  // The bar and the row of labels under it share one width: wide enough for
  // the end labels and, centred between them, the widest value.
  QRect bar = units.Rect(195, 225, 1305, 225);
  QRect row = units.Rect(195, 465, 1305, 195);
  const int left = Needed(s.left).width();
  const int right = Needed(s.right).width();
  const int gap = 2 * s.left->fontMetrics().horizontalAdvance(QLatin1Char(' '));
  const int needed =
      s.value ? 2 * std::max(left, right) + s.widestValue + 2 * gap : left + right + gap;
  row.setWidth(std::max(row.width(), needed));
  bar.setWidth(row.width());
  inside.push_back({s.bar, bar, Needed(s.bar)});
  inside.push_back({s.left, QRect(row.left(), row.top(), left, row.height()), Needed(s.left)});
  inside.push_back(
      {s.right, QRect(row.right() + 1 - right, row.top(), right, row.height()), Needed(s.right)});
  if (s.value) {
    const QRect value(row.left() + (row.width() - s.widestValue) / 2, row.top(), s.widestValue,
                      row.height());
    inside.push_back({s.value, value, QSize(s.widestValue, Needed(s.value).height())});
  }
}

void Setup::LayOut() {
  const FormUnits units(font());
  auto placed = [&](QWidget* w, const QRect& t) {
    return Placement{w, units.Rect(t.x(), t.y(), t.width(), t.height()), Needed(w)};
  };
  std::vector<Placement> onForm;
  for (const auto& [w, twips] : drawn_) {
    auto* frame = qobject_cast<QGroupBox*>(w);
    if (w->parentWidget() != this) continue;
    if (!frame) {
      onForm.push_back(placed(w, twips));
      continue;
    }
    std::vector<Placement> inside;
    for (const auto& [c, t] : drawn_) {
      if (c->parentWidget() == frame) inside.push_back(placed(c, t));
    }
    for (const SliderRow& s : sliders_) {
      if (s.bar->parentWidget() == frame) PlaceSliderRow(s, units, inside);
    }
    Placement p = FrameWithContents(frame, placed(frame, twips).design, inside, units);
    // The brightness caption changes with the slider.
    if (frame == Frame3_)
      p.need.setWidth(
          std::max(p.need.width(), TitleRoom(frame, QStringLiteral(" Brightness = 255"))));
    onForm.push_back(p);
  }
  const QSize grown = Reflow(onForm);
  setFixedSize(units.X(kFormWidth) + grown.width(), units.Y(kFormHeight) + grown.height());

  // The connector runs from the end of "Solid Only" to its frame's edge, and
  // on from there to the Brightness frame, level with the button's middle.
  const QRect solid = Option_[5]->geometry();
  const int y = solid.center().y();
  const int end = Frame7_->contentsRect().right();
  connectorInFrame_->setGeometry(solid.right() + 1, y - 1, std::max(0, end - solid.right()), 3);
  const int from = Frame7_->geometry().right() + 1;
  connectorOnForm_->setGeometry(from, Frame7_->y() + y - 1, std::max(0, Frame3_->x() - from), 3);
}

void Setup::Form_Load() {
  const SettingsTexts t = ReadSettings(profilePath_);

  for (int i = 0; i < kDesignTypeCount; ++i) {
    Check_[i]->setChecked(ReadsTrue(t[static_cast<SettingKey>(kKaloSpiral + i)]));
  }

  // A delay the slider cannot hold lands at the nearer end of the slider:
  // the scroll bar keeps every value inside its range.
  HScroll1_->setValue(CInt(HScroll1_->maximum() - Number(t[kDrawDelay])));
  Label11_->setText(Bracketed(HScroll1_->value()));

  const double b = Number(t[kBrightness]);
  if (b < HScroll2_->minimum() || b > HScroll2_->maximum()) {
    HScroll2_->setValue(HScroll2_->maximum());
  } else {
    HScroll2_->setValue(CInt(b));
  }
  Frame3_->setTitle(QStringLiteral(" Brightness =") + Q(StoredNumberText(b)));

  // Like the delay, a pen width outside 3 to 128 lands at the nearer end.
  HScroll3_->setValue(CInt(Number(t[kMaxDrawWidth])));
  Label12_->setText(Bracketed(HScroll3_->value()));

  const double l = Number(t[kMaxLayers]);
  if (l < 1 || l > 24) {
    HScroll4_->setValue(HScroll4_->maximum());
  } else {
    HScroll4_->setValue(CInt(l));
  }
  Label9_->setText(Bracketed(HScroll4_->value()));

  const std::string style = Code(t[kLinesDots]);
  if (style == "LD") Option_[1]->setChecked(true);
  if (style == "LI") Option_[2]->setChecked(true);
  if (style == "DO") Option_[3]->setChecked(true);

  const std::string mode = Code(t[kSolidMix]);
  if (mode == "SM") {
    Option_[4]->setChecked(true);
    SetBrightnessEnabled(false);
  }
  if (mode == "SO") {
    Option_[5]->setChecked(true);
    SetBrightnessEnabled(true);
  }
  if (mode == "MI") {
    Option_[6]->setChecked(true);
    SetBrightnessEnabled(false);
  }

  const std::string background = Code(t[kBgColor]);
  if (background == "BL") Option_[7]->setChecked(true);
  if (background == "RA") Option_[8]->setChecked(true);

  const std::string roundness = Code(t[kRoundness]);
  if (roundness == "BO") Option_[9]->setChecked(true);
  if (roundness == "DI") Option_[10]->setChecked(true);
  if (roundness == "CI") Option_[11]->setChecked(true);

  run_.ShowAboutFlag = ReadsTrue(t[kShowAbout]);

  // The form takes its size from the captions it now shows, so it is laid
  // out and centred last; nothing is on the screen before that.
  LayOut();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
  }
  update();
}

void Setup::HScroll1_Change() { Label11_->setText(Bracketed(HScroll1_->value())); }

void Setup::HScroll2_Change() {
  Frame3_->setTitle(QStringLiteral(" Brightness =") + Q(StrInt(HScroll2_->value())));
}

void Setup::HScroll3_Change() { Label12_->setText(Bracketed(HScroll3_->value())); }

void Setup::HScroll4_Change() { Label9_->setText(Bracketed(HScroll4_->value())); }

void Setup::SetBrightnessEnabled(bool enabled) {
  Frame3_->setEnabled(enabled);
  HScroll2_->setEnabled(enabled);
  Label3_->setEnabled(enabled);
  Label4_->setEnabled(enabled);
}

SettingsTexts Setup::TextsFromControls() const {
  SettingsTexts t;
  bool anyType = false;
  for (int i = 0; i < kDesignTypeCount; ++i) {
    const bool on = Check_[i]->isChecked();
    anyType = anyType || on;
    t[static_cast<SettingKey>(kKaloSpiral + i)] = on ? "TRUE" : "FALSE";
  }
  t[kShowAbout] = run_.ShowAboutFlag ? "TRUE" : "FALSE";

  const Integer delay = static_cast<Integer>(HScroll1_->maximum() - HScroll1_->value());
  t[kDrawDelay] = SettingsNumberText(delay);
  t[kBrightness] = SettingsNumberText(HScroll2_->value());
  t[kMaxDrawWidth] = SettingsNumberText(HScroll3_->value());
  t[kMaxLayers] = SettingsNumberText(HScroll4_->value());

  auto selected = [this](std::initializer_list<std::pair<int, const char*>> options) {
    std::string text;
    for (const auto& [n, value] : options) {
      if (Option_[n]->isChecked()) text = value;
    }
    return text;
  };
  t[kLinesDots] = selected({{1, "LD"}, {2, "Lines"}, {3, "Dots"}});
  t[kSolidMix] = selected({{4, "SM"}, {5, "Solid"}, {6, "Mix"}});
  t[kBgColor] = selected({{7, "Black"}, {8, "Random"}});
  t[kRoundness] = selected({{9, "Both"}, {10, "Display"}, {11, "Circular"}});

  // A profile written here always leaves at least one design type to draw.
  if (!anyType) t[kKaloSpiral] = "TRUE";
  return t;
}

void Setup::cmdOK_Click() {
  const WriteResult result = WriteSettings(TextsFromControls(), profilePath_);
  if (!result.ok) {
    saveFailed_ = true;
    // Closing as if all went well would leave the user believing the new
    // settings were kept.
    const QString why =
        result.error.empty() ? QStringLiteral("The settings could not be saved.") : Q(result.error);
    QMessageBox::warning(this, ShownTitle(QString()), why);
  }
  accept();
}

void Setup::cmdCancel_Click() { reject(); }

void Setup::cmdAbout_Click() {
  FrmAbout* shown = nullptr;
  // The settings dialog runs only in configure mode, where the about dialog's
  // input ends nothing; should it ever end the program, that ends it as
  // Cancel does, writing nothing.
  FrmAbout about(
      run_, aboutMouse_,
      [this, &shown] {
        if (shown) shown->reject();
        reject();
      },
      this);
  shown = &about;
  about.exec();
  shown = nullptr;
  cmdOK_->setFocus();
}

void Setup::keyPressEvent(QKeyEvent* event) {
  // No button is the default or the cancel button: Enter and Esc act only on
  // the control that holds the focus, never on the dialog as a whole.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace kalo
